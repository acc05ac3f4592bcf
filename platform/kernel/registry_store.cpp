#include "platform/kernel/registry_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>
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

std::string Folded(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
  return result;
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

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Writes reach the disk as the registry's own do: each is atomic and seen by every reader at
// once (a rename; a killed program loses nothing, the kernel holds it), and it is synced to the
// disk within about a second, and before the program ends. Syncing one value at a time cost a
// disk flush per value: seconds for a playlist of a few hundred entries.
class PendingSync {
 public:
  PendingSync() = default;
  PendingSync(const PendingSync&) = delete;
  PendingSync& operator=(const PendingSync&) = delete;
  ~PendingSync() {
    {
      const std::scoped_lock lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    // A child forked from a writer has the record but not the thread.
    if (thread_ && owner_ == getpid()) {
      thread_->join();
    } else {
      [[maybe_unused]] std::thread* notOurs = thread_.release();  // NOLINT: not ours to end
    }
    SyncNow();
  }

  // Notes a folder whose new entries or values are not yet known to be on disk.
  void Note(const std::string& folder) {
    const std::scoped_lock lock(mutex_);
    folders_.insert(folder);
    if (!thread_) {
      owner_ = getpid();
      thread_ = std::make_unique<std::thread>([this] { Run(); });
    }
    wake_.notify_all();
  }

  // Syncs every noted folder's file system now.
  void SyncNow() {
    std::set<std::string> folders;
    {
      const std::scoped_lock lock(mutex_);
      folders.swap(folders_);
    }
    for (const std::string& folder : folders) {
      const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      // syncfs writes the values' data and the folder entries that name them in one flush.
      if (fd.get() >= 0) syncfs(fd.get());
    }
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      wake_.wait(lock, [this] { return stopping_ || !folders_.empty(); });
      if (stopping_) break;
      // Writes that come in a burst (a playlist saved) share one flush.
      wake_.wait_for(lock, kSyncDelay, [this] { return stopping_; });
      lock.unlock();
      SyncNow();
      lock.lock();
    }
  }

  static constexpr std::chrono::milliseconds kSyncDelay{500};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::set<std::string> folders_;
  bool stopping_ = false;
  std::unique_ptr<std::thread> thread_;
  pid_t owner_ = 0;
};

PendingSync& Pending() {
  static PendingSync pending;
  return pending;
}

void SyncFolder(const std::string& folder) {
  Pending().Note(folder);
}

// The file names in a folder by their case-folded names, so that a name missing in its exact
// spelling is looked up without reading the whole folder again. A listing is trusted while the
// folder's change time is the one it was read at, and this process's own changes keep it so.
class FolderIndex {
 public:
  // The files whose names fold to `folded` (values, or subkeys of that name).
  std::vector<std::string> Find(const std::string& folder, const std::string& folded) {
    const std::scoped_lock lock(mutex_);
    std::vector<std::string> found;
    const Listing* listing = Current(folder);
    if (listing == nullptr) return found;
    const auto [first, last] = listing->files.equal_range(folded);
    for (auto at = first; at != last; ++at) found.push_back(at->second);
    return found;
  }

  // This process changed the folder since its change time was `before`: `fileName` (a name that
  // folds to `folded`) was put in place or, with `removed`, taken away. A listing that was
  // current then stays current.
  void Changed(const std::string& folder, const std::string& folded, const std::string& fileName,
               bool removed, const timespec& before, const timespec& after) {
    const std::scoped_lock lock(mutex_);
    const auto entry = listings_.find(folder);
    if (entry == listings_.end()) return;
    Listing& listing = entry->second;
    if (!SameTime(listing.changed, before) || after.tv_sec == 0) {
      listings_.erase(entry);
      return;
    }
    auto [first, last] = listing.files.equal_range(folded);
    while (first != last && first->second != fileName) ++first;
    if (removed && first != last) listing.files.erase(first);
    if (!removed && first == last) listing.files.emplace(folded, fileName);
    listing.changed = after;
  }

  static timespec ChangeTime(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) return {};
    return status.st_mtim;
  }

 private:
  struct Listing {
    timespec changed{};
    std::multimap<std::string, std::string> files;
  };

  const Listing* Current(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) return nullptr;
    const auto found = listings_.find(folder);
    if (found != listings_.end() && SameTime(found->second.changed, status.st_mtim)) {
      return &found->second;
    }
    const UniqueDir dir(opendir(folder.c_str()));
    if (!dir) return nullptr;
    Listing listing;
    listing.changed = status.st_mtim;
    while (const dirent* entry = readdir(dir.get())) {
      const std::optional<DecodedName> decoded = DecodeFileName(entry->d_name);
      if (decoded) listing.files.emplace(Folded(decoded->name), entry->d_name);
    }
    // A folder that changed while it was read is read again next time.
    struct stat after {};
    if (stat(folder.c_str(), &after) != 0 || !SameTime(after.st_mtim, status.st_mtim)) {
      listing.changed = {};
    }
    return &(listings_[folder] = std::move(listing));
  }

  std::mutex mutex_;
  std::map<std::string, Listing> listings_;
};

