// The Ragui calls: clients, the players made on them, and the line each call reports.
#include "libs/raui/raui.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "libs/raengine/raengine.h"
#include "libs/raui/call_text.h"
#include "libs/raui/clip_player.h"
#include "libs/raui/player_probe.h"
#include "libs/raui/player_view.h"

namespace {

using raui::CallText;
using raui::PlayState;
using raui::ReportCall;

// major.minor.release.build packed as RaguiProductVersion reports it.
constexpr DWORD kVersion = (1U << 28) | (0U << 20) | (0U << 12) | 1U;

std::string Copy(LPCSTR text) {
  return text != nullptr ? text : "";
}

struct Client {
  explicit Client(const ClipClientSetup& setup)
      : clipOpened(setup.clipOpened),
        clientId(Copy(setup.clientId)),
        productName(Copy(setup.productName)),
        productVersion(Copy(setup.productVersion)) {}
  RaguiCallback clipOpened;
  std::string clientId;
  std::string productName;
  std::string productVersion;
};

// One player: its clip, what it shows, and its widgets when its window shows any.
class Player {
 public:
  explicit Player(DWORD client) : client_(client) {}

  DWORD ClientHandle() const { return client_; }
  bool Closed() const { return closed_; }
  bool Shown() const { return view_ != nullptr; }
  const std::string& ConsoleName() const { return consoleName_; }
  void SetConsoleName(std::string name) { consoleName_ = std::move(name); }

  void SetControls(DWORD controls) {
    layout_.controls = controls;
    if (view_ != nullptr) view_->Arrange(layout_);
  }
  void SetNoLabels(bool noLabels) {
    layout_.noLabels = noLabels;
    if (view_ != nullptr) view_->Arrange(layout_);
  }
  void SetAutoStart(bool autoStart) { autoStart_ = autoStart; }

  void SetWindow(HWND window) {
    view_.reset();
    view_ = raui::MakeWidgetView(window, layout_, Actions());
    Show();
  }

  // The engine's code of the open.
  LONG SetSource(LPCSTR path) {
    name_ = std::filesystem::path(path).filename().string();
    const LONG result = player_.Open(path);
    error_ = result != RA_OK ? RaGetErrorText(result) : "";
    if (result == RA_OK && autoStart_) {
      if (const LONG played = player_.Play(); played != RA_OK) error_ = RaGetErrorText(played);
    }
    Show();
    return result;
  }

  void PlayOrPause() {
    player_.Refresh();
    // The device opens only now: a clip that cannot sound says why, and may be tried again.
    if (const LONG result = player_.PlayOrPause(); result != RA_OK) {
      error_ = RaGetErrorText(result);
    } else if (player_.State() != PlayState::Empty) {
      error_.clear();
    }
    Show();
  }

  raui::PlayerDisplay Display() {
    player_.Refresh();
    return raui::PlayerDisplay{name_, StatusText(), player_.State(), player_.PlayedMs(),
                               player_.LengthMs()};
  }

  // Stops the sound and removes the widgets; the engine instance ends with them.
  void Close() {
    view_.reset();
    player_.Shutdown();
    closed_ = true;
  }

 private:
  raui::PlayerActions Actions() {
    return raui::PlayerActions{
        [this] { PlayOrPause(); },
        [this] {
          player_.Stop();
          Show();
        },
        [this](LONG milliseconds) {
          player_.Seek(milliseconds);
          Show();
        },
        [this] { Show(); },
        // Only the sound: the widgets are going.
        [this] { player_.Stop(); },
    };
  }

  std::string StatusText() const {
    if (!error_.empty()) return error_;
    switch (player_.State()) {
      case PlayState::Empty:
        return "";
      case PlayState::Stopped:
        return "Stopped";
      case PlayState::Playing:
        return "Playing";
      case PlayState::Paused:
        return "Paused";
    }
    return "";
  }

  void Show() {
    if (view_ != nullptr) view_->Show(Display());
  }

