#include "tests/player/fake_engine.h"

#include <algorithm>
#include <map>

#include "libs/raengine/raengine.h"

namespace fake_engine {
namespace {

struct EngineRecord {
  std::vector<Call> calls;
  std::map<std::string, long> results;
  long newInstance = 7;
  HWND notifyWindow = nullptr;
  HINSTANCE client = nullptr;
};

EngineRecord& Engine() {
  static EngineRecord engine;
  return engine;
}

LONG Record(const char* name, long instance, std::string text = {}, long number = 0) {
  Engine().calls.push_back(Call{name, instance, std::move(text), number});
  const auto result = Engine().results.find(name);
  return result == Engine().results.end() ? 0 : static_cast<LONG>(result->second);
}

}  // namespace

void Reset() {
  Engine() = EngineRecord{};
}
const std::vector<Call>& Calls() {
  return Engine().calls;
}
std::vector<std::string> CallNames() {
  std::vector<std::string> names;
  for (const Call& call : Engine().calls) names.push_back(call.name);
  return names;
}
std::vector<std::string> OpenedPaths() {
  std::vector<std::string> paths;
  for (const Call& call : Engine().calls) {
    if (call.name == "RaOpen") paths.push_back(call.text);
  }
  return paths;
}
void SetResult(const std::string& name, long code) {
  Engine().results[name] = code;
}
void SetNewInstance(long instance) {
  Engine().newInstance = instance;
}
HWND NotifyWindow() {
  return Engine().notifyWindow;
}
HINSTANCE SetupClient() {
  return Engine().client;
}

}  // namespace fake_engine

using fake_engine::Engine;
using fake_engine::Record;

extern "C" {

LONG WINAPI RaSetup(const HINSTANCE* client, LONG* instance, LONG /*reserved*/) {
  Engine().client = client != nullptr ? *client : nullptr;
  *instance = static_cast<LONG>(Engine().newInstance);
  return Record("RaSetup", 0);
}
LONG WINAPI RaRegisterNotifyWnd(LONG instance, HWND window, UINT message, DWORD mask) {
  Engine().notifyWindow = window;
  return Record("RaRegisterNotifyWnd", instance, std::to_string(mask), static_cast<long>(message));
}
LONG WINAPI RaSetClientLocale(LONG instance, LONG locale) {
  return Record("RaSetClientLocale", instance, {}, locale);
}
LONG WINAPI RaFormClientIdString(LPSTR buffer, LONG size, LPCSTR platform, LPCSTR version,
                                 LPCSTR language, LPCSTR distribution) {
  const std::string id =
      std::string(platform) + "_" + version + "_" + language + "_" + distribution;
  if (size > 0) {
    const std::size_t length = std::min<std::size_t>(id.size(), static_cast<std::size_t>(size - 1));
    id.copy(buffer, length);
    buffer[length] = '\0';
  }
  return Record("RaFormClientIdString", 0, id, size);
}
LONG WINAPI RaSetClientId(LONG instance, LPCSTR id) {
  return Record("RaSetClientId", instance, id);
}
LONG WINAPI RaVolumeSupport(LONG instance, LONG maxVolume) {
  return Record("RaVolumeSupport", instance, {}, maxVolume);
}
LONG WINAPI RaOpen(LONG instance, LONG flags, LPCSTR path, LONG mode, LONG reserved) {
  return Record("RaOpen", instance, path, flags * 100 + mode * 10 + reserved);
}
LONG WINAPI RaBegin(LONG instance) {
  return Record("RaBegin", instance);
}
LONG WINAPI RaClose(LONG instance) {
  return Record("RaClose", instance);
}
LONG WINAPI RaSetVolume(LONG instance, LONG volume) {
  return Record("RaSetVolume", instance, {}, volume);
}
LONG WINAPI RaShutdown(LONG instance) {
  return Record("RaShutdown", instance);
}
LPCSTR WINAPI RaGetErrorText(LONG code) {
  return code == 3 ? "The clip file cannot be opened" : "Something else";
}

}  // extern "C"
