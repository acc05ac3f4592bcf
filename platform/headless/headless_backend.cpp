#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/handles.h"
#include "platform/headless/headless.h"
#include "platform/message_box.h"
#include "platform/user/window_system.h"

namespace headless {
namespace {

using platform::HandleValue;

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
// Foreign ids look like X window ids: non-zero, below 2^29.
constexpr std::uintptr_t kFirstForeignId = 0x00200001;

struct NativeWindow {
  std::vector<std::uint32_t> pixels;  // black when made or remade
  int width = 0;
  int height = 0;
  std::uintptr_t foreignParent = 0;  // follows that window's size

  void Remake(int newWidth, int newHeight) {
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  }
};

struct ScriptedInput {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::uint64_t atPoll;
};

struct ForeignEvent {
  std::uintptr_t id;
  bool destroyed;  // else resized to the foreign window's current size
};

bool Readable(int fd) {
  pollfd watched{fd, POLLIN, 0};
  return poll(&watched, 1, 0) > 0 && (watched.revents & POLLIN) != 0;
}

class HeadlessBackend final : public platform::Backend {
 public:
  HeadlessBackend(int screenWidth, int screenHeight)
      : screenWidth_(std::max(screenWidth, 0)), screenHeight_(std::max(screenHeight, 0)) {}

  DWORD TickCount() override { return clock_.load(std::memory_order_relaxed); }
  void SleepFor(DWORD milliseconds) override { Advance(milliseconds); }
  void Advance(DWORD milliseconds) { clock_.fetch_add(milliseconds, std::memory_order_relaxed); }

  int ScreenWidth() override { return screenWidth_; }
  int ScreenHeight() override { return screenHeight_; }

  bool CreateNativeWindow(HWND window, const platform::NativeWindowParams& params) override {
    const std::scoped_lock lock(mutex_);
    NativeWindow native;
    const std::uintptr_t parent = HandleValue(params.parent);
    if (parent != 0 && parent < platform::kWindowHandleBase) {
      if (!foreign_.contains(parent)) return false;
      native.foreignParent = parent;
    }
    native.Remake(params.width - 2 * params.clientInset, params.height - 2 * params.clientInset);
    windows_[window] = std::move(native);
    return true;
  }
  void DestroyNativeWindow(HWND window) override {
    const std::scoped_lock lock(mutex_);
    windows_.erase(window);
  }
  void ShowNativeWindow(HWND /*window*/, bool /*visible*/) override {}
  platform::PixelSurface Surface(HWND window) override {
    const std::scoped_lock lock(mutex_);
    const auto found = windows_.find(window);
    if (found == windows_.end()) return platform::PixelSurface{};
    NativeWindow& native = found->second;
    return platform::PixelSurface{native.pixels.data(), native.width, native.height, native.width};
  }
  void Present(HWND /*window*/, const RECT& /*changed*/) override {
    presents_.fetch_add(1, std::memory_order_relaxed);
  }

  bool ForeignWindowExists(std::uintptr_t nativeId) override {
    const std::scoped_lock lock(mutex_);
    return foreign_.contains(nativeId);
  }
  bool ForeignClientSize(std::uintptr_t nativeId, int* width, int* height) override {
    const std::scoped_lock lock(mutex_);
    const auto found = foreign_.find(nativeId);
    if (found == foreign_.end()) return false;
    if (width != nullptr) *width = found->second.first;
    if (height != nullptr) *height = found->second.second;
    return true;
  }
  // There are no other processes on a virtual screen.
  std::uintptr_t FindNativeWindow(const char* /*className*/, const char* /*title*/) override {
    return 0;
  }
  void RaiseWindow(HWND /*window*/) override {}

  POINT CursorPos() override {
    const std::scoped_lock lock(mutex_);
    return cursor_;
  }
  void SetCursorHidden(bool hidden) override { cursorHidden_.store(hidden); }

  bool InputPending() override {
    const std::uint64_t poll = polls_.fetch_add(1, std::memory_order_relaxed) + 1;
    // As on X, a parent's destruction waiting to be pumped stops a transition like input.
    return nextVisiblePoll_.load(std::memory_order_relaxed) <= poll ||
           foreignDestroyed_.load(std::memory_order_relaxed);
  }

