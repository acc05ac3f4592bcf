// The player's Win32 controls: play/pause and stop, the position slider, the times, the clip's
// name and a status line, in a window of their own covering the host control and following its
// size.
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "libs/raui/player_view.h"
#include "libs/raui/raui.h"
#include "platform/win32.h"

namespace raui {
namespace {

// Slow enough that an idle-looking player costs nothing, quick enough for a smooth slider.
constexpr UINT kTickMs = 150;
constexpr UINT_PTR kTickTimer = 1;
// The arrow keys move the slider by a second; a step of one millisecond would not move it at all.
constexpr LPARAM kLineStepMs = 1000;
constexpr char kContainerClass[] = "TavrinClipPlayer";

// Enter on a focused push button reaches the dialog itself, as a WM_COMMAND with the button's
// id: the player's ids keep clear of the dialog's own.
enum ControlId : int {
  kNameId = 0x7A00,
  kPositionId,
  kElapsedId,
  kTotalId,
  kPlayId,
  kStopId,
  kStatusId
};

// Pixels, as the Qt view has them.
constexpr int kMarginLeft = 6;
constexpr int kMarginTop = 2;
constexpr int kMarginRight = 6;
constexpr int kMarginBottom = 4;
constexpr int kRowGap = 1;
constexpr int kButtonGap = 4;

struct Labels {
  const wchar_t* play;
  const wchar_t* pause;
  const wchar_t* stop;
};
constexpr Labels kWords{L"Play", L"Pause", L"Stop"};
// The dialog's font has no media glyphs.
constexpr Labels kSymbols{L">", L"||", L"[]"};

std::wstring Minutes(LONG milliseconds) {
  const LONG seconds = std::max<LONG>(milliseconds, 0) / 1000;
  const LONG rest = seconds % 60;
  return std::to_wstring(seconds / 60) + (rest < 10 ? L":0" : L":") + std::to_wstring(rest);
}

// The clip's texts are in the ANSI code page; cutting them is done on whole characters.
std::wstring Widen(const std::string& text) {
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size)));
  return wide;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Repainting an unchanged text at every tick would flicker. True when it changed.
bool SetText(HWND window, const std::wstring& text) {
  if (TextOf(window) == text) return false;
  SetWindowTextW(window, text.c_str());
  return true;
}

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      kContainerClass, &module);
  return module;
}

// The host's font is the dialog's (the dialog manager gave it one); a bare window has none.
HFONT DialogFont(HWND host) {
  for (HWND window : {host, GetParent(host)}) {
    if (window == nullptr) continue;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
    if (auto* font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0))) return font;
  }
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// A window's DC with `font` selected; both are given back at the end.
class FontDc {
 public:
  FontDc(HWND window, HFONT font)
      : window_(window), dc_(GetDC(window)), old_(SelectObject(dc_, font)) {}
  ~FontDc() {
    SelectObject(dc_, old_);
    ReleaseDC(window_, dc_);
  }
  FontDc(const FontDc&) = delete;
  FontDc& operator=(const FontDc&) = delete;

