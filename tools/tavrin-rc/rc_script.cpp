#include "tools/tavrin-rc/rc_script.h"

#include <strings.h>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <utility>

// Only for the values of the style and id names; nothing of the platform is called.
#include "platform/win32.h"

namespace rc {
namespace {

// ---- Names the script gets from <windows.h> and <commctrl.h> on Windows. The values come
// from the platform's own header, so the tables and the system's code can never disagree.

struct NamedValue {
  std::string_view name;
  std::uint32_t value;
};
// The name spelled once: RC_NAME(WS_POPUP) is {"WS_POPUP", WS_POPUP}.
#define RC_NAME(name) Named(#name, name)
constexpr NamedValue Named(std::string_view name, long value) {
  return {name, static_cast<std::uint32_t>(value)};
}
// SS_RIGHT is the one name a statement (RTEXT) needs that the system's code does not.
constexpr std::uint32_t kSsRight = 0x2;
// clang-format off
constexpr std::array kBuiltInNames = {
    RC_NAME(WS_OVERLAPPED), RC_NAME(WS_POPUP), RC_NAME(WS_CHILD), RC_NAME(WS_VISIBLE),
    RC_NAME(WS_CLIPSIBLINGS), RC_NAME(WS_CLIPCHILDREN), RC_NAME(WS_DISABLED),
    RC_NAME(WS_CAPTION), RC_NAME(WS_BORDER), RC_NAME(WS_VSCROLL), RC_NAME(WS_HSCROLL),
    RC_NAME(WS_SYSMENU), RC_NAME(WS_GROUP), RC_NAME(WS_TABSTOP), RC_NAME(WS_MINIMIZEBOX),
    RC_NAME(WS_OVERLAPPEDWINDOW), RC_NAME(WS_EX_DLGMODALFRAME), RC_NAME(WS_EX_CLIENTEDGE),
    RC_NAME(WS_EX_STATICEDGE), RC_NAME(WS_EX_TOPMOST),
    RC_NAME(DS_SETFONT), RC_NAME(DS_MODALFRAME), RC_NAME(DS_CENTER),
    RC_NAME(BS_PUSHBUTTON), RC_NAME(BS_DEFPUSHBUTTON), RC_NAME(BS_CHECKBOX),
    RC_NAME(BS_AUTOCHECKBOX), RC_NAME(BS_GROUPBOX),
    RC_NAME(SS_LEFT), RC_NAME(SS_CENTER), NamedValue{"SS_RIGHT", kSsRight}, RC_NAME(SS_ICON),
    RC_NAME(SS_BLACKRECT), RC_NAME(SS_NOPREFIX), RC_NAME(SS_SUNKEN),
    RC_NAME(ES_LEFT), RC_NAME(ES_AUTOHSCROLL),
    RC_NAME(CBS_DROPDOWN), RC_NAME(CBS_DROPDOWNLIST), RC_NAME(CBS_SORT),
    RC_NAME(LBS_NOTIFY), RC_NAME(LBS_SORT), RC_NAME(LBS_USETABSTOPS),
    RC_NAME(LBS_NOINTEGRALHEIGHT),
    RC_NAME(UDS_WRAP), RC_NAME(UDS_SETBUDDYINT), RC_NAME(UDS_ALIGNRIGHT), RC_NAME(UDS_ALIGNLEFT),
    RC_NAME(UDS_AUTOBUDDY), RC_NAME(UDS_ARROWKEYS),
    RC_NAME(IDOK), RC_NAME(IDCANCEL),
};
// clang-format on
#undef RC_NAME

// The headers a Windows build of the script includes; their names are the table above.
constexpr std::array<std::string_view, 5> kSystemHeaders = {"windows.h", "winres.h", "winresrc.h",
                                                            "commctrl.h", "afxres.h"};

// Dialog classes that a template names by number; rc accepts them in any case.
constexpr std::array<std::string_view, 6> kPredefinedClasses = {"BUTTON",  "EDIT",      "STATIC",
                                                                "LISTBOX", "SCROLLBAR", "COMBOBOX"};

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// ---- Tokens

enum class TokenKind { Name, Number, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // Name: the name; String: the text with its escapes resolved; Punct: it
  std::uint32_t number = 0;
  std::string where;  // "FILE:LINE"
};

[[noreturn]] void Fail(const std::string& where, const std::string& message) {
  throw ScriptError(where + ": " + message);
}

std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::Name:
    case TokenKind::Number:
      return token.text;
    case TokenKind::String:
      return "\"" + token.text + "\"";
    case TokenKind::Punct:
      return "'" + token.text + "'";
    case TokenKind::End:
      break;
  }
  return "the end of the script";
}