  void Pump() override {
    std::deque<ForeignEvent> events;
    std::vector<ScriptedInput> visible;
    std::vector<std::pair<HWND, std::pair<int, int>>> resized;
    std::vector<std::uintptr_t> destroyed;
    {
      const std::scoped_lock lock(mutex_);
      events.swap(foreignEvents_);
      foreignDestroyed_.store(false, std::memory_order_relaxed);
      for (const ForeignEvent& event : events) {
        if (event.destroyed) {
          destroyed.push_back(event.id);
          continue;
        }
        const auto parent = foreign_.find(event.id);
        if (parent == foreign_.end()) continue;
        const auto [width, height] = parent->second;
        for (auto& [window, native] : windows_) {
          if (native.foreignParent != event.id) continue;
          native.Remake(width, height);
          resized.emplace_back(window, std::make_pair(width, height));
        }
      }
      const std::uint64_t polled = polls_.load(std::memory_order_relaxed);
      while (!scripted_.empty() && scripted_.front().atPoll <= polled) {
        visible.push_back(scripted_.front());
        scripted_.pop_front();
      }
      UpdateNextVisibleLocked();
    }
    for (const auto& [window, size] : resized) {
      platform::DeliverResize(window, size.first, size.second);
    }
    for (const std::uintptr_t id : destroyed) platform::DeliverForeignDestroyed(id);
    for (const ScriptedInput& input : visible) {
      platform::DeliverInput(input.window, input.message, input.wParam, input.lParam);
    }
  }

  void Wait(int wakeFd, DWORD timeoutMs) override {
    if (Readable(wakeFd) || SomethingToPump()) return;
    if (timeoutMs != INFINITE) {
      // Nothing else can happen on a virtual screen meanwhile: jump to the deadline.
      Advance(timeoutMs);
      return;
    }
    if (blockingWait_.load()) {
      pollfd watched{wakeFd, POLLIN, 0};
      poll(&watched, 1, -1);
      return;
    }
    platform::AbandonWait();
  }

  // --- Dialogs and observation.
  IdleResult DialogIdle() override {
    std::function<bool()> driver;
    {
      const std::scoped_lock lock(mutex_);
      driver = driver_;
    }
    return driver && driver() ? IdleResult::Again : IdleResult::GiveUp;
  }
  bool OpenHelp(const std::string& path, UINT command, std::string* /*problem*/) override {
    Observer observer;
    {
      const std::scoped_lock lock(mutex_);
      help_.push_back(HelpRecord{path, command});
      observer = observer_;
    }
    if (observer.help) observer.help(path, command);
    return true;
  }
  bool ChooseFiles(const platform::FileRequest& request,
                   std::vector<std::string>* chosen) override {
    Observer observer;
    std::optional<std::vector<std::string>> answer;
    {
      const std::scoped_lock lock(mutex_);
      observer = observer_;
      answer.swap(chooserAnswer_);
    }
    if (observer.chooser) {
      observer.chooser(request.folder, request.title, request.flags, request.defaultExtension);
    }
    if (!answer || answer->empty()) return false;
    *chosen = std::move(*answer);
    return true;
  }
  void SetChooserAnswer(std::optional<std::vector<std::string>> answer) {
    const std::scoped_lock lock(mutex_);
    chooserAnswer_ = std::move(answer);
  }
  void TimerChanged(HWND window, UINT_PTR id, UINT elapse) override {
    const Observer observer = CurrentObserver();
    if (elapse != 0 && observer.timerSet) observer.timerSet(window, id, elapse);
    if (elapse == 0 && observer.timerKilled) observer.timerKilled(window, id);
  }
  void DialogEnded(HWND dialog, INT_PTR result) override {
    const Observer observer = CurrentObserver();
    if (observer.dialogEnded) observer.dialogEnded(dialog, result);
  }
  void SetDriver(std::function<bool()> driver) {
    const std::scoped_lock lock(mutex_);
    driver_ = std::move(driver);
  }
  void SetObserver(Observer observer) {
    const std::scoped_lock lock(mutex_);
    observer_ = std::move(observer);
  }
  Observer CurrentObserver() {
    const std::scoped_lock lock(mutex_);
    return observer_;
  }
  const std::vector<HelpRecord>& Help() const { return help_; }

