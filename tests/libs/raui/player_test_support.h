// What the clip player's tests share: a client set up as the dialog sets it up, callbacks that
// record what reaches them, the sample clips, and a dialog whose control 1027 hosts the player,
// run modally by the Qt view over the headless backend.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "libs/raui/raui.h"
#include "platform/win32.h"

namespace raui_test {

inline constexpr int kPlayerArea = 1027;

std::string ClipPath(const std::string& name);

// What the clipOpened callback saw: the path, the thread, and what RaguiStatusScan gave it
// from inside the callback.
struct OpenedCall {
  std::string path;
  std::thread::id thread;
  LONG scanResult = -1;
};
std::vector<OpenedCall>& OpenedCalls();

// The setup the dialog makes: every text filled, clipOpened recording into OpenedCalls.
ClipClientSetup DialogSetup(ClipWindowRecord* window);
// From then on clipOpened calls RaguiStatusScan on `ui`, as the dialog's callback does (0: not).
void ScanFromCallbacks(DWORD ui);

// A client and one player on it, shown in `window` (when not null), as the dialog makes them.
struct PlayerObjects {
  DWORD client = 0;
  DWORD ui = 0;
};
PlayerObjects MakePlayer(ClipWindowRecord* record);
void EndPlayer(const PlayerObjects& objects);

// Runs a dialog holding the player's area (a sunken static, 208 x 90 dialog units) on a fresh
// headless backend wrapped in the Qt view. Each step runs at an idle moment of the dialog's
// loop and is called again until it returns true; a step that never does fails the test after
// 20 s of real time. The dialog gives up after the last step.
using Step = std::function<bool(HWND dialog)>;
void RunPlayerDialog(const std::vector<Step>& steps);

}  // namespace raui_test