std::string ReadWholeFile(const std::filesystem::path& file, const std::string& where) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(where, "cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Macros = std::map<std::string, std::vector<Token>, std::less<>>;

// Turns script text into tokens the way the resource compiler's preprocessor would: comments
// dropped, #define names replaced by their tokens, quoted #include files read in place.
class Lexer {
 public:
  Lexer(std::string_view text, std::filesystem::path file, Macros& macros, int depth,
        std::vector<Token>& out)
      : text_(text), file_(std::move(file)), macros_(macros), depth_(depth), out_(out) {}

  void Run() {
    Token token;
    while (Next(token, false)) Emit(token);
  }

 private:
  std::string Where() const { return file_.string() + ":" + std::to_string(line_); }

  // The next token; false at the end of the text, or at the end of the line when `lineOnly`.
  bool Next(Token& token, bool lineOnly) {
    for (;;) {
      SkipBlanksAndComments();
      if (pos_ >= text_.size()) return false;
      const char c = text_[pos_];
      if (c == '\n') {
        if (lineOnly) return false;
        ++pos_;
        ++line_;
        atLineStart_ = true;
        continue;
      }
      if (c == '#' && atLineStart_ && !lineOnly) {
        ++pos_;
        Directive();
        continue;
      }
      atLineStart_ = false;
      token = ReadToken();
      return true;
    }
  }

  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//") {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (text_.substr(pos_, 2) == "/*") {
        const std::string where = Where();
        const std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) Fail(where, "comment is never closed");
        for (std::size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n' ? 1 : 0;
        pos_ = end + 2;
      } else {
        return;
      }
    }
  }

  Token ReadToken() {
    Token token;
    token.where = Where();
    const char c = text_[pos_];
    if (c == '"') {
      token.kind = TokenKind::String;
      token.text = ReadString();
    } else if (IsDigit(c)) {
      token.kind = TokenKind::Number;
      token.number = ReadNumber(token.text);
    } else if (IsNameStart(c)) {
      token.kind = TokenKind::Name;
      while (pos_ < text_.size() && (IsNameStart(text_[pos_]) || IsDigit(text_[pos_]))) {
        token.text += text_[pos_++];
      }
    } else if (std::string_view(",|(){}-+~").find(c) != std::string_view::npos) {
      token.kind = TokenKind::Punct;
      token.text = std::string(1, c);
      ++pos_;
    } else {
      Fail(token.where, std::string("unexpected character '") + c + "'");
    }
    return token;
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  }

  // "" and \" are a quote; \n, \t, \r and \\ as in C. Any other escape is taken for a typo.
  std::string ReadString() {
    const std::string where = Where();
    std::string text;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size() || text_[pos_] == '\n') Fail(where, "string is never closed");
      const char c = text_[pos_++];
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {
          text += '"';
          ++pos_;
          continue;
        }
        return text;
      }
      if (c != '\\') {
        text += c;
        continue;
      }
      const char escaped = pos_ < text_.size() ? text_[pos_++] : '\0';
      switch (escaped) {
        case 'n':
          text += '\n';
          break;
        case 't':
          text += '\t';
          break;
        case 'r':
          text += '\r';
          break;
        case '\\':
        case '"':
          text += escaped;
          break;
        default:
          Fail(where, std::string("unknown escape \\") + escaped + " in a string");
      }
    }
  }

  // Decimal or 0x hexadecimal, with C's U and L suffixes allowed.
  std::uint32_t ReadNumber(std::string& spelling) {
    const std::string where = Where();
    const std::size_t start = pos_;
    int base = 10;
    if (text_.substr(pos_, 2) == "0x" || text_.substr(pos_, 2) == "0X") {
      base = 16;
      pos_ += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; pos_ < text_.size(); ++pos_, ++digits) {
      const char c = text_[pos_];
      int digit = 0;
      if (IsDigit(c)) {
        digit = c - '0';
      } else if (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
        digit = (c | 0x20) - 'a' + 10;
      } else {
        break;
      }
      value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFFFFFFu) Fail(where, "number does not fit in 32 bits");
    }
    while (pos_ < text_.size() && std::string_view("uUlL").find(text_[pos_]) != std::string::npos) {
      ++pos_;
    }
    spelling = std::string(text_.substr(start, pos_ - start));
    if (digits == 0 ||
        (pos_ < text_.size() && (IsNameStart(text_[pos_]) || IsDigit(text_[pos_])))) {
      Fail(where, "malformed number " + spelling);
    }
    return static_cast<std::uint32_t>(value);
  }

  void Directive() {
    const std::string where = Where();
    Token word;
    if (!Next(word, true) || word.kind != TokenKind::Name) Fail(where, "expected a directive");
    if (word.text == "define") {
      Define(where);
    } else if (word.text == "undef") {
      Token name;
      if (!Next(name, true) || name.kind != TokenKind::Name) Fail(where, "#undef needs a name");
      macros_.erase(name.text);
    } else if (word.text == "include") {
      Include(where);
    } else if (word.text == "pragma") {  // code_page and the like mean nothing here
      while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    } else {
      Fail(where, "unsupported directive #" + word.text);
    }
    Token extra;
    if (Next(extra, true)) Fail(where, "unexpected " + Describe(extra) + " after the directive");
  }

  void Define(const std::string& where) {
    Token name;
    if (!Next(name, true) || name.kind != TokenKind::Name) Fail(where, "#define needs a name");
    if (pos_ < text_.size() && text_[pos_] == '(') {
      Fail(where, "#define with arguments is not supported");
    }
    std::vector<Token> body;
    Token token;
    while (Next(token, true)) body.push_back(token);
    macros_[name.text] = std::move(body);
  }

  void Include(const std::string& where) {
    SkipBlanksAndComments();
    if (pos_ < text_.size() && text_[pos_] == '<') {
      const std::size_t end = text_.find_first_of(">\n", pos_);
      if (end == std::string_view::npos || text_[end] != '>')
        Fail(where, "#include <...> not closed");
      const std::string_view header = text_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end + 1;
      for (std::string_view known : kSystemHeaders) {
        if (SameWord(header, known)) return;
      }
      Fail(where, "unknown system header <" + std::string(header) + ">");
    }
    Token file;
    if (!Next(file, true) || file.kind != TokenKind::String) {
      Fail(where, "#include needs a \"file\" or a <header>");
    }
    if (depth_ >= kMaxIncludeDepth) Fail(where, "#include nested too deeply");
    const std::filesystem::path path = file_.parent_path() / file.text;
    const std::string text = ReadWholeFile(path, where);
    Lexer(text, path, macros_, depth_ + 1, out_).Run();
  }

  // A defined name becomes its tokens, located where the name was used; a name is not
  // replaced again inside its own replacement, as in C.
  void Emit(const Token& token) {
    if (token.kind == TokenKind::Name) {
      const auto macro = macros_.find(token.text);
      if (macro != macros_.end() && expanding_.count(token.text) == 0) {
        expanding_.insert(token.text);
        for (Token replacement : macro->second) {
          replacement.where = token.where;
          Emit(replacement);
        }
        expanding_.erase(token.text);
        return;
      }
    }
    out_.push_back(token);
  }

  static constexpr int kMaxIncludeDepth = 16;

  std::string_view text_;
  std::filesystem::path file_;
  Macros& macros_;
  int depth_;
  std::vector<Token>& out_;
  std::set<std::string, std::less<>> expanding_;
  std::size_t pos_ = 0;
  int line_ = 1;
  bool atLineStart_ = true;
};

