// Modules: Windows library names mapped to shared objects, loaded with dlopen.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/program_location.h"
#include "platform/win32.h"

namespace platform {
namespace {

struct LoadedModule {
  void* library = nullptr;
  int loadCount = 0;  // LoadLibrary calls not yet freed; 0 for one only looked up
};

std::mutex modulesMutex;
std::map<std::uintptr_t, LoadedModule> modules;  // by handle value
std::uintptr_t nextModuleIndex = 1;              // 0 is the program itself

// "NViewLib.dll" -> "libnviewlib.so". Empty when the name is not a plain file name.
std::string SharedObjectName(const char* windowsName) {
  std::string_view name(windowsName);
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  std::string base(name);
  std::transform(base.begin(), base.end(), base.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (base.size() > 4 && base.ends_with(".dll")) base.resize(base.size() - 4);
  if (base.empty() || base == "." || base == "..") return {};
  return "lib" + base + ".so";
}

// True when the dynamic linker's own search could reach the current directory: an empty or
// relative LD_LIBRARY_PATH entry that holds a file of that name.
bool LinkerSearchSeesRelativeCopy(const std::string& fileName) {
  const char* searchPath = std::getenv("LD_LIBRARY_PATH");
  if (searchPath == nullptr) return false;
  std::string_view rest(searchPath);
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string entry(rest.substr(0, colon));
    if (entry.empty() || entry.front() != '/') {
      const std::string candidate = (entry.empty() ? std::string(".") : entry) + "/" + fileName;
      if (access(candidate.c_str(), F_OK) == 0) return true;
    }
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

// Candidate paths in search order: the program's folder, its ../lib/tavrin, then the bare name
// for the dynamic linker's search (run path, LD_LIBRARY_PATH, system folders).
std::vector<std::string> Candidates(const std::string& fileName) {
  std::vector<std::string> candidates;
  const std::string folder = ProgramFolder();
  if (!folder.empty()) {
    const std::string prefix = folder == "/" ? std::string() : folder;
    candidates.push_back(prefix + "/" + fileName);
    candidates.push_back(prefix + "/../lib/tavrin/" + fileName);
  }
  if (!LinkerSearchSeesRelativeCopy(fileName)) candidates.push_back(fileName);
  return candidates;
}

// Records a library dlopen has just returned with one more reference. A load keeps that
// reference (FreeLibrary gives it back); a lookup gives it back at once, as GetModuleHandle
// does not count.
HMODULE Register(void* library, bool loading) {
  if (!loading) dlclose(library);
  for (auto& [value, module] : modules) {
    if (module.library != library) continue;
    if (loading) ++module.loadCount;
    return MakeHandle<HMODULE>(value);
  }
  const std::uintptr_t value = kModuleHandleBase | nextModuleIndex++;
  modules[value] = LoadedModule{library, loading ? 1 : 0};
  return MakeHandle<HMODULE>(value);
}

HMODULE Find(LPCSTR fileName, bool loading) {
  if (fileName == nullptr) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::string sharedObject = SharedObjectName(fileName);
  if (sharedObject.empty()) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const int flags = RTLD_NOW | RTLD_LOCAL | (loading ? 0 : RTLD_NOLOAD);
  const std::scoped_lock lock(modulesMutex);
  for (const std::string& candidate : Candidates(sharedObject)) {
    // A path with a slash is opened as it stands; only the bare name goes to the linker's
    // search, so a file in the current directory is never picked up.
    if (candidate.find('/') != std::string::npos && access(candidate.c_str(), F_OK) != 0) {
      continue;
    }
    if (void* library = dlopen(candidate.c_str(), flags)) {
      SetLastErrorCode(ERROR_SUCCESS);
      return Register(library, loading);
    }
  }
  SetLastErrorCode(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

}  // namespace
}  // namespace platform

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  return platform::Find(fileName, true);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (name == nullptr) return platform::MakeHandle<HMODULE>(platform::kProgramInstanceHandle);
  return platform::Find(name, false);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  if (name == nullptr || IS_INTRESOURCE(name)) {
    platform::SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* symbol = nullptr;
  {
    const std::scoped_lock lock(platform::modulesMutex);
    const std::uintptr_t value = platform::HandleValue(module);
    if (value == platform::kProgramInstanceHandle) {
      symbol = dlsym(RTLD_DEFAULT, name);
    } else {
      const auto found = platform::modules.find(value);
      if (found == platform::modules.end()) {
        platform::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      symbol = dlsym(found->second.library, name);
    }
  }
  if (symbol == nullptr) {
    platform::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  FARPROC procedure = nullptr;
  static_assert(sizeof procedure == sizeof symbol);
  std::memcpy(&procedure, &symbol, sizeof procedure);  // dlsym's object pointer is the code
  return procedure;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  const std::uintptr_t value = platform::HandleValue(module);
  if (value == platform::kProgramInstanceHandle) return TRUE;
  const std::scoped_lock lock(platform::modulesMutex);
  const auto found = platform::modules.find(value);
  if (found == platform::modules.end()) {
    platform::SetLastErrorCode(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // A module only looked up holds no reference of ours; forgetting it is all we can do.
  if (found->second.loadCount > 0) {
    dlclose(found->second.library);
    --found->second.loadCount;
  }
  if (found->second.loadCount == 0) platform::modules.erase(found);
  return TRUE;
}
