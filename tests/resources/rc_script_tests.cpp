// tavrin-rc's reading of resource scripts: statements and their default styles, style
// expressions, texts, dialog options, the preprocessor, and faults located by line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/run_program.h"
#include "tools/tavrin-rc/rc_script.h"

namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

// The one control of a one-line dialog.
rc::Control OnlyControl(const std::string& statement) {
  const std::vector<rc::Dialog> dialogs =
      rc::ParseScript("1 DIALOG 0, 0, 100, 100\nBEGIN\n" + statement + "\nEND\n", "one.rc");
  if (dialogs.size() != 1 || dialogs[0].controls.size() != 1) {
    ADD_FAILURE() << "not one control: " << statement;
    return {};
  }
  return dialogs[0].controls[0];
}

std::string ErrorOf(const std::string& script) {
  try {
    rc::ParseScript(script, "bad.rc");
  } catch (const rc::ScriptError& error) {
    return error.what();
  }
  return "(no error)";
}

// A folder of its own under the test temp folder, with the given files in it.
std::filesystem::path WriteFiles(const std::string& folder,
                                 const std::vector<std::pair<std::string, std::string>>& files) {
  std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / folder;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (const auto& [name, text] : files) std::ofstream(dir / name, std::ios::binary) << text;
  return dir;
}

struct StatementCase {
  std::string statement;
  std::string className;
  std::string text;
  std::uint32_t style;
  std::uint32_t exStyle = 0;
  int iconId = 0;
};