// ---- Parser

enum class Shape { Text, NoText, Icon };

struct Statement {
  std::string_view keyword;
  std::string_view className;
  std::uint32_t style;  // besides WS_CHILD | WS_VISIBLE, which every control gets
  Shape shape;
};

constexpr std::array kStatements = {
    Statement{"LTEXT", "STATIC", SS_LEFT | WS_GROUP, Shape::Text},
    Statement{"CTEXT", "STATIC", SS_CENTER | WS_GROUP, Shape::Text},
    Statement{"RTEXT", "STATIC", kSsRight | WS_GROUP, Shape::Text},
    Statement{"PUSHBUTTON", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, Shape::Text},
    Statement{"DEFPUSHBUTTON", "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, Shape::Text},
    Statement{"GROUPBOX", "BUTTON", BS_GROUPBOX, Shape::Text},
    Statement{"AUTOCHECKBOX", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, Shape::Text},
    Statement{"CHECKBOX", "BUTTON", BS_CHECKBOX | WS_TABSTOP, Shape::Text},
    Statement{"EDITTEXT", "EDIT", ES_LEFT | WS_BORDER | WS_TABSTOP, Shape::NoText},
    Statement{"LISTBOX", "LISTBOX", LBS_NOTIFY | WS_BORDER, Shape::NoText},
    Statement{"COMBOBOX", "COMBOBOX", 0, Shape::NoText},
    Statement{"ICON", "STATIC", SS_ICON, Shape::Icon},
};

constexpr std::uint32_t kControlBase = WS_CHILD | WS_VISIBLE;
// What rc gives a dialog without a STYLE statement.
constexpr std::uint32_t kDialogDefaultStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr std::array<std::string_view, 7> kMemoryOptions = {
    "DISCARDABLE", "MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL"};

// Win32 underlines the letter after '&' and shows "&&" as '&'; the stored text is what shows.
std::string WithoutMnemonics(std::string_view text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      shown += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      shown += '&';
      ++i;
    }
  }
  return shown;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {
    Token end;
    end.where = tokens_.empty() ? std::string("?") : tokens_.back().where;
    tokens_.push_back(end);
  }

  std::vector<Dialog> Script() {
    std::vector<Dialog> dialogs;
    std::set<std::string> seen;
    while (Peek().kind != TokenKind::End) {
      const std::string where = Peek().where;
      Dialog dialog = DialogResource();
      std::string key = dialog.name.empty() ? std::to_string(dialog.id) : "\"" + dialog.name + "\"";
      for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!seen.insert(key).second) Fail(where, "dialog " + key + " is defined twice");
      dialogs.push_back(std::move(dialog));
    }
    return dialogs;
  }

 private:
  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Take() {
    const Token& token = tokens_[pos_];
    if (token.kind != TokenKind::End) ++pos_;
    return token;
  }
  bool IsWord(std::string_view word) const {
    return Peek().kind == TokenKind::Name && SameWord(Peek().text, word);
  }
  bool TakeWord(std::string_view word) {
    if (!IsWord(word)) return false;
    ++pos_;
    return true;
  }
  bool TakePunct(std::string_view punct) {
    if (Peek().kind != TokenKind::Punct || Peek().text != punct) return false;
    ++pos_;
    return true;
  }
  void Expect(std::string_view punct, std::string_view after) {
    if (!TakePunct(punct)) {
      Fail(Peek().where, "expected '" + std::string(punct) + "' after " + std::string(after) +
                             ", found " + Describe(Peek()));
    }
  }

  std::int64_t Unary() {
    const Token& token = Take();
    if (token.kind == TokenKind::Number) return token.number;
    if (token.kind == TokenKind::Punct && token.text == "-") return -Unary();
    if (token.kind == TokenKind::Punct && token.text == "~") {
      return static_cast<std::uint32_t>(~Unary());
    }
    if (token.kind == TokenKind::Punct && token.text == "(") {
      const std::int64_t value = Expression();
      Expect(")", "the expression");
      return value;
    }
    if (token.kind == TokenKind::Name) {
      for (const NamedValue& named : kBuiltInNames) {
        if (named.name == token.text) return named.value;
      }
      Fail(token.where, "unknown name " + token.text);
    }
    Fail(token.where, "expected a number, found " + Describe(token));
  }

  std::int64_t Expression() {
    std::int64_t value = Unary();
    for (;;) {
      if (TakePunct("|")) {
        value = static_cast<std::uint32_t>(value) | static_cast<std::uint32_t>(Unary());
      } else if (TakePunct("+")) {
        value += Unary();
      } else if (TakePunct("-")) {
        value -= Unary();
      } else {
        return value;
      }
    }
  }

  int Integer(std::int64_t low, std::int64_t high, std::string_view what) {
    const std::string where = Peek().where;
    const std::int64_t value = Expression();
    if (value < low || value > high) {
      Fail(where, std::string(what) + " " + std::to_string(value) + " is out of range");
    }
    return static_cast<int>(value);
  }
  int Coordinate() { return Integer(-32768, 32767, "coordinate"); }
  // "x, y" and "width, height", in dialog units.
  void Position(int* x, int* y) {
    *x = Coordinate();
    Expect(",", "x");
    *y = Coordinate();
  }
  void Size(int* width, int* height) {
    *width = Coordinate();
    Expect(",", "the width");
    *height = Coordinate();
  }
  int ControlId() { return Integer(-32768, 0xFFFF, "control id"); }

  // `A | B | NOT C`: the named bits are added to `base` one after the other, NOT removes them,
  // so NOT can take away what the statement gives by default.
  std::uint32_t Style(std::uint32_t base) {
    std::uint32_t style = base;
    do {
      const bool remove = TakeWord("NOT");
      const auto bits = static_cast<std::uint32_t>(Unary());
      style = remove ? style & ~bits : style | bits;
    } while (TakePunct("|"));
    return style;
  }

  std::string String(std::string_view what) {
    const Token& token = Take();
    if (token.kind != TokenKind::String) {
      Fail(token.where, "expected " + std::string(what) + " in quotes, found " + Describe(token));
    }
    return token.text;
  }

  Dialog DialogResource() {
    Dialog dialog;
    const Token& name = Take();
    if (name.kind == TokenKind::Number) {
      if (name.number == 0 || name.number > 0xFFFF) Fail(name.where, "dialog id out of range");
      dialog.id = static_cast<int>(name.number);
    } else if ((name.kind == TokenKind::String || name.kind == TokenKind::Name) &&
               !name.text.empty()) {
      dialog.name = name.text;
    } else {
      Fail(name.where, "expected a dialog name or id, found " + Describe(name));
    }
    const bool extended = IsWord("DIALOGEX");
    if (!TakeWord("DIALOG") && !TakeWord("DIALOGEX")) {
      Fail(Peek().where, "expected DIALOG or DIALOGEX after " + Describe(name) +
                             " (only dialogs are converted), found " + Describe(Peek()));
    }
    for (bool skipped = true; skipped;) {
      skipped = false;
      for (std::string_view option : kMemoryOptions) skipped = skipped || TakeWord(option);
    }
    Position(&dialog.x, &dialog.y);
    Expect(",", "y");
    Size(&dialog.width, &dialog.height);
    if (extended && TakePunct(",")) Expression();  // the help id, which nothing here uses
    Options(dialog, extended);
    const bool braces = TakePunct("{");
    if (!braces && !TakeWord("BEGIN")) {
      Fail(Peek().where, "expected BEGIN or '{', found " + Describe(Peek()));
    }
    while (!(braces ? TakePunct("}") : TakeWord("END"))) {
      if (Peek().kind == TokenKind::End) Fail(Peek().where, "dialog is never closed");
      dialog.controls.push_back(ControlStatement());
    }
    return dialog;
  }

  void Options(Dialog& dialog, bool extended) {
    dialog.style = kDialogDefaultStyle;
    for (;;) {
      if (TakeWord("STYLE")) {
        dialog.style = Style(0);
      } else if (TakeWord("EXSTYLE")) {
        dialog.exStyle = Style(0);
      } else if (TakeWord("CAPTION")) {
        dialog.caption = String("the caption");
        dialog.style |= WS_CAPTION;
      } else if (TakeWord("FONT")) {
        dialog.pointSize = Integer(1, 0x7FFF, "point size");
        Expect(",", "the point size");
        dialog.fontName = String("the font name");
        // DIALOGEX adds weight, italic and character set, which the platform's fonts ignore.
        for (int i = 0; extended && i < 3 && TakePunct(","); ++i) Expression();
        dialog.style |= DS_SETFONT;
      } else if (Peek().kind == TokenKind::Name && !IsWord("BEGIN")) {
        Fail(Peek().where, "unsupported dialog statement " + Peek().text);
      } else {
        return;
      }
    }
  }

  Control ControlStatement() {
    const Token& keyword = Take();
    if (keyword.kind == TokenKind::Name && SameWord(keyword.text, "CONTROL")) return Generic();
    for (const Statement& statement : kStatements) {
      if (keyword.kind == TokenKind::Name && SameWord(keyword.text, statement.keyword)) {
        return Specific(statement);
      }
    }
    Fail(keyword.where, "expected a control statement, found " + Describe(keyword));
  }

  // A text, or a number for an icon named by id.
  void Text(Control& control) {
    if (Peek().kind == TokenKind::String) {
      control.text = Take().text;
    } else {
      control.iconId = Integer(0, 0xFFFF, "resource id");
    }
    Expect(",", "the text");
  }

  Control Specific(const Statement& statement) {
    Control control;
    control.className = statement.className;
    if (statement.shape != Shape::NoText) Text(control);
    control.id = ControlId();
    Expect(",", "the id");
    Position(&control.x, &control.y);
    const bool sized =
        statement.shape != Shape::Icon || (Peek().kind == TokenKind::Punct && Peek().text == ",");
    if (sized) {
      Expect(",", "y");
      Size(&control.width, &control.height);
    }
    control.style = kControlBase | statement.style;
    if (sized && TakePunct(",")) {
      control.style = Style(control.style);
      if (TakePunct(",")) control.exStyle = Style(0);
    }
    Finish(control);
    return control;
  }

  // CONTROL text, id, class, style, x, y, width, height [, exstyle]
  Control Generic() {
    Control control;
    Text(control);
    control.id = ControlId();
    Expect(",", "the id");
    control.className = String("the class name");
    for (std::string_view predefined : kPredefinedClasses) {
      if (SameWord(control.className, predefined)) control.className = predefined;
    }
    Expect(",", "the class");
    control.style = Style(kControlBase);
    Expect(",", "the style");
    Position(&control.x, &control.y);
    Expect(",", "y");
    Size(&control.width, &control.height);
    if (TakePunct(",")) control.exStyle = Style(0);
    Finish(control);
    return control;
  }

  // Buttons and static texts show '&' as a mnemonic mark, except SS_NOPREFIX statics; edit
  // fields and the rest show their text as it is.
  static void Finish(Control& control) {
    const bool literal = control.className == "STATIC" && (control.style & SS_NOPREFIX) != 0;
    if ((control.className == "BUTTON" || control.className == "STATIC") && !literal) {
      control.text = WithoutMnemonics(control.text);
    }
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

// ---- Writer

std::string CppString(std::string_view text) {
  std::string literal = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '?') {
      literal += '\\';
      literal += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      literal += c;
    } else {
      std::array<char, 8> octal{};
      std::snprintf(octal.data(), octal.size(), "\\%03o", byte);
      literal += octal.data();
    }
  }
  return literal + "\"";
}