  int Width(std::wstring_view text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int LineHeight() const {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    return metrics.tmHeight;
  }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ old_;
};

// The middle gives way, as with the Qt view: a file name keeps its start and its type. A static's
// own path ellipsis cuts a name without backslashes at both ends under Wine.
std::wstring ElideMiddle(const FontDc& dc, const std::wstring& text, int width) {
  if (dc.Width(text) <= width) return text;
  const auto kept = [&text](std::size_t count) {
    const std::size_t head = (count + 1) / 2;
    return text.substr(0, head) + L"\u2026" + text.substr(text.size() - (count - head));
  };
  std::size_t fits = 0;
  std::size_t tooMany = text.size();
  while (tooMany - fits > 1) {
    const std::size_t count = (fits + tooMany) / 2;
    if (dc.Width(kept(count)) <= width) {
      fits = count;
    } else {
      tooMany = count;
    }
  }
  return kept(fits);
}

// The tips' popup goes with its owner, the dialog, before the host's last message: a window may be
// gone already.
struct WindowDestroyer {
  void operator()(HWND window) const {
    if (IsWindow(window) != FALSE) DestroyWindow(window);
  }
};
using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

class WindowView final : public PlayerView {
 public:
  WindowView(HWND host, PlayerActions actions)
      : host_(host), actions_(std::move(actions)), font_(DialogFont(host)) {
    const HINSTANCE module = ThisModule();
    if (!RegisterContainerClass(module)) return;
    RECT area{};
    GetClientRect(host, &area);
    container_.reset(CreateWindowExA(WS_EX_CONTROLPARENT, kContainerClass, "",
                                     WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, area.right,
                                     area.bottom, host, nullptr, module, nullptr));
    if (container_ == nullptr) return;
    // SS_NOTIFY: a static is transparent to the mouse, and its tip would never show.
    constexpr DWORD kText = SS_NOPREFIX | SS_NOTIFY;
    name_ = Child(WC_STATICA, SS_LEFT | kText, kNameId);
    position_ = Child(TRACKBAR_CLASSA, WS_TABSTOP | TBS_HORZ | TBS_NOTICKS | TBS_BOTH, kPositionId);
    elapsed_ = Child(WC_STATICA, SS_LEFT | SS_NOPREFIX, kElapsedId);
    total_ = Child(WC_STATICA, SS_RIGHT | SS_NOPREFIX, kTotalId);
    play_ = Child(WC_BUTTONA, WS_TABSTOP | BS_PUSHBUTTON, kPlayId);
    stop_ = Child(WC_BUTTONA, WS_TABSTOP | BS_PUSHBUTTON, kStopId);
    status_ = Child(WC_STATICA, SS_RIGHT | kText, kStatusId);
    const std::initializer_list<HWND> parts{name_, position_, elapsed_, total_,
                                            play_, stop_,     status_};
    const bool complete = std::ranges::none_of(parts, [](HWND part) { return part == nullptr; });
    if (!complete ||
        SetWindowSubclass(host, HostProc, Id(), reinterpret_cast<DWORD_PTR>(this)) == FALSE) {
      container_.reset();
      return;
    }
    SetWindowLongPtrA(container_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Owned by the dialog, as a popup must be: it does not go with the container.
    tips_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                                container_.get(), nullptr, module, nullptr));
    for (HWND part : {name_, status_, play_, stop_}) Tip(part, TTM_ADDTOOLW, L"");
    // The dialog manager tabs only into children of windows that say they hold controls, and
    // the host is a plain static.
    const LONG_PTR extended = GetWindowLongPtrA(host, GWL_EXSTYLE);
    addedControlParent_ = (extended & WS_EX_CONTROLPARENT) == 0;
    if (addedControlParent_) SetWindowLongPtrA(host, GWL_EXSTYLE, extended | WS_EX_CONTROLPARENT);
  }

  ~WindowView() override {
    tips_.reset();
    if (host_ != nullptr) {
      RemoveWindowSubclass(host_, HostProc, Id());
      if (addedControlParent_) {
        SetWindowLongPtrA(host_, GWL_EXSTYLE,
                          GetWindowLongPtrA(host_, GWL_EXSTYLE) & ~LONG_PTR{WS_EX_CONTROLPARENT});
      }
    }
    // Its last messages need nothing of the view.
    if (container_ != nullptr) SetWindowLongPtrA(container_.get(), GWLP_USERDATA, 0);
  }
  WindowView(const WindowView&) = delete;
  WindowView& operator=(const WindowView&) = delete;

  bool Ready() const { return container_ != nullptr; }

  void Show(const PlayerDisplay& display) override {
    if (container_ == nullptr) return;
    const BOOL open = display.state != PlayState::Empty ? TRUE : FALSE;
    playing_ = display.state == PlayState::Playing;
    Whole(name_, nameText_, Widen(display.name));
    Whole(status_, statusText_, Widen(display.status));
    FitTexts();
    for (HWND control : {play_, stop_, position_}) EnableWindow(control, open);
    Label(play_, playing_ ? Texts().pause : Texts().play);
    const LONG length = std::max<LONG>(display.lengthMs, 0);
    if (length != lengthMs_) {
      lengthMs_ = length;
      // TBM_SETRANGE packs both ends into 16 bits, about a minute.
      SendMessageA(position_, TBM_SETRANGEMIN, FALSE, 0);
      SendMessageA(position_, TBM_SETRANGEMAX, TRUE, length);
      SendMessageA(position_, TBM_SETPAGESIZE, 0, std::max<LONG>(1, length / 10));
      SendMessageA(position_, TBM_SETLINESIZE, 0, kLineStepMs);
    }
    // The user's drag wins over the clip's progress; the slider holds the mouse while its thumb
    // is held.
    if (GetCapture() != position_) {
      SendMessageA(position_, TBM_SETPOS, TRUE, display.playedMs);
      shownPosition_ = SendMessageA(position_, TBM_GETPOS, 0, 0);
    }
    SetText(elapsed_, Minutes(display.playedMs));
    SetText(total_, Minutes(length));
    if (playing_ && !ticking_) ticking_ = SetTimer(container_.get(), kTickTimer, kTickMs, nullptr);
    if (!playing_ && ticking_) {
      KillTimer(container_.get(), kTickTimer);
      ticking_ = false;
    }
  }

