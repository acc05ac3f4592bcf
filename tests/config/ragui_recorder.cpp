#include "tests/config/ragui_recorder.h"

#include <cstdio>

#include "libs/raui/call_text.h"

namespace ragui_recorder {
namespace {

DWORD lastClient = 0;
DWORD lastInterface = 0;

LONG Record(const raui::CallText& call, const char* name) {
  Recording& recording = Recorded();
  recording.calls.push_back(call.Line());
  const auto found = recording.results.find(name);
  return found != recording.results.end() ? found->second : 0;
}

}  // namespace

Recording& Recorded() {
  static Recording recording;
  return recording;
}

void Reset() {
  Recorded() = Recording{};
  lastClient = 0;
  lastInterface = 0;
}

}  // namespace ragui_recorder

using ragui_recorder::Recorded;

extern "C" {

DWORD WINAPI RaguiProductVersion() {
  Recorded().calls.emplace_back("RaguiProductVersion");
  return Recorded().version;
}

LONG WINAPI RaguiFormClientIdString(LPSTR buffer, LONG size, LPCSTR platform, LPCSTR version,
                                    LPCSTR language, LPCSTR distribution) {
  const LONG result = ragui_recorder::Record(raui::CallText("RaguiFormClientIdString")
                                                 .Number(size)
                                                 .Text(platform)
                                                 .Text(version)
                                                 .Text(language)
                                                 .Text(distribution),
                                             "RaguiFormClientIdString");
  std::snprintf(buffer, static_cast<std::size_t>(size), "%s", result > 0 ? "" : "recorded id");
  return result;
}

LONG WINAPI RaguiSetupClient(const ClipClientSetup* setup, DWORD* client) {
  const LONG result =
      ragui_recorder::Record(raui::CallText("RaguiSetupClient").Setup(setup), "RaguiSetupClient");
  Recorded().setup = *setup;
  Recorded().clientId = setup->clientId;
  if (result > 0) return result;
  *client = ++ragui_recorder::lastClient;
  ++Recorded().liveClients;
  return result;
}

LONG WINAPI RaguiNew(DWORD client, DWORD* ui) {
  const LONG result = ragui_recorder::Record(raui::CallText("RaguiNew").Number(client), "RaguiNew");
  if (result > 0) return result;
  *ui = ++ragui_recorder::lastInterface;
  ++Recorded().liveInterfaces;
  return result;
}

LONG WINAPI RaguiSetConsoleName(DWORD ui, LPCSTR name, LONG unique) {
  return ragui_recorder::Record(
      raui::CallText("RaguiSetConsoleName").Number(ui).Text(name).Number(unique),
      "RaguiSetConsoleName");
}

LONG WINAPI RaguiSetControlsFlags(DWORD ui, DWORD flags) {
  return ragui_recorder::Record(raui::CallText("RaguiSetControlsFlags").Number(ui).Hex(flags),
                                "RaguiSetControlsFlags");
}

LONG WINAPI RaguiSetNoLabels(DWORD ui, LONG noLabels) {
  return ragui_recorder::Record(raui::CallText("RaguiSetNoLabels").Number(ui).Number(noLabels),
                                "RaguiSetNoLabels");
}

LONG WINAPI RaguiSetWindow(DWORD ui, ClipWindowRecord* record) {
  Recorded().window = record;
  return ragui_recorder::Record(raui::CallText("RaguiSetWindow").Number(ui).Window(record),
                                "RaguiSetWindow");
}

LONG WINAPI RaguiSetAutoStart(DWORD ui, LONG autoStart) {
  return ragui_recorder::Record(raui::CallText("RaguiSetAutoStart").Number(ui).Number(autoStart),
                                "RaguiSetAutoStart");
}

LONG WINAPI RaguiSetSource(DWORD ui, LPCSTR path) {
  return ragui_recorder::Record(raui::CallText("RaguiSetSource").Number(ui).Text(path),
                                "RaguiSetSource");
}

LONG WINAPI RaguiStatusScan(DWORD ui, LPCSTR text) {
  return ragui_recorder::Record(raui::CallText("RaguiStatusScan").Number(ui).Text(text),
                                "RaguiStatusScan");
}

LONG WINAPI RaguiDestroy(DWORD ui) {
  // The player still draws into its window record until it is gone: reading it here is what
  // the sanitizers check.
  const ClipWindowRecord* record = Recorded().window;
  raui::CallText call("RaguiDestroy");
  call.Number(ui);
  if (record != nullptr && record->window == nullptr) call.Text("record without window");
  Recorded().window = nullptr;
  --Recorded().liveInterfaces;
  return ragui_recorder::Record(call, "RaguiDestroy");
}

LONG WINAPI RaguiShutdownClient(DWORD client) {
  --Recorded().liveClients;
  return ragui_recorder::Record(raui::CallText("RaguiShutdownClient").Number(client),
                                "RaguiShutdownClient");
}

}  // extern "C"
