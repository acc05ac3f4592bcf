// The registry calls over the store's files; open keys are tagged handles naming a folder.
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/kernel/registry_store.h"
#include "platform/win32.h"

namespace platform {
namespace {

struct Listing {
  std::shared_ptr<const std::vector<registry::StoredValue>> values;
  unsigned changes = 0;
};

struct OpenKey {
  std::string folder;
  bool writable = false;
  // The values as RegEnumValue lists them, read at index 0 (or after this process changed a
  // value): one reading of the folder for a whole enumeration.
  Listing listing;
};

// Counts this process's value changes; a listing read before the latest one is read again.
std::atomic<unsigned> valueChanges{0};

std::mutex keysMutex;
std::map<std::uintptr_t, OpenKey> openKeys;  // by handle value
std::uintptr_t nextKeyIndex = 1;

// HKEY_CURRENT_USER is looked up afresh each time, so it follows $XDG_CONFIG_HOME.
std::optional<OpenKey> Resolve(HKEY key) {
  if (key == HKEY_CURRENT_USER) return OpenKey{registry::RootFolder(), true, {}};
  const std::scoped_lock lock(keysMutex);
  const auto found = openKeys.find(HandleValue(key));
  if (found == openKeys.end()) return std::nullopt;
  return found->second;
}

HKEY AddKey(OpenKey key) {
  const std::scoped_lock lock(keysMutex);
  const std::uintptr_t value = kKeyHandleBase | (nextKeyIndex++ & 0x00FFFFFF);
  openKeys[value] = std::move(key);
  return MakeHandle<HKEY>(value);
}

const char* NameOrEmpty(LPCSTR name) {
  return name != nullptr ? name : "";
}

// Win32's sizing: no buffer asks for the size; a short one gets ERROR_MORE_DATA and the size.
LSTATUS CopyValue(const std::string& folder, const registry::StoredValue& value, LPDWORD type,
                  LPBYTE data, LPDWORD dataSize) {
  if (data == nullptr && dataSize == nullptr) {
    // Only the name and type were asked for: the value's file is not opened.
    if (type != nullptr) *type = value.type;
    return ERROR_SUCCESS;
  }
  DWORD size = 0;
  const DWORD capacity = dataSize != nullptr ? *dataSize : 0;
  const LSTATUS status = registry::ReadValue(folder, value.fileName, data, capacity, &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != nullptr) *type = value.type;
  if (dataSize != nullptr) *dataSize = size;
  return data != nullptr && size > capacity ? ERROR_MORE_DATA : ERROR_SUCCESS;
}

}  // namespace
}  // namespace platform

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired,
                             PHKEY result) {
  using namespace platform;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const std::optional<OpenKey> base = Resolve(key);
  if (!base) return ERROR_INVALID_HANDLE;
  if (base->folder.empty()) return ERROR_FILE_NOT_FOUND;
  OpenKey opened{base->folder, (desired & KEY_SET_VALUE) != 0, {}};
  const LSTATUS status =
      registry::OpenKeyPath(base->folder, NameOrEmpty(subKey), false, &opened.folder, nullptr);
  if (status != ERROR_SUCCESS) return status;
  *result = AddKey(std::move(opened));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*className*/,
                               DWORD /*options*/, REGSAM desired,
                               LPSECURITY_ATTRIBUTES /*securityAttributes*/, PHKEY result,
                               LPDWORD disposition) {
  using namespace platform;
  if (result == nullptr || subKey == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const std::optional<OpenKey> base = Resolve(key);
  if (!base) return ERROR_INVALID_HANDLE;
  if (key == HKEY_CURRENT_USER) {
    const LSTATUS status = registry::CreateRootFolder(base->folder);
    if (status != ERROR_SUCCESS) return status;
  }
  OpenKey opened{base->folder, (desired & KEY_SET_VALUE) != 0, {}};
  bool created = false;
  const LSTATUS status =
      registry::OpenKeyPath(base->folder, subKey, true, &opened.folder, &created);
  if (status != ERROR_SUCCESS) return status;
  registry::RemoveStaleTemporaries(opened.folder);
  if (disposition != nullptr)
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = AddKey(std::move(opened));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD /*reserved*/, LPDWORD type,
                                LPBYTE data, LPDWORD dataSize) {
  using namespace platform;
  const std::optional<OpenKey> opened = Resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  const std::optional<registry::StoredValue> value =
      registry::FindValue(opened->folder, NameOrEmpty(valueName));
  if (!value) return ERROR_FILE_NOT_FOUND;
  return CopyValue(opened->folder, *value, type, data, dataSize);
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type,
                              const BYTE* data, DWORD dataSize) {
  using namespace platform;
  const std::optional<OpenKey> opened = Resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if (!opened->writable) return ERROR_ACCESS_DENIED;
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  ++valueChanges;
  const LSTATUS status =
      registry::WriteValue(opened->folder, NameOrEmpty(valueName), type, data, dataSize);
  if (status == ERROR_SUCCESS)
    registry::NotifyWritten(opened->folder, NameOrEmpty(valueName), data, dataSize);
  return status;
}

LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  using namespace platform;
  const std::optional<OpenKey> opened = Resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if (!opened->writable) return ERROR_ACCESS_DENIED;
  ++valueChanges;
  return registry::DeleteValue(opened->folder, NameOrEmpty(valueName));
}

LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize,
                             LPDWORD /*reserved*/, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  using namespace platform;
  const std::optional<OpenKey> opened = Resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if (valueName == nullptr || valueNameSize == nullptr ||
      (data != nullptr && dataSize == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Listing listing = opened->listing;
  const unsigned changes = valueChanges.load();
  if (index == 0 || !listing.values || listing.changes != changes) {
    listing = {std::make_shared<const std::vector<registry::StoredValue>>(
                   registry::ListValues(opened->folder)),
               changes};
    const std::scoped_lock lock(keysMutex);
    const auto found = openKeys.find(HandleValue(key));
    if (found != openKeys.end()) found->second.listing = listing;
  }
  const std::vector<registry::StoredValue>& values = *listing.values;
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  const registry::StoredValue& value = values[index];
  if (*valueNameSize <= value.name.size()) return ERROR_MORE_DATA;
  std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
  *valueNameSize = static_cast<DWORD>(value.name.size());
  return CopyValue(opened->folder, value, type, data, dataSize);
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  using namespace platform;
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  const std::scoped_lock lock(keysMutex);
  return openKeys.erase(HandleValue(key)) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
