#include "platform/kernel/registry_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <random>
#include <utility>

#include <pwd.h>

#include "platform/kernel/last_error.h"

namespace platform::registry {
namespace {

constexpr std::size_t kMaxFileName = 255;
constexpr std::string_view kTypeSuffix = "%t";
constexpr std::string_view kEmptyName = "%@";
constexpr std::string_view kTemporaryPrefix = ".tmp-";

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, reporting the result (a delayed write error shows up here).
  int Close() { return close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

std::string Join(const std::string& folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += '/';
  path += name;
  return path;
}

thread_local int lastFileError = 0;

// The Win32 code callers see; the errno behind it is kept for LastFileError.
LSTATUS FromErrno(int errorNumber) {
  lastFileError = errorNumber;
  return static_cast<LSTATUS>(ErrorFromErrno(errorNumber));
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string ValueFileName(std::string_view name, DWORD type) {
  std::string fileName = EncodeName(name);
  if (fileName.empty() || type == REG_SZ) return fileName;
  fileName += kTypeSuffix;
  fileName += std::to_string(type);
  return fileName.size() > kMaxFileName ? std::string() : fileName;
}

// Makes sure the folder's entries are on disk: a rename or a new name survives a crash.
void SyncFolder(const std::string& folder) {
  const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) fsync(fd.get());
}

bool WriteAll(int fd, const BYTE* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// A subkey folder of that name, ignoring ASCII case; exact case first.
std::optional<std::string> FindSubkey(const std::string& folder, std::string_view name) {
  const std::string exact = EncodeName(name);
  if (exact.empty()) return std::nullopt;
  struct stat status {};
  if (stat(Join(folder, exact).c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    return exact;
  }
  const UniqueDir dir(opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  while (const dirent* entry = readdir(dir.get())) {
    const std::optional<DecodedName> decoded = DecodeFileName(entry->d_name);
    if (!decoded || decoded->type != REG_SZ || !EqualIgnoringCase(decoded->name, name)) continue;
    if (stat(Join(folder, entry->d_name).c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
      return std::string(entry->d_name);
    }
  }
  return std::nullopt;
}

std::string UniqueTemporaryName() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 generator{std::random_device{}()};
  return std::string(kTemporaryPrefix) + std::to_string(getpid()) + "-" +
         std::to_string(counter++) + "-" + std::to_string(generator());
}

}  // namespace

std::string RootFolder() {
  std::string base;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] == '/') {
    base = configHome;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
      const passwd* user = getpwuid(getuid());
      home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr) return {};
    base = std::string(home) + "/.config";
  }
  return base + "/tavrin/registry";
}

std::string EncodeName(std::string_view name) {
  if (name.empty()) return std::string(kEmptyName);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string fileName;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7F || c == '/' || c == '%' || (i == 0 && c == '.')) {
      fileName += '%';
      fileName += kHex[c >> 4];
      fileName += kHex[c & 0xF];
    } else {
      fileName += static_cast<char>(c);
    }
  }
  // Room is kept for a type suffix.
  return fileName.size() > kMaxFileName - 12 ? std::string() : fileName;
}

