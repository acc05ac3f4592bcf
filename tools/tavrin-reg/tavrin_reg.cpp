// tavrin-reg: reads and edits the registry store of the current user from the shell.
//
//   tavrin-reg set KEY NAME VALUE   store VALUE (a string, without NUL), creating KEY
//   tavrin-reg get KEY NAME         print the value's bytes exactly; exit 1 when absent
//   tavrin-reg delete KEY NAME      remove the value; exit 1 when absent
//   tavrin-reg list KEY             print NAME=VALUE lines in name order; exit 1 when absent
//   tavrin-reg --help, --version    print the usage or the version on standard output
//
// KEY is a path below HKEY_CURRENT_USER, e.g. 'Software\Dravelin\Tavrin\Settings'.
// A failure prints what failed, the system's reason when a file operation failed (a full disk,
// a file-size limit, a read-only folder, a permission), and the Win32 code the programs see.
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/registry_store.h"
#include "platform/program_information.h"
#include "platform/win32.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

// In step with the tavrin-reg(1) page.
constexpr const char* kUsageText =
    "usage: tavrin-reg set KEY NAME VALUE\n"
    "       tavrin-reg get KEY NAME\n"
    "       tavrin-reg delete KEY NAME\n"
    "       tavrin-reg list KEY\n"
    "       tavrin-reg --help | -h | /?\n"
    "       tavrin-reg --version\n"
    "KEY is a registry path below HKEY_CURRENT_USER, e.g.\n"
    "'Software\\Dravelin\\Tavrin\\Settings'. See tavrin-reg(1).\n";

int Usage() {
  std::fputs(kUsageText, stderr);
  return kUsage;
}

int Fail(const std::string& what, LSTATUS status) {
  if (const int reason = platform::registry::LastFileError(); reason != 0) {
    std::fprintf(stderr, "tavrin-reg: %s: %s (error %ld)\n", what.c_str(), std::strerror(reason),
                 static_cast<long>(status));
  } else {
    std::fprintf(stderr, "tavrin-reg: %s (error %ld)\n", what.c_str(), static_cast<long>(status));
  }
  return kFailed;
}

// Accepts the root spelled out as well, as regedit shows it.
const char* KeyBelowRoot(const char* key) {
  for (const std::string_view root : {"HKEY_CURRENT_USER\\", "HKCU\\"}) {
    if (std::string_view(key).starts_with(root)) return key + root.size();
  }
  return key;
}

bool ReadValue(HKEY key, const char* name, std::vector<BYTE>* bytes, LSTATUS* status) {
  DWORD size = 0;
  *status = RegQueryValueEx(key, name, nullptr, nullptr, nullptr, &size);
  // The value may grow between the two calls; ask again then.
  while (*status == ERROR_SUCCESS) {
    bytes->resize(size);
    *status = RegQueryValueEx(key, name, nullptr, nullptr, bytes->data(), &size);
    if (*status == ERROR_SUCCESS) bytes->resize(size);
    if (*status != ERROR_MORE_DATA) break;
    *status = ERROR_SUCCESS;
  }
  return *status == ERROR_SUCCESS;
}

int Set(const char* keyPath, const char* name, const char* value) {
  HKEY key = nullptr;
  char noClass[] = "";
  LSTATUS status = RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, 0, noClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return Fail(std::string("cannot create key ") + keyPath, status);
  status = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>(std::strlen(value)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 0 : Fail(std::string("cannot set ") + name, status);
}

int Get(const char* keyPath, const char* name) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return Fail(std::string("no key ") + keyPath, status);
  std::vector<BYTE> bytes;
  const bool found = ReadValue(key, name, &bytes, &status);
  RegCloseKey(key);
  if (!found) return Fail(std::string("no value ") + name, status);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : kFailed;
}

int Delete(const char* keyPath, const char* name) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key);
  if (status != ERROR_SUCCESS) return Fail(std::string("no key ") + keyPath, status);
  status = RegDeleteValue(key, name);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 0 : Fail(std::string("cannot delete ") + name, status);
}

int List(const char* keyPath) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return Fail(std::string("no key ") + keyPath, status);
  std::vector<char> name(256);
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    status = RegEnumValue(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);
      --index;
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    std::vector<BYTE> bytes;
    if (!ReadValue(key, name.data(), &bytes, &status)) continue;  // deleted meanwhile
    std::fwrite(name.data(), 1, nameSize, stdout);
    std::fputc('=', stdout);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fputc('\n', stdout);
  }
  RegCloseKey(key);
  if (status != ERROR_NO_MORE_ITEMS) return Fail("cannot list values", status);
  return std::fflush(stdout) == 0 ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  // Over a file-size limit, a write then fails with EFBIG and the store removes its temporary
  // file, instead of the default action killing the tool mid-write and leaving the file behind.
  signal(SIGXFSZ, SIG_IGN);
  if (const auto answered =
          platform::AnswerInformationRequest(argc, argv, "tavrin-reg", kUsageText)) {
    return *answered;
  }
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string_view command = args[0];
  const char* key = args.size() > 1 ? KeyBelowRoot(argv[2]) : nullptr;
  if (command == "set" && args.size() == 4) return Set(key, argv[3], argv[4]);
  if (command == "get" && args.size() == 3) return Get(key, argv[3]);
  if (command == "delete" && args.size() == 3) return Delete(key, argv[3]);
  if (command == "list" && args.size() == 2) return List(key);
  return Usage();
}