  void Arrange(const PlayerLayout& layout) override {
    if (container_ == nullptr) return;
    controls_ = layout.controls;
    noLabels_ = layout.noLabels;
    const bool buttons = (controls_ & RAGUI_CONTROL_PLAY) != 0;
    const bool position = (controls_ & RAGUI_CONTROL_POSITION) != 0;
    const bool status = (controls_ & RAGUI_CONTROL_STATUS) != 0;
    for (auto [control, shown] :
         {std::pair{play_, buttons}, std::pair{stop_, buttons}, std::pair{position_, position},
          std::pair{elapsed_, position}, std::pair{total_, position}, std::pair{name_, status},
          std::pair{status_, status}}) {
      ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    }
    Label(play_, playing_ ? Texts().pause : Texts().play);
    Label(stop_, Texts().stop);
    const FontDc dc(container_.get(), font_);
    lineHeight_ = dc.LineHeight();
    // As wide as its wider text, so that the button keeps its size from play to pause.
    playWidth_ = std::max(dc.Width(Texts().play), dc.Width(Texts().pause)) + lineHeight_;
    stopWidth_ = dc.Width(Texts().stop) + lineHeight_;
    Layout();
  }

 private:
  static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
    auto* view = reinterpret_cast<WindowView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (view == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    // An action may end the view: nothing of it is touched after one.
    switch (message) {
      case WM_SIZE:
        view->Layout();
        return 0;
      case WM_COMMAND:
        // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
        if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == view->play_) {
          Call(view->actions_.playOrPause);
          // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
        } else if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == view->stop_) {
          Call(view->actions_.stop);
        }
        return 0;
      case WM_HSCROLL:
        // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
        if (reinterpret_cast<HWND>(lParam) == view->position_) view->Scrolled();
        return 0;
      case WM_TIMER:
        if (wParam != kTickTimer) break;
        Call(view->actions_.tick);
        return 0;
      case WM_NCDESTROY:
        // Gone with its host (the view unlinks the container before it destroys it).
        (void)view->container_.release();  // Windows has destroyed it
        break;
      default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  static LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
    auto* view = reinterpret_cast<WindowView*>(data);
    switch (message) {
      // A host whose own procedure takes WM_WINDOWPOSCHANGED never sees WM_SIZE.
      case WM_SIZE:
      case WM_WINDOWPOSCHANGED: {
        const LRESULT result = DefSubclassProc(host, message, wParam, lParam);
        view->FitHost();
        return result;
      }
      case WM_NCDESTROY: {
        RemoveWindowSubclass(host, HostProc, id);
        const LRESULT result = DefSubclassProc(host, message, wParam, lParam);
        view->HostGone();
        return result;
      }
      default:
        return DefSubclassProc(host, message, wParam, lParam);
    }
  }

  static bool RegisterContainerClass(HINSTANCE module) {
    static const ATOM registered = [module] {
      WNDCLASSEXA type{};
      type.cbSize = sizeof type;
      type.lpfnWndProc = ContainerProc;
      type.hInstance = module;
      type.hCursor = LoadCursor(nullptr, IDC_ARROW);
      // The dialog's own face: the host's frame shows around a player of the same colour.
      // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
      type.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
      type.lpszClassName = kContainerClass;
      return RegisterClassExA(&type);
    }();
    return registered != 0;
  }

  // A copy runs: the action may end the view, and these actions with it, while it runs.
  template <typename... Arguments>
  static void Call(const std::function<void(Arguments...)>& action, Arguments... arguments) {
    if (!action) return;
    const auto running = action;
    running(arguments...);
  }

  // One subclass per view, so that two views in one host never replace each other's.
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  HWND Child(const char* type, DWORD style, int id) const {
    HWND control = CreateWindowExA(
        0, type, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, container_.get(),
        // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 hands handles and ids over as integers
        reinterpret_cast<HMENU>(INT_PTR{id}), ThisModule(), nullptr);
    if (control != nullptr) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
    return control;
  }

  const Labels& Texts() const { return noLabels_ ? kSymbols : kWords; }

  void Tip(HWND part, UINT message, const std::wstring& text) const {
    TTTOOLINFOW tool{};
    // The size comctl32 5 takes too, for a program without a manifest.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = container_.get();
    tool.uId = reinterpret_cast<UINT_PTR>(part);
    tool.lpszText = const_cast<LPWSTR>(text.c_str());
    SendMessageW(tips_.get(), message, 0, reinterpret_cast<LPARAM>(&tool));
  }

  // A button's text, and its tip for when it shows symbols only.
  void Label(HWND button, const wchar_t* text) {
    if (SetText(button, text)) Tip(button, TTM_UPDATETIPTEXTW, text);
  }

  // The name or the status as it is, kept whole in its tip.
  void Whole(HWND part, std::wstring& whole, std::wstring text) const {
    if (text == whole) return;
    whole = std::move(text);
    Tip(part, TTM_UPDATETIPTEXTW, whole);
  }

  // The name and the status, cut to their widths.
  void FitTexts() const {
    const FontDc dc(container_.get(), font_);
    for (auto [part, text] : {std::pair{name_, &nameText_}, std::pair{status_, &statusText_}}) {
      RECT area{};
      GetClientRect(part, &area);
      SetText(part, ElideMiddle(dc, *text, area.right));
    }
  }

  void Scrolled() {
    const LRESULT at = SendMessageA(position_, TBM_GETPOS, 0, 0);
    // Letting go of the thumb or of a key repeats the position the move already gave.
    if (at == shownPosition_) return;
    shownPosition_ = at;
    Call(actions_.seek, static_cast<LONG>(at));
  }

  void FitHost() {
    if (container_ == nullptr) return;
    RECT host{};
    RECT now{};
    GetClientRect(host_, &host);
    GetClientRect(container_.get(), &now);
    if (now.right == host.right && now.bottom == host.bottom) return;
    SetWindowPos(container_.get(), nullptr, 0, 0, host.right, host.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Rows from the top, centred: the name, the slider, the times, the buttons beside the status.
  void Layout() {
    RECT area{};
    GetClientRect(container_.get(), &area);
    const int areaWidth = area.right;
    const int areaHeight = area.bottom;
    const bool buttons = (controls_ & RAGUI_CONTROL_PLAY) != 0;
    const bool position = (controls_ & RAGUI_CONTROL_POSITION) != 0;
    const bool status = (controls_ & RAGUI_CONTROL_STATUS) != 0;
    const int line = lineHeight_;
    const int control = line * 7 / 4;
    const int rows[] = {status ? line : 0, position ? control : 0, position ? line : 0,
                        buttons || status ? control : 0};
    int used = -kRowGap;
    for (int height : rows) used += height > 0 ? height + kRowGap : 0;
    int y =
        kMarginTop + std::max(0, (areaHeight - kMarginTop - kMarginBottom - std::max(used, 0)) / 2);
    const auto next = [&y](int height) {
      const int top = y;
      if (height > 0) y += height + kRowGap;
      return top;
    };
    const auto place = [](HWND part, int left, int top, int width, int height) {
      SetWindowPos(part, nullptr, left, top, std::max(width, 0), height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int left = kMarginLeft;
    const int width = std::max(0, areaWidth - kMarginLeft - kMarginRight);
    place(name_, left, next(rows[0]), width, line);
    place(position_, left, next(rows[1]), width, control);
    const int times = next(rows[2]);
    place(elapsed_, left, times, width / 2, line);
    place(total_, left + width / 2, times, width - width / 2, line);
    const int bottom = next(rows[3]);
    int statusLeft = left;
    if (buttons) {
      place(play_, left, bottom, playWidth_, control);
      place(stop_, left + playWidth_ + kButtonGap, bottom, stopWidth_, control);
      statusLeft += playWidth_ + kButtonGap + stopWidth_ + kButtonGap;
    }
    place(status_, statusLeft, bottom + (control - line) / 2, left + width - statusLeft, line);
    FitTexts();
  }

  void HostGone() {
    tips_.reset();
    host_ = nullptr;
    if (auto gone = std::exchange(actions_.hostGone, nullptr)) gone();
  }

  HWND host_;  // null once it has gone
  PlayerActions actions_;
  HFONT font_;  // the dialog's
  OwnedWindow container_;
  OwnedWindow tips_;
  // The container's children, destroyed with it.
  HWND name_ = nullptr;
  HWND position_ = nullptr;
  HWND elapsed_ = nullptr;
  HWND total_ = nullptr;
  HWND play_ = nullptr;
  HWND stop_ = nullptr;
  HWND status_ = nullptr;
  bool addedControlParent_ = false;
  DWORD controls_ = 0;
  bool noLabels_ = false;
  bool playing_ = false;
  bool ticking_ = false;
  std::wstring nameText_;
  std::wstring statusText_;
  LONG lengthMs_ = -1;
  LRESULT shownPosition_ = 0;  // where the slider was put or last moved to
  int lineHeight_ = 0;
  int playWidth_ = 0;
  int stopWidth_ = 0;
};

}  // namespace

std::unique_ptr<PlayerView> MakeWidgetView(HWND window, const PlayerLayout& layout,
                                           PlayerActions actions) {
  // Another thread's window cannot be subclassed, and its messages would come on that thread.
  if (window == nullptr || IsWindow(window) == FALSE ||
      GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    return nullptr;
  }
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  auto view = std::make_unique<WindowView>(window, std::move(actions));
  if (!view->Ready()) return nullptr;
  view->Arrange(layout);
  view->Show(PlayerDisplay{});
  return view;
}

}  // namespace raui