std::optional<DecodedName> DecodeFileName(std::string_view fileName) {
  if (fileName.empty() || fileName.front() == '.') return std::nullopt;
  DecodedName decoded;
  const std::size_t suffix = fileName.rfind(kTypeSuffix);
  if (suffix != std::string_view::npos) {
    const std::string_view digits = fileName.substr(suffix + kTypeSuffix.size());
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    decoded.type = static_cast<DWORD>(std::stoul(std::string(digits)));
    fileName = fileName.substr(0, suffix);
  }
  if (fileName == kEmptyName) return decoded;
  for (std::size_t i = 0; i < fileName.size(); ++i) {
    if (fileName[i] != '%') {
      decoded.name += fileName[i];
      continue;
    }
    if (i + 2 >= fileName.size()) return std::nullopt;
    const int high = HexDigit(fileName[i + 1]);
    const int low = HexDigit(fileName[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    decoded.name += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded.name.empty() ? std::nullopt : std::optional<DecodedName>(decoded);
}

LSTATUS CreateRootFolder(const std::string& root) {
  lastFileError = 0;
  if (root.empty()) return ERROR_FILE_NOT_FOUND;
  std::string partial;
  std::size_t position = 0;
  while (position != std::string::npos) {
    position = root.find('/', position + 1);
    partial = root.substr(0, position);
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return FromErrno(errno);
  }
  struct stat status {};
  if (stat(root.c_str(), &status) != 0) return FromErrno(errno);
  return S_ISDIR(status.st_mode) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS OpenKeyPath(const std::string& folder, std::string_view path, bool create,
                    std::string* result, bool* created) {
  lastFileError = 0;
  std::string current = folder;
  bool madeLast = false;
  while (!path.empty()) {
    const std::size_t separator = path.find('\\');
    const std::string_view component = path.substr(0, separator);
    path = separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1);
    if (component.empty()) continue;
    if (EncodeName(component).empty()) return ERROR_INVALID_PARAMETER;
    madeLast = false;
    std::optional<std::string> existing = FindSubkey(current, component);
    if (!existing && create) {
      const std::string fileName = EncodeName(component);
      if (mkdir(Join(current, fileName).c_str(), 0700) == 0) {
        SyncFolder(current);
        existing = fileName;
        madeLast = true;
      } else if (errno == EEXIST) {
        // Another writer made it meanwhile, or a value of that name is in the way.
        existing = FindSubkey(current, component);
        if (!existing) return ERROR_ACCESS_DENIED;
      } else {
        return FromErrno(errno);
      }
    }
    if (!existing) return ERROR_FILE_NOT_FOUND;
    current = Join(current, *existing);
  }
  *result = current;
  if (created != nullptr) *created = madeLast;
  return ERROR_SUCCESS;
}

std::optional<StoredValue> FindValue(const std::string& folder, std::string_view name) {
  const std::string exact = ValueFileName(name, REG_SZ);
  if (exact.empty()) return std::nullopt;
  struct stat status {};
  if (stat(Join(folder, exact).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    return StoredValue{exact, std::string(name), REG_SZ};
  }
  const UniqueDir dir(opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  while (const dirent* entry = readdir(dir.get())) {
    const std::optional<DecodedName> decoded = DecodeFileName(entry->d_name);
    if (!decoded || !EqualIgnoringCase(decoded->name, name)) continue;
    if (stat(Join(folder, entry->d_name).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
      return StoredValue{entry->d_name, decoded->name, decoded->type};
    }
  }
  return std::nullopt;
}

std::vector<StoredValue> ListValues(const std::string& folder) {
  std::vector<StoredValue> values;
  const UniqueDir dir(opendir(folder.c_str()));
  if (!dir) return values;
  while (const dirent* entry = readdir(dir.get())) {
    const std::optional<DecodedName> decoded = DecodeFileName(entry->d_name);
    if (!decoded) continue;
    struct stat status {};
    if (stat(Join(folder, entry->d_name).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
      continue;
    }
    values.push_back(StoredValue{entry->d_name, decoded->name, decoded->type});
  }
  const auto folded = [](const std::string& text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
  };
  std::sort(values.begin(), values.end(), [&](const StoredValue& a, const StoredValue& b) {
    const std::string foldedA = folded(a.name);
    const std::string foldedB = folded(b.name);
    return foldedA != foldedB ? foldedA < foldedB : a.fileName < b.fileName;
  });
  return values;
}

LSTATUS ReadValue(const std::string& folder, const std::string& fileName, BYTE* buffer,
                  DWORD capacity, DWORD* size) {
  lastFileError = 0;
  const UniqueFd fd(open(Join(folder, fileName).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return FromErrno(errno);
  struct stat status {};
  if (fstat(fd.get(), &status) != 0) return FromErrno(errno);
  if (!S_ISREG(status.st_mode)) return ERROR_FILE_NOT_FOUND;
  if (static_cast<std::uint64_t>(status.st_size) > 0xFFFFFFFFULL) return ERROR_OUTOFMEMORY;
  *size = static_cast<DWORD>(status.st_size);
  if (buffer == nullptr || *size > capacity) return ERROR_SUCCESS;
  // Writers never change a file in place (they rename a new one over it), so this open file
  // keeps one whole version however long the reading takes.
  DWORD done = 0;
  while (done < *size) {
    const ssize_t got = read(fd.get(), buffer + done, *size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FromErrno(errno);
    if (got == 0) break;
    done += static_cast<DWORD>(got);
  }
  *size = done;
  return ERROR_SUCCESS;
}

LSTATUS WriteValue(const std::string& folder, std::string_view name, DWORD type, const BYTE* data,
                   DWORD size) {
  lastFileError = 0;
  // A value keeps the spelling it was first stored with, as on Windows.
  const std::optional<StoredValue> existing = FindValue(folder, name);
  std::string target = ValueFileName(name, type);
  if (existing && existing->type == type) target = existing->fileName;
  if (target.empty()) return ERROR_INVALID_PARAMETER;

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = Join(folder, UniqueTemporaryName());
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return FromErrno(errno);
  }
  if (fd < 0) return ERROR_ACCESS_DENIED;
  UniqueFd file(fd);
  const bool written = WriteAll(file.get(), data, size) && fsync(file.get()) == 0;
  const int writeError = errno;
  if (!written || file.Close() != 0) {
    const int error = written ? errno : writeError;
    unlink(temporary.c_str());
    return FromErrno(error);
  }
  if (rename(temporary.c_str(), Join(folder, target).c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    return FromErrno(error);
  }
  // The value changed type: the old file goes only after the new one is in place.
  if (existing && existing->fileName != target) {
    unlink(Join(folder, existing->fileName).c_str());
  }
  SyncFolder(folder);
  return ERROR_SUCCESS;
}

LSTATUS DeleteValue(const std::string& folder, std::string_view name) {
  lastFileError = 0;
  const std::optional<StoredValue> existing = FindValue(folder, name);
  if (!existing) return ERROR_FILE_NOT_FOUND;
  if (unlink(Join(folder, existing->fileName).c_str()) != 0) return FromErrno(errno);
  SyncFolder(folder);
  return ERROR_SUCCESS;
}

int LastFileError() {
  return lastFileError;
}

void RemoveStaleTemporaries(const std::string& folder) {
  const UniqueDir dir(opendir(folder.c_str()));
  if (!dir) return;
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view fileName(entry->d_name);
    if (!fileName.starts_with(kTemporaryPrefix)) continue;
    const long writer = std::strtol(entry->d_name + kTemporaryPrefix.size(), nullptr, 10);
    if (writer > 0 && kill(static_cast<pid_t>(writer), 0) != 0 && errno == ESRCH) {
      stale.emplace_back(fileName);
    }
  }
  for (const std::string& fileName : stale) unlink(Join(folder, fileName).c_str());
}

namespace {
WriteObserver& Observer() {
  static WriteObserver observer;
  return observer;
}
}  // namespace

void SetWriteObserver(WriteObserver observer) {
  Observer() = std::move(observer);
}

void NotifyWritten(const std::string& folder, std::string_view name, const BYTE* data, DWORD size) {
  if (!Observer()) return;
  const std::string_view bytes = data != nullptr
                                     ? std::string_view(reinterpret_cast<const char*>(data), size)
                                     : std::string_view();
  Observer()(folder, name, bytes);
}

}  // namespace platform::registry
