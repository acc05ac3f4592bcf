// A stand-in RealAudio engine for the player's procedures: it records every call and answers
// with the codes a test sets; it never plays or notifies by itself.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace fake_engine {

struct Call {
  std::string name;
  long instance = 0;  // the instance argument, where the call has one
  std::string text;   // the path, client id or identity parts
  long number = 0;    // message number, volume, mask and the like
};

// Forgets the calls and the answers; RaSetup will hand out instance 7.
void Reset();
const std::vector<Call>& Calls();
// Names of the calls so far, in order.
std::vector<std::string> CallNames();
// Paths given to RaOpen, in order.
std::vector<std::string> OpenedPaths();
// The code `name` (e.g. "RaOpen") answers from now on.
void SetResult(const std::string& name, long code);
// The handle RaSetup stores (0: it stores none, as a failing engine would).
void SetNewInstance(long instance);
// What RaRegisterNotifyWnd was last given.
HWND NotifyWindow();
// The program instance handle RaSetup found in the cell it was given.
HINSTANCE SetupClient();

}  // namespace fake_engine
