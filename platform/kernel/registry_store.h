// The registry's files: HKEY_CURRENT_USER is a folder, a key a folder inside its parent key,
// a value a file whose content is the value's bytes exactly.
//
// Names become file names by escaping ('/', '%', control bytes and a leading '.' as %XX; the
// empty value name as "%@"); a value of a type other than REG_SZ carries the suffix "%t<type>".
// Names starting with '.' are never ours: writers put their temporaries there. Keys and values
// share their folder's names, so a key and a value of the same name cannot coexist.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

namespace platform::registry {

// $XDG_CONFIG_HOME/tavrin/registry, else $HOME/.config/tavrin/registry.
std::string RootFolder();

// File name of a name (without type suffix); empty when the name cannot be stored.
std::string EncodeName(std::string_view name);
// The name and type a file name stands for; nullopt for names that are not ours.
struct DecodedName {
  std::string name;
  DWORD type = REG_SZ;
};
std::optional<DecodedName> DecodeFileName(std::string_view fileName);

// Walks (and, when `create`, makes) the key folders of a backslash path below `folder`.
// `created` is set when the last key did not exist before.
LSTATUS OpenKeyPath(const std::string& folder, std::string_view path, bool create,
                    std::string* result, bool* created);
// Makes the root folder chain when it is missing.
LSTATUS CreateRootFolder(const std::string& root);

struct StoredValue {
  std::string fileName;
  std::string name;
  DWORD type = REG_SZ;
};
// The value of that name, ignoring ASCII case (the exact-case file is tried first).
std::optional<StoredValue> FindValue(const std::string& folder, std::string_view name);
// All values of a key, in name order (ASCII case folded).
std::vector<StoredValue> ListValues(const std::string& folder);

// Opens a value file and gives its size; when `buffer` is non-null and the size fits in
// `capacity`, also reads the bytes into it. The bytes come from one whole version of the value.
LSTATUS ReadValue(const std::string& folder, const std::string& fileName, BYTE* buffer,
                  DWORD capacity, DWORD* size);
// Replaces (or creates) a value atomically: a reader sees the old bytes or the new ones, at once.
// The value reaches the disk within about a second (SyncPendingWrites, or the end of the process,
// sooner).
LSTATUS WriteValue(const std::string& folder, std::string_view name, DWORD type, const BYTE* data,
                   DWORD size);
LSTATUS DeleteValue(const std::string& folder, std::string_view name);

// The errno behind the Win32 code of this thread's last store call above when a file operation
// failed (ENOSPC, EFBIG, EROFS, EPERM, EACCES, ...); 0 when that call succeeded or failed for a
// reason of its own. The Win32 code alone cannot tell a full disk from a read-only folder.
int LastFileError();

// Called after every value RegSetValueEx has written (the key's folder, the value's name and
// bytes), for tools that trace what a program stores. Empty: nobody watches.
using WriteObserver =
    std::function<void(const std::string& folder, std::string_view name, std::string_view bytes)>;
void SetWriteObserver(WriteObserver observer);
void NotifyWritten(const std::string& folder, std::string_view name, const BYTE* data, DWORD size);

// Syncs to disk every value and key written so far; ExitProcess, which runs no destructors, calls
// it.
void SyncPendingWrites();

// Removes temporaries left by writers that died mid-write (once a folder per process).
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace platform::registry
