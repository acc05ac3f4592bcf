// The dialogs of a resource script (the syntax of Microsoft's rc and GNU windres), read into
// plain records and written out as the platform's DialogTemplate tables. Used by the tavrin-rc
// build step; the tests read scripts through it too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rc {

// A fault in a script, already located: "FILE:LINE: message".
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Control {
  int id = 0;
  std::string className;  // the six predefined classes in capitals, any other as written
  std::string text;       // BUTTON and STATIC: "&&" made "&", a lone '&' (mnemonic) dropped
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  int iconId = 0;  // the text was a number (an icon named by id); the text is then empty
};

struct Dialog {
  std::string name;  // empty when the dialog has an integer id
  int id = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string caption;
  std::string fontName;
  int pointSize = 0;
  std::vector<Control> controls;  // in script order, which is the tab order
};

// Reads every DIALOG and DIALOGEX of the script text; `fileName` names it in errors, and a
// quoted #include is looked up beside it. Throws ScriptError.
std::vector<Dialog> ParseScript(std::string_view text, const std::filesystem::path& fileName);
// The same for a file. Throws ScriptError, also when the file cannot be read.
std::vector<Dialog> ParseScriptFile(const std::filesystem::path& file);

// A C++ source that registers each dialog as a platform::ResourceType::Dialog resource
// before main(); `origin` is named in its header comment.
std::string WriteDialogSource(const std::vector<Dialog>& dialogs, std::string_view origin);

}  // namespace rc
