// The dialog templates the build converts from resource scripts, read back the way
// DialogBoxParam finds them.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/resources.h"
#include "platform/win32.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBox = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kPushButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kField = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kList =
    kChild | LBS_NOTIFY | LBS_USETABSTOPS | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
constexpr DWORD kArrows = kChild | UDS_WRAP | UDS_AUTOBUDDY | UDS_ARROWKEYS;
constexpr DWORD kSurface = kChild | SS_SUNKEN | WS_BORDER;
constexpr DWORD kIcon = kChild | SS_ICON;

struct Row {
  int id;
  const char* className;
  std::string text;
  short x, y, width, height;
  DWORD style;
  int iconId = 0;
};

struct Expected {
  const char* caption;
  const char* fontName;
  int pointSize;
  DWORD style;
  short x, y, width, height;
  std::vector<Row> rows;
};

const std::string kHelpText =
    "Check the Preview box to see a thumbnail view of the selected playlist image.\n\n"
    "Use the Up/Down arrows to reorder the playlist. Click the Remove button to remove the "
    "selected image, click the Browse button to browse for images to add to the playlist.";

const Expected kConfigure = {
    "Tavrin Screen Saver Configuration",
    "MS Sans Serif",
    8,
    0x90CA08C0,
    6,
    18,
    468,
    309,
    {
        {1000, "COMBOBOX", "", 38, 22, 76, 104,
         kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP},
        {105, "BUTTON", "Up", 18, 58, 35, 10, kCheckBox},
        {106, "BUTTON", "Down", 18, 72, 34, 10, kCheckBox},
        {110, "BUTTON", "Left", 60, 58, 32, 10, kCheckBox},
        {109, "BUTTON", "Right", 60, 72, 32, 10, kCheckBox},
        {111, "BUTTON", "In", 100, 58, 32, 10, kCheckBox},
        {112, "BUTTON", "Out", 100, 72, 32, 10, kCheckBox},
        {107, "BUTTON", "Horizontal", 138, 58, 48, 10, kCheckBox},
        {108, "BUTTON", "Vertical", 138, 72, 40, 10, kCheckBox},
        {113, "BUTTON", "None", 18, 86, 40, 10, kCheckBox},
        {119, "BUTTON", "Random Images", 214, 22, 72, 10, kCheckBox},
        {116, "BUTTON", "Random Effects", 214, 42, 72, 10, kCheckBox},
        {1002, "BUTTON", "Sound Clips", 296, 22, 64, 10, kCheckBox},
        {1003, "BUTTON", "Random Sound Clips", 296, 42, 94, 10, kCheckBox},
        {118, "EDIT", "", 280, 60, 14, 12, kField},
        {115, "EDIT", "", 280, 82, 14, 12, kField},
        {130, "EDIT", "", 370, 60, 16, 12, kField},
        {1015, "msctls_updown32", "Spin2", 24, 162, 11, 22, kArrows},
        {1010, "LISTBOX", "", 52, 142, 116, 52, kList},
        {1018, "BUTTON", "Browse ...", 178, 142, 40, 14, kPushButton},
        {1019, "BUTTON", "Remove", 178, 162, 40, 14, kPushButton},
        {1016, "BUTTON", "Preview", 178, 184, 38, 8, kCheckBox},
        {1021, "STATIC", "", 20, 206, 78, 78, kSurface},
        {1017, "msctls_updown32", "Spin2", 250, 162, 11, 22, kArrows},
        {1024, "LISTBOX", "", 280, 142, 116, 52, kList},
        {1025, "BUTTON", "Browse ...", 406, 142, 40, 14, kPushButton},
        {1026, "BUTTON", "Remove", 406, 162, 40, 14, kPushButton},
        {1027, "STATIC", "", 246, 200, 208, 90, kSurface},
        {1, "BUTTON", "OK", 416, 8, 40, 14, kPushButton | WS_GROUP},
        {2, "BUTTON", "Cancel", 416, 34, 40, 14, kPushButton},
        {128, "BUTTON", "Help", 416, 62, 40, 14, kPushButton},
        {127, "BUTTON", "About", 416, 92, 40, 14, kPushButton},
        {117, "STATIC", "Grain Size:", 214, 62, 36, 10, kLabel},
        {114, "STATIC", "Grain Delay Factor:", 214, 84, 62, 10, kLabel},
        {129, "STATIC", "Delay (seconds):", 310, 62, 54, 10, kLabel},
        {101, "BUTTON", " Settings ", 6, 6, 392, 100, kGroupBox},
        {103, "STATIC", "Effect", 12, 24, 20, 10, kLabel},
        {102, "BUTTON", " Direction ", 12, 42, 182, 58, kGroupBox},
        {-1, "BUTTON", " The Saver ", 6, 114, 458, 190, kGroupBox},
        {-1, "BUTTON", " Images ", 12, 124, 218, 172, kGroupBox},
        {-1, "STATIC", "Set List", 52, 132, 38, 8, kLabel},
        {-1, "STATIC", "Up/Down", 16, 152, 32, 8, kLabel},
        {-1, "STATIC", kHelpText, 104, 206, 120, 78, kLabel},
        {-1, "BUTTON", " Sound Clips", 240, 124, 218, 172, kGroupBox},
        {-1, "STATIC", "Up/Down", 244, 152, 32, 8, kLabel},
        {-1, "STATIC", "Set List", 280, 132, 38, 8, kLabel},
    },
};