std::string Hex(std::uint32_t value) {
  std::array<char, 16> hex{};
  std::snprintf(hex.data(), hex.size(), "0x%08X", value);
  return hex.data();
}

}  // namespace

std::vector<Dialog> ParseScript(std::string_view text, const std::filesystem::path& fileName) {
  Macros macros;
  std::vector<Token> tokens;
  Lexer(text, fileName, macros, 0, tokens).Run();
  return Parser(std::move(tokens)).Script();
}

std::vector<Dialog> ParseScriptFile(const std::filesystem::path& file) {
  return ParseScript(ReadWholeFile(file, file.string()), file);
}

std::string WriteDialogSource(const std::vector<Dialog>& dialogs, std::string_view origin) {
  std::ostringstream out;
  out << "// Generated by tavrin-rc from " << origin << "; edit the script, not this file.\n"
      << "#include \"platform/dialog_template.h\"\n"
      << "#include \"platform/resources.h\"\n\n"
      << "namespace {\n";
  std::ostringstream registrations;
  for (std::size_t index = 0; index < dialogs.size(); ++index) {
    const Dialog& dialog = dialogs[index];
    const std::string table = "kDialog" + std::to_string(index);
    const std::string label = dialog.name.empty() ? std::to_string(dialog.id) : dialog.name;
    out << "\n// " << label << "\n";
    std::string items = "nullptr";
    if (!dialog.controls.empty()) {
      items = table + "Items";
      out << "const platform::DialogItemTemplate " << items << "[] = {\n";
      for (const Control& control : dialog.controls) {
        out << "    {" << control.id << ", " << CppString(control.className) << ", "
            << CppString(control.text) << ", " << Hex(control.style) << ", " << Hex(control.exStyle)
            << ", " << control.x << ", " << control.y << ", " << control.width << ", "
            << control.height << ", " << control.iconId << "},\n";
      }
      out << "};\n";
    }
    out << "const platform::DialogTemplate " << table << " = {" << Hex(dialog.style) << ", "
        << Hex(dialog.exStyle) << ", " << dialog.x << ", " << dialog.y << ", " << dialog.width
        << ", " << dialog.height << ",\n    " << CppString(dialog.caption) << ", "
        << CppString(dialog.fontName) << ", " << dialog.pointSize << ", " << items << ", "
        << dialog.controls.size() << "};\n";
    const std::string key = dialog.name.empty() ? "nullptr, " + std::to_string(dialog.id)
                                                : CppString(dialog.name) + ", 0";
    registrations << "    platform::RegisterResource({platform::ResourceType::Dialog, " << key
                  << ",\n        reinterpret_cast<const unsigned char*>(&" << table << "), sizeof "
                  << table << "});\n";
  }
  out << "\nstruct Registration {\n  Registration() {\n"
      << registrations.str() << "  }\n};\nconst Registration registration;\n\n}  // namespace\n";
  return out.str();
}

}  // namespace rc