TEST(RcScript, StatementsGetRcsDefaultStylesAndTheirOwnTexts) {
  const std::vector<StatementCase> cases = {
      {R"(LTEXT "Label", 5, 1, 2, 3, 4)", "STATIC", "Label", kChild | SS_LEFT | WS_GROUP},
      {R"(CTEXT "Mid", 5, 1, 2, 3, 4)", "STATIC", "Mid", kChild | SS_CENTER | WS_GROUP},
      {R"(RTEXT "Right", 5, 1, 2, 3, 4)", "STATIC", "Right", kChild | 0x2 | WS_GROUP},
      {R"(PUSHBUTTON "Go", 5, 1, 2, 3, 4)", "BUTTON", "Go", kChild | BS_PUSHBUTTON | WS_TABSTOP},
      {R"(DEFPUSHBUTTON "OK", 5, 1, 2, 3, 4)", "BUTTON", "OK",
       kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
      {R"(GROUPBOX "Box", 5, 1, 2, 3, 4)", "BUTTON", "Box", kChild | BS_GROUPBOX},
      {R"(AUTOCHECKBOX "Auto", 5, 1, 2, 3, 4)", "BUTTON", "Auto",
       kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
      {R"(CHECKBOX "Check", 5, 1, 2, 3, 4)", "BUTTON", "Check", kChild | BS_CHECKBOX | WS_TABSTOP},
      {"EDITTEXT 5, 1, 2, 3, 4", "EDIT", "", kChild | ES_LEFT | WS_BORDER | WS_TABSTOP},
      {"LISTBOX 5, 1, 2, 3, 4", "LISTBOX", "", kChild | LBS_NOTIFY | WS_BORDER},
      {"COMBOBOX 5, 1, 2, 3, 4", "COMBOBOX", "", kChild},
      {"ICON 100, 5, 1, 2", "STATIC", "", kChild | SS_ICON, 0, 100},
      {R"(ICON "APPICON", 5, 1, 2, 3, 4)", "STATIC", "APPICON", kChild | SS_ICON},
      {R"(CONTROL "Spin2", 5, "msctls_updown32", UDS_WRAP, 1, 2, 3, 4)", "msctls_updown32", "Spin2",
       kChild | UDS_WRAP},
      // The predefined classes are the same in any case.
      {R"(CONTROL "", 5, "sTaTiC", WS_BORDER, 1, 2, 3, 4, WS_EX_CLIENTEDGE)", "STATIC", "",
       kChild | WS_BORDER, WS_EX_CLIENTEDGE},
      // Given styles are added to the defaults; NOT takes bits away, defaults included.
      {"COMBOBOX 5, 1, 2, 3, 4, CBS_DROPDOWNLIST | CBS_SORT", "COMBOBOX", "",
       kChild | CBS_DROPDOWNLIST | CBS_SORT},
      {R"(PUSHBUTTON "Go", 5, 1, 2, 3, 4, NOT WS_TABSTOP | WS_GROUP)", "BUTTON", "Go",
       kChild | WS_GROUP},
      {R"(CONTROL "Hidden", 5, "Button", BS_CHECKBOX | NOT WS_VISIBLE, 1, 2, 3, 4)", "BUTTON",
       "Hidden", WS_CHILD | BS_CHECKBOX},
      {R"(LTEXT "Sum", 5, 1, 2, 3, 4, 0x100 | 512 | (WS_BORDER), WS_EX_STATICEDGE)", "STATIC",
       "Sum", kChild | SS_LEFT | WS_GROUP | 0x300 | WS_BORDER, WS_EX_STATICEDGE},
      // Texts: both quote escapes and C's, a doubled '&' shown once, a lone '&' a mnemonic.
      {R"(LTEXT "say ""hi"" \"now\"\n\tand\\", 5, 1, 2, 3, 4)", "STATIC",
       "say \"hi\" \"now\"\n\tand\\", kChild | SS_LEFT | WS_GROUP},
      {R"(PUSHBUTTON "&Save && E&xit&", 5, 1, 2, 3, 4)", "BUTTON", "Save & Exit",
       kChild | BS_PUSHBUTTON | WS_TABSTOP},
      // Where Win32 shows '&' as it is, the text keeps it.
      {R"(LTEXT "R&&D & co", 5, 1, 2, 3, 4, SS_NOPREFIX)", "STATIC", "R&&D & co",
       kChild | SS_LEFT | WS_GROUP | SS_NOPREFIX},
      {R"(CONTROL "a&&b &c", 5, "Edit", 0, 1, 2, 3, 4)", "EDIT", "a&&b &c", kChild},
  };
  for (const StatementCase& c : cases) {
    SCOPED_TRACE(c.statement);
    const rc::Control control = OnlyControl(c.statement);
    EXPECT_EQ(control.className, c.className);
    EXPECT_EQ(control.text, c.text);
    EXPECT_EQ(control.style, c.style) << std::hex << control.style << " != " << c.style;
    EXPECT_EQ(control.exStyle, c.exStyle);
    EXPECT_EQ(control.iconId, c.iconId);
    EXPECT_EQ(control.id, 5);
    EXPECT_EQ(control.x, 1);
    EXPECT_EQ(control.y, 2);
  }
}

TEST(RcScript, DialogOptionsNamesAndThePreprocessor) {
  const std::filesystem::path dir =
      WriteFiles("rc_preprocessor", {{"ids.h",
                                      "// ids\n#define IDD_MAIN 300\n#define IDC_GO 40 "
                                      "/* the button */\n#define IDC_NONE (-1)\n"},
                                     {"main.rc", R"(#include <windows.h>
#include "ids.h"
#define WIDE 200 + 10
#pragma code_page(1252)
/* A classic dialog
   with a comment over two lines. */
IDD_MAIN DIALOG DISCARDABLE 1, 2, WIDE, 0x20
STYLE WS_POPUP | DS_MODALFRAME
CAPTION "Main"
FONT 8, "MS Sans Serif"
BEGIN
    PUSHBUTTON "Go", IDC_GO, 1, 2, 3, 4   // trailing comment
    LTEXT "", IDC_NONE, -5, 2, 3, 4
END
"Quoted" DIALOGEX 0, 0, 10, 10, 99
EXSTYLE WS_EX_TOPMOST | WS_EX_DLGMODALFRAME
FONT 9, "Helv", 700, 1, 0
{
}
bare DIALOG 0, 0, 10, 10
BEGIN
END
)"}});
  const std::vector<rc::Dialog> dialogs = rc::ParseScriptFile(dir / "main.rc");
  ASSERT_EQ(dialogs.size(), 3u);

  const rc::Dialog& main = dialogs[0];
  EXPECT_EQ(main.name, "");
  EXPECT_EQ(main.id, 300);
  EXPECT_EQ(main.x, 1);
  EXPECT_EQ(main.y, 2);
  EXPECT_EQ(main.width, 210);
  EXPECT_EQ(main.height, 32);
  // CAPTION and FONT bring their styles with them, as rc does.
  EXPECT_EQ(main.style,
            static_cast<std::uint32_t>(WS_POPUP | DS_MODALFRAME | WS_CAPTION | DS_SETFONT));
  EXPECT_EQ(main.caption, "Main");
  EXPECT_EQ(main.fontName, "MS Sans Serif");
  EXPECT_EQ(main.pointSize, 8);
  ASSERT_EQ(main.controls.size(), 2u);
  EXPECT_EQ(main.controls[0].id, 40);
  EXPECT_EQ(main.controls[1].id, -1);
  EXPECT_EQ(main.controls[1].x, -5);

  const rc::Dialog& quoted = dialogs[1];
  EXPECT_EQ(quoted.name, "Quoted");
  EXPECT_EQ(quoted.exStyle, static_cast<std::uint32_t>(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME));
  // Without STYLE a dialog gets rc's default style.
  EXPECT_EQ(quoted.style,
            static_cast<std::uint32_t>(WS_POPUP | WS_BORDER | WS_SYSMENU | DS_SETFONT));
  EXPECT_EQ(quoted.fontName, "Helv");
  EXPECT_EQ(quoted.pointSize, 9);
  EXPECT_TRUE(quoted.controls.empty());

  EXPECT_EQ(dialogs[2].name, "bare");
}

TEST(RcScript, FaultsAreLocatedByFileAndLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 9, 9, WS_TABSOP\nEND\n",
       "bad.rc:3: unknown name WS_TABSOP"},
      {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\" 1, 0, 0, 9, 9\nEND\n",
       "bad.rc:3: expected ',' after the text, found 1"},
      {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  BUTTON \"a\", 1, 0, 0, 9, 9\nEND\n",
       "bad.rc:3: expected a control statement, found BUTTON"},
      {"1 DIALOG 0, 0, 9, 9\nBEGIN\n\n  LTEXT \"open, 1, 0, 0, 9, 9\nEND\n",
       "bad.rc:4: string is never closed"},
      {"\n1 DIALOG 0, 0, 9, 9\nCAPTION \"a\\qb\"\nBEGIN\nEND\n",
       "bad.rc:3: unknown escape \\q in a string"},
      {"1 DIALOG 0, 0, 99999, 9\nBEGIN\nEND\n", "bad.rc:1: coordinate 99999 is out of range"},
      {"1 DIALOG 0, 0, 9, 9\nMENU 5\nBEGIN\nEND\n", "bad.rc:2: unsupported dialog statement MENU"},
      {"1 DIALOG 0, 0, 9, 9\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 9, 9\n", "dialog is never closed"},
      {"100 ICON \"tavrin.ico\"\n",
       "bad.rc:1: expected DIALOG or DIALOGEX after 100 (only dialogs are converted)"},
      {"#if 0\n#endif\n", "bad.rc:1: unsupported directive #if"},
      {"#define F(x) x\n", "bad.rc:1: #define with arguments is not supported"},
      {"\n#include <stdio.h>\n", "bad.rc:2: unknown system header <stdio.h>"},
      {"\n\n#include \"missing.h\"\n", "bad.rc:3: cannot read missing.h"},
      {"/* never closed\n", "bad.rc:1: comment is never closed"},
      {"1 DIALOG 0, 0, 9, 9 { }\n\n1 DIALOG 0, 0, 9, 9 { }\n",
       "bad.rc:3: dialog 1 is defined twice"},
      {"A DIALOG 0, 0, 9, 9 { }\n\"a\" DIALOG 0, 0, 9, 9 { }\n",
       "bad.rc:2: dialog \"A\" is defined twice"},
      {"1 DIALOG 0, 0, 9, 9 { LTEXT \"a\", 1, 0, 0, 9, 9, 12abc }",
       "bad.rc:1: malformed number 12"},
  };
  for (const auto& [script, message] : cases) {
    SCOPED_TRACE(script);
    EXPECT_NE(ErrorOf(script).find(message), std::string::npos) << ErrorOf(script);
  }
}

// The build step as the build runs it: a good script gives a source, a bad one a failure and
// no output at all, so that make stops and does not compile a stale file.
TEST(RcScript, ProgramFailsTheBuildOnAFault) {
  const std::filesystem::path dir = WriteFiles(
      "rc_program", {{"good.rc", "ABOUT DIALOG 0, 0, 9, 9 { LTEXT \"a\", 1, 0, 0, 9, 9 }"},
                     {"bad.rc", "ABOUT DIALOG 0, 0, 9, 9 { LTEXT \"a\", 1 }"}});
  const test_support::ProgramResult good = test_support::RunProgram(
      {TAVRIN_RC_PATH, (dir / "good.rc").string(), (dir / "good.cpp").string()});
  EXPECT_EQ(good.exitCode, 0);
  std::ifstream source(dir / "good.cpp");
  const std::string text{std::istreambuf_iterator<char>(source), {}};
  EXPECT_NE(text.find("RegisterResource({platform::ResourceType::Dialog, \"ABOUT\", 0"),
            std::string::npos)
      << text;

  const test_support::ProgramResult bad = test_support::RunProgram(
      {TAVRIN_RC_PATH, (dir / "bad.rc").string(), (dir / "bad.cpp").string()});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "bad.cpp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "bad.cpp.partial"));
}

}  // namespace
