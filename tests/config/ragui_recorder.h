// The clip player library as the previews' tests see it: every Ragui call is recorded as the
// dialog tracer prints it, and each call returns what the test chose (0 unless told).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "libs/raui/raui.h"

namespace ragui_recorder {

struct Recording {
  std::vector<std::string> calls;            // oldest first
  std::map<std::string, LONG> results;       // by call name; the others succeed
  DWORD version = 0x12345678;                // what RaguiProductVersion returns
  ClipClientSetup setup{};                   // the last record RaguiSetupClient was given
  std::string clientId;                      // its identity text, copied
  const ClipWindowRecord* window = nullptr;  // what the live UI object draws into
  int liveClients = 0;
  int liveInterfaces = 0;
};

// The recording since the last Reset.
Recording& Recorded();
// Forgets every call, result and handle.
void Reset();

}  // namespace ragui_recorder