  DWORD client_;
  std::string consoleName_;
  raui::PlayerLayout layout_{RAGUI_CONTROL_PLAY | RAGUI_CONTROL_POSITION | RAGUI_CONTROL_STATUS,
                             false};
  bool autoStart_ = false;
  bool closed_ = false;
  std::string name_;
  std::string error_;
  raui::ClipPlayer player_;
  std::unique_ptr<raui::PlayerView> view_;  // null while the player works unseen
};

// Handles count from 1 and are never reused, so that a stale one always fails. The lock guards
// the maps only: nobody holds it while a player works or a callback runs, since callbacks call
// back in.
struct Registry {
  std::mutex lock;
  std::map<DWORD, std::shared_ptr<Client>> clients;
  std::map<DWORD, std::shared_ptr<Player>> players;
  DWORD lastClient = 0;
  DWORD lastPlayer = 0;
};

Registry& Objects() {
  static Registry registry;
  return registry;
}

std::shared_ptr<Client> FindClient(DWORD handle) {
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  const auto found = objects.clients.find(handle);
  return found != objects.clients.end() ? found->second : nullptr;
}

std::shared_ptr<Player> FindPlayer(DWORD handle) {
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  const auto found = objects.players.find(handle);
  return found != objects.players.end() ? found->second : nullptr;
}

std::shared_ptr<Player> TakePlayer(DWORD handle) {
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  const auto found = objects.players.find(handle);
  if (found == objects.players.end()) return nullptr;
  std::shared_ptr<Player> taken = std::move(found->second);
  objects.players.erase(found);
  return taken;
}

// `wanted`, or the first of "wanted 2", "wanted 3", ... that no other player is named.
std::string UniqueName(const std::string& wanted, const Player& naming) {
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  const auto taken = [&objects, &naming](const std::string& name) {
    for (const auto& [handle, player] : objects.players) {
      if (player.get() != &naming && player->ConsoleName() == name) return true;
    }
    return false;
  };
  std::string name = wanted;
  for (int number = 2; taken(name); ++number) name = wanted + " " + std::to_string(number);
  return name;
}

}  // namespace

namespace raui {

std::optional<PlayerProbe> ProbePlayer(DWORD ui) {
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return std::nullopt;
  const PlayerDisplay display = player->Display();
  return PlayerProbe{player->Shown(), display.state,    display.name,
                     display.status,  display.playedMs, display.lengthMs};
}

bool PressPlay(DWORD ui) {
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return false;
  player->PlayOrPause();
  return true;
}

int LiveClients() {
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  return static_cast<int>(objects.clients.size());
}

int LivePlayers() {
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  return static_cast<int>(objects.players.size());
}

}  // namespace raui