// The About box's wording is ours except the version line; its layout is fixed.
const Expected kAbout = {
    "About the Tavrin Screen Saver",
    "Helv",
    8,
    0x80C808C0,
    18,
    18,
    260,
    202,
    {
        {-1, "STATIC", "", 9, 17, 18, 20, kIcon, 100},
        {-1, "STATIC", "Version 2.1 for Windows 9.x & Windows NT 4.0", 41, 9, 152, 8, kLabel},
        {7000, "STATIC", "*", 41, 20, 153, 8, kLabel},
        {-1, "STATIC", "*", 41, 33, 182, 8, kLabel},
        {-1, "STATIC", "*", 41, 44, 212, 8, kLabel},
        {-1, "STATIC", "", 41, 57, 212, 1, kChild | SS_BLACKRECT},
        {-1, "STATIC", "*", 41, 60, 212, 16, kLabel},
        {-1, "STATIC", "*", 41, 81, 212, 8, kLabel},
        {-1, "STATIC", "*", 41, 92, 212, 8, kLabel},
        {-1, "STATIC", "*", 41, 105, 212, 8, kLabel},
        {-1, "STATIC", "*", 41, 116, 212, 8, kLabel},
        {-1, "STATIC", "*", 41, 129, 212, 16, kLabel},
        {-1, "STATIC", "*", 41, 148, 212, 16, kLabel},
        {-1, "STATIC", "*", 41, 169, 212, 8, kLabel},
        {-1, "STATIC", "", 9, 177, 18, 20, kIcon, 103},
        {-1, "STATIC", "*", 41, 180, 212, 16, kLabel},
        {1, "BUTTON", "OK", 213, 12, 40, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    },
};

const platform::DialogTemplate* FindDialog(const char* nameOrId) {
  const platform::Resource* resource =
      platform::FindResource(platform::ResourceType::Dialog, nameOrId);
  if (resource == nullptr || resource->size != sizeof(platform::DialogTemplate)) return nullptr;
  return reinterpret_cast<const platform::DialogTemplate*>(resource->data);
}

// "*" stands for any text that is not empty.
void ExpectTemplate(const platform::DialogTemplate& dialog, const Expected& expected) {
  EXPECT_STREQ(dialog.caption, expected.caption);
  EXPECT_STREQ(dialog.fontName, expected.fontName);
  EXPECT_EQ(dialog.pointSize, expected.pointSize);
  EXPECT_EQ(dialog.style, expected.style);
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, expected.x);
  EXPECT_EQ(dialog.y, expected.y);
  EXPECT_EQ(dialog.width, expected.width);
  EXPECT_EQ(dialog.height, expected.height);
  ASSERT_EQ(dialog.itemCount, expected.rows.size());
  for (std::size_t i = 0; i < expected.rows.size(); ++i) {
    const platform::DialogItemTemplate& item = dialog.items[i];
    const Row& row = expected.rows[i];
    SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(row.id));
    EXPECT_EQ(item.id, row.id);
    EXPECT_STREQ(item.className, row.className);
    if (row.text == "*") {
      EXPECT_STRNE(item.text, "");
    } else {
      EXPECT_EQ(item.text, row.text);
    }
    EXPECT_EQ(item.x, row.x);
    EXPECT_EQ(item.y, row.y);
    EXPECT_EQ(item.width, row.width);
    EXPECT_EQ(item.height, row.height);
    EXPECT_EQ(item.style, row.style) << std::hex << item.style << " != " << row.style;
    EXPECT_EQ(item.exStyle, 0u);
    EXPECT_EQ(item.iconId, row.iconId);
  }
}

TEST(DialogTemplates, ConfigurationDialogIsTemplate2003) {
  const platform::DialogTemplate* dialog = FindDialog(MAKEINTRESOURCE(IDD_CONFIGURE));
  ASSERT_NE(dialog, nullptr);
  ExpectTemplate(*dialog, kConfigure);
}

TEST(DialogTemplates, AboutBoxIsFoundByNameInAnyCase) {
  for (const char* name : {"ABOUTBOX", "AboutBox"}) {
    const platform::DialogTemplate* dialog = FindDialog(name);
    ASSERT_NE(dialog, nullptr) << name;
    ExpectTemplate(*dialog, kAbout);
  }
  // The icons the About box shows are resources of the module too.
  for (int icon : {IDI_TAVRIN, IDI_SOUND}) {
    EXPECT_NE(platform::FindResource(platform::ResourceType::Icon, MAKEINTRESOURCE(icon)), nullptr)
        << icon;
  }
}

// Awkward texts and shapes from tests/resources/awkward.rc, through the whole build step:
// the generated C++ must carry every byte as the script meant it.
TEST(DialogTemplates, ConvertedScriptKeepsAwkwardTexts) {
  const platform::DialogTemplate* texts = FindDialog("AWKWARD_TEXTS");
  ASSERT_NE(texts, nullptr);
  ASSERT_EQ(texts->itemCount, 3u);
  EXPECT_STREQ(texts->caption, "Caption & \"quotes\" \\ ?\?= stay");
  EXPECT_STREQ(texts->items[0].text, "tab\there, line\nthere, \"quoted\", back\\slash, ?\?=");
  EXPECT_STREQ(texts->items[1].text, "caf\xC3\xA9 & more");
  EXPECT_STREQ(texts->items[2].text, "");

  const platform::DialogTemplate* extended = FindDialog(MAKEINTRESOURCE(4711));
  ASSERT_NE(extended, nullptr);
  EXPECT_EQ(extended->exStyle, static_cast<DWORD>(WS_EX_TOPMOST));
  EXPECT_EQ(extended->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_SETFONT));
  EXPECT_EQ(extended->itemCount, 0u);
  EXPECT_EQ(extended->items, nullptr);
}

}  // namespace
