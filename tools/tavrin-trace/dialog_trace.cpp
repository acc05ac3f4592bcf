#include "tools/tavrin-trace/dialog_trace.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "libs/raui/call_text.h"
#include "platform/headless/headless.h"
#include "platform/kernel/registry_store.h"
#include "platform/user/dialog_controls.h"
#include "platform/win32.h"
#include "saver/host.h"
#include "saver/picture_library.h"

namespace trace {
namespace {

// A screen of a common size: the dialog centres on it as it would on a desktop.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

struct Tracer;

// The picture library's entry as the dialog bound it, and who reports what it decodes.
NViewLibLoadProc boundLoad = nullptr;
const Tracer* thumbnailTracer = nullptr;

HBITMAP WINAPI TracedLoad(LPCSTR path, int flag);

struct Tracer {
  std::FILE* in;
  std::FILE* out;
  std::vector<std::string> chosen;  // the next file chooser's answer, one "choose" at a time

  void Print(const std::string& line) const {
    std::fputs(line.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
  }

  bool ReadLine(std::string* line) const {
    line->clear();
    int c = 0;
    while ((c = std::fgetc(in)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
    if (c == EOF && line->empty()) return false;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
  }

  // One action; false only at the end of the script.
  bool Next() {
    // The dialog binds the picture library as it opens: every picture it decodes from then on
    // is a thumbnail.
    if (PictureLibrary.Load != nullptr && PictureLibrary.Load != TracedLoad) {
      boundLoad = PictureLibrary.Load;
      PictureLibrary.Load = TracedLoad;
    }
    std::string line;
    do {
      if (!ReadLine(&line)) {
        if (platform::TopDialog() != nullptr) Print("open");
        return false;
      }
    } while (line.find_first_not_of(" \t") == std::string::npos);
    Apply(line);
    return true;
  }

  void Apply(const std::string& line) {
    std::string_view rest(line);
    const std::string verb(Word(&rest));
    bool understood = true;
    int id = 0;
    if (verb == "click") {
      understood = Number(Word(&rest), &id) && headless::ClickControl(id);
    } else if (verb == "pick") {
      understood = Number(Word(&rest), &id) && Pick(id, rest);
    } else if (verb == "type") {
      understood = Number(Word(&rest), &id) && headless::TypeText(id, std::string(rest));
    } else if (verb == "arrow") {
      const bool parsed = Number(Word(&rest), &id);
      const std::string_view way = Word(&rest);
      understood =
          parsed && (way == "up" || way == "down") && headless::PressArrow(id, way == "up");
    } else if (verb == "key") {
      const std::string_view key = Word(&rest);
      UINT code = 0;
      if (key == "escape") code = VK_ESCAPE;
      if (key == "enter") code = VK_RETURN;
      if (key == "f1") code = VK_F1;
      understood = code != 0 && headless::PressDialogKey(code);
    } else if (verb == "close") {
      understood = headless::PressCloseBox();
    } else if (verb == "wait") {
      understood = Number(Word(&rest), &id) && id >= 0;
      if (understood) headless::AdvanceClock(static_cast<DWORD>(id));
    } else if (verb == "choose") {
      understood = !rest.empty();
      if (understood) {
        chosen.emplace_back(rest);
        headless::ChooseNextFiles(chosen);
      }
    } else if (verb == "cancel-chooser") {
      chosen.clear();
      headless::CancelNextChooser();
    } else if (verb == "answer") {
      understood = Number(Word(&rest), &id);
      if (understood) headless::SetMessageBoxAnswer(id);
    } else if (verb == "show") {
      Show();
    } else {
      understood = false;
    }
    if (!understood) std::fprintf(stderr, "tavrin-trace: cannot do \"%s\"\n", line.c_str());
  }

  static std::string_view Word(std::string_view* rest) {
    const auto start = rest->find_first_not_of(' ');
    if (start == std::string_view::npos) {
      *rest = {};
      return {};
    }
    rest->remove_prefix(start);
    const auto end = rest->find(' ');
    const std::string_view word = rest->substr(0, end);
    rest->remove_prefix(end == std::string_view::npos ? rest->size() : end + 1);
    return word;
  }

  static bool Number(std::string_view text, int* number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
  }

  static bool Pick(int id, std::string_view what) {
    int index = 0;
    if (what.size() > 1 && what[0] == '#' && Number(what.substr(1), &index)) {
      return headless::PickEntry(id, index);
    }
    return headless::PickEntryText(id, std::string(what));
  }

  static std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
      if (c == '\t') {
        escaped += "\\t";
      } else if (c == '\n') {
        escaped += "\\n";
      } else {
        escaped += c;
      }
    }
    return escaped;
  }

  void Show() const {
    HWND dialog = platform::TopDialog();
    if (dialog == nullptr) return;
    for (HWND control : platform::DialogControls(dialog)) {
      platform::ControlSnapshot state;
      if (!platform::SnapshotControl(control, &state)) continue;
      const bool listed = state.kind == platform::ControlKind::ComboBox ||
                          state.kind == platform::ControlKind::ListBox;
      std::string line = "ctl " + std::to_string(state.id) +
                         " enabled=" + (state.enabled ? "1" : "0") +
                         " visible=" + (state.visible ? "1" : "0") +
                         " checked=" + (state.checked ? "1" : "0") + " text=";
      if (state.kind == platform::ControlKind::ComboBox) {
        if (state.selection >= 0)
          line += Escaped(state.items[static_cast<std::size_t>(state.selection)]);
      } else {
        line += Escaped(state.text);
      }
      if (listed) {
        line += " sel=" + std::to_string(state.selection) +
                " count=" + std::to_string(state.items.size());
      }
      Print(line);
      if (!listed) continue;
      for (std::size_t i = 0; i < state.items.size(); ++i) {
        Print("entry " + std::to_string(i) + " " + Escaped(state.items[i]));
      }
    }
  }
};

HBITMAP WINAPI TracedLoad(LPCSTR path, int flag) {
  HBITMAP picture = boundLoad(path, flag);
  if (picture != nullptr && thumbnailTracer != nullptr) {
    BITMAP size{};
    GetObject(picture, sizeof size, &size);
    thumbnailTracer->Print("thumbnail " + std::string(path) + " " + std::to_string(size.bmWidth) +
                           " " + std::to_string(size.bmHeight));
  }
  return picture;
}

std::string Hex(UINT value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

// The subkey a value's folder stands for: its last name ("Settings", "The Gig").
std::string SubKeyOf(const std::string& folder) {
  const auto slash = folder.find_last_of('/');
  const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
  const auto decoded = platform::registry::DecodeFileName(last);
  return decoded ? decoded->name : last;
}

}  // namespace

void TraceDialog(std::FILE* in, std::FILE* out) {
  headless::Install(kScreenWidth, kScreenHeight);
  // The clip player opens its clips as in the dialog, into no sound card unless told.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  Tracer tracer{in, out, {}};
  platform::registry::SetWriteObserver([&tracer](const std::string& folder, std::string_view name,
                                                 std::string_view bytes) {
    tracer.Print("write " + SubKeyOf(folder) + " " + std::string(name) + " " + std::string(bytes));
  });
  headless::Observer observer;
  observer.messageBox = [&tracer](const headless::MessageBoxRecord& box) {
    tracer.Print("box " + Hex(box.type) + " " + box.caption + "|" + box.text);
  };
  observer.timerSet = [&tracer](HWND, UINT_PTR id, UINT elapse) {
    tracer.Print("timer " + std::to_string(id) + " " + std::to_string(elapse));
  };
  observer.timerKilled = [&tracer](HWND, UINT_PTR id) {
    tracer.Print("killtimer " + std::to_string(id));
  };
  observer.dialogEnded = [&tracer](HWND, INT_PTR result) {
    tracer.Print("end " + std::to_string(result));
  };
  observer.help = [&tracer](const std::string& path, UINT command) {
    tracer.Print("help " + path + " " + std::to_string(command));
  };
  observer.chooser = [&tracer](const std::string& folder, const std::string& title, DWORD flags,
                               const std::string& defaultExtension) {
    tracer.Print("chooser " + folder + "|" + title + "|" + Hex(flags) + "|" + defaultExtension);
    // The answer was this chooser's; the next one starts afresh.
    tracer.chosen.clear();
  };
  headless::SetObserver(std::move(observer));
  raui::ObserveCalls([&tracer](const std::string& call) { tracer.Print("ragui " + call); });
  thumbnailTracer = &tracer;
  headless::SetDialogDriver([&tracer] { return tracer.Next(); });

  ScreenSaverMain(GetModuleHandle(nullptr), "tavrin /c");

  headless::SetDialogDriver(nullptr);
  thumbnailTracer = nullptr;
  raui::ObserveCalls({});
  headless::SetObserver({});
  platform::registry::SetWriteObserver(nullptr);
}

}  // namespace trace