extern "C" {

DWORD WINAPI RaguiProductVersion() {
  ReportCall(CallText("RaguiProductVersion"));
  return kVersion;
}

LONG WINAPI RaguiFormClientIdString(LPSTR buffer, LONG size, LPCSTR platform, LPCSTR version,
                                    LPCSTR language, LPCSTR distribution) {
  ReportCall(CallText("RaguiFormClientIdString")
                 .Number(size)
                 .Text(platform)
                 .Text(version)
                 .Text(language)
                 .Text(distribution));
  if (buffer == nullptr || size <= 0) return RAGUI_E_INVALID_ARGUMENT;
  const int length = std::snprintf(buffer, static_cast<std::size_t>(size), "%s/%s (%s; %s)",
                                   Copy(platform).c_str(), Copy(version).c_str(),
                                   Copy(language).c_str(), Copy(distribution).c_str());
  return length >= 0 && length < size ? RAGUI_OK : RAGUI_E_INVALID_ARGUMENT;
}

LONG WINAPI RaguiSetupClient(const ClipClientSetup* setup, DWORD* client) {
  ReportCall(CallText("RaguiSetupClient").Setup(setup));
  if (setup == nullptr || client == nullptr || setup->size < sizeof(ClipClientSetup)) {
    return RAGUI_E_INVALID_ARGUMENT;
  }
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  const DWORD handle = ++objects.lastClient;
  objects.clients.emplace(handle, std::make_shared<Client>(*setup));
  *client = handle;
  return RAGUI_OK;
}

LONG WINAPI RaguiNew(DWORD client, DWORD* ui) {
  ReportCall(CallText("RaguiNew").Number(client));
  if (ui == nullptr) return RAGUI_E_INVALID_ARGUMENT;
  if (FindClient(client) == nullptr) return RAGUI_E_BAD_CLIENT;
  auto player = std::make_shared<Player>(client);
  Registry& objects = Objects();
  const std::lock_guard guard(objects.lock);
  const DWORD handle = ++objects.lastPlayer;
  objects.players.emplace(handle, std::move(player));
  *ui = handle;
  return RAGUI_OK;
}

LONG WINAPI RaguiSetConsoleName(DWORD ui, LPCSTR name, LONG unique) {
  ReportCall(CallText("RaguiSetConsoleName").Number(ui).Text(name).Number(unique));
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  if (name == nullptr) return RAGUI_E_INVALID_ARGUMENT;
  player->SetConsoleName(unique != 0 ? UniqueName(name, *player) : std::string(name));
  return RAGUI_OK;
}

LONG WINAPI RaguiSetControlsFlags(DWORD ui, DWORD flags) {
  ReportCall(CallText("RaguiSetControlsFlags").Number(ui).Hex(flags));
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  player->SetControls(flags);
  return RAGUI_OK;
}

LONG WINAPI RaguiSetNoLabels(DWORD ui, LONG noLabels) {
  ReportCall(CallText("RaguiSetNoLabels").Number(ui).Number(noLabels));
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  player->SetNoLabels(noLabels != 0);
  return RAGUI_OK;
}

LONG WINAPI RaguiSetWindow(DWORD ui, ClipWindowRecord* record) {
  ReportCall(CallText("RaguiSetWindow").Number(ui).Window(record));
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  if (record == nullptr || IsWindow(record->window) == FALSE) return RAGUI_E_NO_WINDOW;
  player->SetWindow(record->window);
  return RAGUI_OK;
}

LONG WINAPI RaguiSetAutoStart(DWORD ui, LONG autoStart) {
  ReportCall(CallText("RaguiSetAutoStart").Number(ui).Number(autoStart));
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  player->SetAutoStart(autoStart != 0);
  return RAGUI_OK;
}

LONG WINAPI RaguiSetSource(DWORD ui, LPCSTR path) {
  ReportCall(CallText("RaguiSetSource").Number(ui).Text(path));
  const std::shared_ptr<Player> player = FindPlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  if (path == nullptr) return RAGUI_E_INVALID_ARGUMENT;
  if (player->SetSource(path) != RA_OK) return RAGUI_E_CLIP;
  const std::shared_ptr<Client> client = FindClient(player->ClientHandle());
  if (client != nullptr && client->clipOpened != nullptr) client->clipOpened(path);
  return RAGUI_OK;
}

LONG WINAPI RaguiStatusScan(DWORD ui, LPCSTR text) {
  ReportCall(CallText("RaguiStatusScan").Number(ui).Text(text));
  // The caller's status texts name its own callbacks: nothing a listener wants to read.
  return FindPlayer(ui) != nullptr ? RAGUI_OK : RAGUI_E_BAD_UI;
}

LONG WINAPI RaguiDestroy(DWORD ui) {
  ReportCall(CallText("RaguiDestroy").Number(ui));
  const std::shared_ptr<Player> player = TakePlayer(ui);
  if (player == nullptr) return RAGUI_E_BAD_UI;
  player->Close();
  return RAGUI_OK;
}

LONG WINAPI RaguiShutdownClient(DWORD client) {
  ReportCall(CallText("RaguiShutdownClient").Number(client));
  std::vector<std::shared_ptr<Player>> ending;
  {
    Registry& objects = Objects();
    const std::lock_guard guard(objects.lock);
    if (objects.clients.erase(client) == 0) return RAGUI_E_BAD_CLIENT;
    for (auto entry = objects.players.begin(); entry != objects.players.end();) {
      if (entry->second->ClientHandle() == client) {
        ending.push_back(std::move(entry->second));
        entry = objects.players.erase(entry);
      } else {
        ++entry;
      }
    }
  }
  for (const auto& player : ending) player->Close();
  return RAGUI_OK;
}

}  // extern "C"