  // --- What headless.h offers tests.
  void Script(const ScriptedInput& input) {
    const std::scoped_lock lock(mutex_);
    // Ordered by the poll that reveals each; input revealed by the same poll keeps its order.
    const auto after = std::upper_bound(
        scripted_.begin(), scripted_.end(), input.atPoll,
        [](std::uint64_t atPoll, const ScriptedInput& queued) { return atPoll < queued.atPoll; });
    scripted_.insert(after, input);
    UpdateNextVisibleLocked();
  }
  std::uint64_t PollCount() const { return polls_.load(std::memory_order_relaxed); }
  void SetCursor(POINT point) {
    const std::scoped_lock lock(mutex_);
    cursor_ = point;
  }
  bool CursorHidden() const { return cursorHidden_.load(); }
  std::uint64_t PresentCount() const { return presents_.load(std::memory_order_relaxed); }
  void SetBlocking(bool block) { blockingWait_.store(block); }

  std::uintptr_t CreateForeign(int width, int height) {
    const std::scoped_lock lock(mutex_);
    const std::uintptr_t id = nextForeign_++;
    foreign_[id] = {std::max(width, 0), std::max(height, 0)};
    return id;
  }
  void ResizeForeign(std::uintptr_t id, int width, int height) {
    const std::scoped_lock lock(mutex_);
    const auto found = foreign_.find(id);
    if (found == foreign_.end()) return;
    found->second = {std::max(width, 0), std::max(height, 0)};
    foreignEvents_.push_back(ForeignEvent{id, false});
  }
  void DestroyForeign(std::uintptr_t id) {
    const std::scoped_lock lock(mutex_);
    if (foreign_.erase(id) == 0) return;
    foreignEvents_.push_back(ForeignEvent{id, true});
    foreignDestroyed_.store(true, std::memory_order_relaxed);
  }

  void RecordBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    Observer observer;
    {
      const std::scoped_lock lock(mutex_);
      boxes_.push_back(MessageBoxRecord{owner, text, caption, type});
      observer = observer_;
    }
    if (observer.messageBox) observer.messageBox(MessageBoxRecord{owner, text, caption, type});
  }
  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }
  int BoxAnswer() const { return boxAnswer_.load(); }
  void SetBoxAnswer(int answer) { boxAnswer_.store(answer); }

 private:
  void UpdateNextVisibleLocked() {
    nextVisiblePoll_.store(scripted_.empty() ? kNever : scripted_.front().atPoll,
                           std::memory_order_relaxed);
  }
  bool SomethingToPump() {
    const std::scoped_lock lock(mutex_);
    return !foreignEvents_.empty() ||
           (!scripted_.empty() && scripted_.front().atPoll <= polls_.load());
  }

  const int screenWidth_;
  const int screenHeight_;
  std::atomic<DWORD> clock_{0};
  std::atomic<std::uint64_t> polls_{0};
  std::atomic<std::uint64_t> nextVisiblePoll_{kNever};
  std::atomic<std::uint64_t> presents_{0};
  std::atomic<bool> cursorHidden_{false};
  std::atomic<bool> blockingWait_{false};
  std::atomic<bool> foreignDestroyed_{false};  // a foreign window's end waits to be pumped
  std::atomic<int> boxAnswer_{IDOK};

  std::mutex mutex_;  // guards everything below
  std::map<HWND, NativeWindow> windows_;
  std::map<std::uintptr_t, std::pair<int, int>> foreign_;
  std::uintptr_t nextForeign_ = kFirstForeignId;
  std::deque<ForeignEvent> foreignEvents_;
  std::deque<ScriptedInput> scripted_;
  POINT cursor_{0, 0};
  std::vector<MessageBoxRecord> boxes_;
  std::vector<HelpRecord> help_;
  std::function<bool()> driver_;
  Observer observer_;
  std::optional<std::vector<std::string>> chooserAnswer_;  // empty: cancel
};