// The change time each folder had after this process last changed or cleaned it.
class OwnChangeTimes {
 public:
  bool Unchanged(const std::string& folder, const timespec& now) {
    const std::scoped_lock lock(mutex_);
    const auto found = times_.find(folder);
    return found != times_.end() && SameTime(found->second, now);
  }
  void Note(const std::string& folder, const timespec& now) {
    const std::scoped_lock lock(mutex_);
    times_[folder] = now;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, timespec> times_;
};

OwnChangeTimes& OwnChanges() {
  static OwnChangeTimes times;
  return times;
}

FolderIndex& Index() {
  static FolderIndex index;
  return index;
}

// After this process changed a folder whose change time was `before` (`fileName`, a name that
// folds to `folded`, put in place or taken away): the folder's index, and whether it is known to
// hold no leftovers, follow with one look at its change time.
void NoteOwnChange(const std::string& folder, const std::string& folded,
                   const std::string& fileName, bool removed, const timespec& before) {
  const timespec after = FolderIndex::ChangeTime(folder);
  Index().Changed(folder, folded, fileName, removed, before, after);
  if (OwnChanges().Unchanged(folder, before)) OwnChanges().Note(folder, after);
}

// Whether the file at `path` holds exactly these bytes.
bool HoldsExactly(const std::string& path, const BYTE* data, DWORD size) {
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (fd.get() < 0 || fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size != static_cast<off_t>(size)) {
    return false;
  }
  std::vector<BYTE> stored(size + 1);
  DWORD done = 0;
  while (done <= size) {
    const ssize_t got = read(fd.get(), stored.data() + done, size + 1 - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<DWORD>(got);
  }
  return done == size && (size == 0 || std::memcmp(stored.data(), data, size) == 0);
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
  // Another spelling, found as values are.
  for (const std::string& fileName : Index().Find(folder, Folded(name))) {
    const std::optional<DecodedName> decoded = DecodeFileName(fileName);
    if (decoded && decoded->type == REG_SZ && stat(Join(folder, fileName).c_str(), &status) == 0 &&
        S_ISDIR(status.st_mode)) {
      return fileName;
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
  struct stat existing {};
  if (stat(root.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) return ERROR_SUCCESS;
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

// The folder of a key path when every component is stored as it is spelled, found with one look
// at the whole path instead of one per component: what the component walk finds then too.
std::optional<std::string> ExactKeyFolder(const std::string& folder, std::string_view path) {
  std::string exact = folder;
  while (!path.empty()) {
    const std::size_t separator = path.find('\\');
    const std::string_view component = path.substr(0, separator);
    path = separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1);
    if (component.empty()) continue;
    const std::string fileName = EncodeName(component);
    if (fileName.empty()) return std::nullopt;
    exact = Join(exact, fileName);
  }
  struct stat status {};
  if (stat(exact.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
  return exact;
}

LSTATUS OpenKeyPath(const std::string& folder, std::string_view path, bool create,
                    std::string* result, bool* created) {
  lastFileError = 0;
  if (std::optional<std::string> exact = ExactKeyFolder(folder, path)) {
    *result = std::move(*exact);
    if (created != nullptr) *created = false;
    return ERROR_SUCCESS;
  }
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
  // Another spelling of the name, or another type.
  for (const std::string& fileName : Index().Find(folder, Folded(name))) {
    const std::optional<DecodedName> decoded = DecodeFileName(fileName);
    if (decoded && stat(Join(folder, fileName).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
      return StoredValue{fileName, decoded->name, decoded->type};
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
  std::sort(values.begin(), values.end(), [](const StoredValue& a, const StoredValue& b) {
    const std::string foldedA = Folded(a.name);
    const std::string foldedB = Folded(b.name);
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
  // The same bytes again (a playlist saved as it was) leave the file alone: replacing a file
  // costs the file system a block freed and written per value.
  if (existing && existing->type == type && HoldsExactly(Join(folder, target), data, size)) {
    return ERROR_SUCCESS;
  }

  const timespec before = FolderIndex::ChangeTime(folder);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = Join(folder, UniqueTemporaryName());
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return FromErrno(errno);
  }
  if (fd < 0) return ERROR_ACCESS_DENIED;
  UniqueFd file(fd);
  const bool written = WriteAll(file.get(), data, size);
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
  const std::string folded = Folded(name);
  NoteOwnChange(folder, folded, target, false, before);
  // The value changed type: the old file goes only after the new one is in place.
  if (existing && existing->fileName != target) {
    const timespec replaced = FolderIndex::ChangeTime(folder);
    unlink(Join(folder, existing->fileName).c_str());
    NoteOwnChange(folder, folded, existing->fileName, true, replaced);
  }
  SyncFolder(folder);
  return ERROR_SUCCESS;
}

LSTATUS DeleteValue(const std::string& folder, std::string_view name) {
  lastFileError = 0;
  const std::optional<StoredValue> existing = FindValue(folder, name);
  if (!existing) return ERROR_FILE_NOT_FOUND;
  const timespec before = FolderIndex::ChangeTime(folder);
  if (unlink(Join(folder, existing->fileName).c_str()) != 0) return FromErrno(errno);
  NoteOwnChange(folder, Folded(name), existing->fileName, true, before);
  SyncFolder(folder);
  return ERROR_SUCCESS;
}

int LastFileError() {
  return lastFileError;
}

void SyncPendingWrites() {
  Pending().SyncNow();
}

void RemoveStaleTemporaries(const std::string& folder) {
  // Only a folder that changed since this process last cleaned or wrote it can hold another
  // writer's leftovers: a key opened for every value written must not read the whole folder
  // each time.
  const timespec changed = FolderIndex::ChangeTime(folder);
  if (OwnChanges().Unchanged(folder, changed)) return;
  OwnChanges().Note(folder, changed);
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