HeadlessBackend* Current() {
  return platform::InstalledBackendOf<HeadlessBackend>();
}

}  // namespace

void SetDialogDriver(std::function<bool()> driver) {
  if (HeadlessBackend* backend = Current()) backend->SetDriver(std::move(driver));
}

void SetObserver(Observer observer) {
  if (HeadlessBackend* backend = Current()) backend->SetObserver(std::move(observer));
}

void ChooseNextFiles(std::vector<std::string> paths) {
  if (HeadlessBackend* backend = Current()) backend->SetChooserAnswer(std::move(paths));
}

void CancelNextChooser() {
  if (HeadlessBackend* backend = Current()) backend->SetChooserAnswer(std::nullopt);
}

const std::vector<HelpRecord>& HelpRequests() {
  static const std::vector<HelpRecord> none;
  const HeadlessBackend* backend = Current();
  return backend != nullptr ? backend->Help() : none;
}

void Install(int screenWidth, int screenHeight) {
  platform::ResetWindowSystem();
  platform::gdi::ResetGdi();
  platform::InstallBackend(std::make_unique<HeadlessBackend>(screenWidth, screenHeight));
  platform::SetMessageBoxHandler(
      [](HWND owner, const std::string& text, const std::string& caption, UINT type) {
        HeadlessBackend* backend = Current();
        if (backend == nullptr) return IDOK;
        backend->RecordBox(owner, text, caption, type);
        return backend->BoxAnswer();
      });
}

DWORD Now() {
  HeadlessBackend* backend = Current();
  return backend != nullptr ? backend->TickCount() : 0;
}

void AdvanceClock(DWORD milliseconds) {
  if (HeadlessBackend* backend = Current()) backend->Advance(milliseconds);
}

void ScriptInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, std::uint64_t atPoll) {
  if (HeadlessBackend* backend = Current()) {
    backend->Script(ScriptedInput{window, message, wParam, lParam, atPoll});
  }
}

std::uint64_t PollCount() {
  const HeadlessBackend* backend = Current();
  return backend != nullptr ? backend->PollCount() : 0;
}

void SetCursorPos(POINT point) {
  if (HeadlessBackend* backend = Current()) backend->SetCursor(point);
}

bool CursorHidden() {
  const HeadlessBackend* backend = Current();
  return backend != nullptr && backend->CursorHidden();
}

std::uint64_t PresentCount() {
  const HeadlessBackend* backend = Current();
  return backend != nullptr ? backend->PresentCount() : 0;
}

void SetBlockingWait(bool block) {
  if (HeadlessBackend* backend = Current()) backend->SetBlocking(block);
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
  static const std::vector<MessageBoxRecord> none;
  const HeadlessBackend* backend = Current();
  return backend != nullptr ? backend->Boxes() : none;
}

void SetMessageBoxAnswer(int answer) {
  if (HeadlessBackend* backend = Current()) backend->SetBoxAnswer(answer);
}

std::uint32_t WindowPixel(HWND window, int x, int y) {
  const platform::PixelSurface surface = platform::WindowSurface(window);
  if (surface.pixels == nullptr || x < 0 || y < 0 || x >= surface.width || y >= surface.height) {
    return 0;
  }
  return surface.pixels[static_cast<std::size_t>(y) * surface.stride + x];
}

std::uint32_t ScreenPixel(int x, int y) {
  // The full-screen window is the screen wherever it covers it.
  if (HWND fullScreen = platform::FullScreenWindow()) return WindowPixel(fullScreen, x, y);
  return platform::gdi::OffScreenPixel(x, y);
}

std::uintptr_t CreateForeignWindow(int width, int height) {
  HeadlessBackend* backend = Current();
  return backend != nullptr ? backend->CreateForeign(width, height) : 0;
}

void ResizeForeignWindow(std::uintptr_t id, int width, int height) {
  if (HeadlessBackend* backend = Current()) backend->ResizeForeign(id, width, height);
}

void DestroyForeignWindow(std::uintptr_t id) {
  if (HeadlessBackend* backend = Current()) backend->DestroyForeign(id);
}

}  // namespace headless
