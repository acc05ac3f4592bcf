// tavrin-reg when a write cannot be made: each cause prints its own reason, the tool ends
// normally with its failure code, the value keeps its old bytes and no temporary file is left.
//
// Each case runs in a child of the test with a mount namespace of its own and the configuration
// folder on a small tmpfs, so that a full disk, a read-only mount or an immutable folder vanish
// with the child whatever happens. Without the right to make mounts (not root) the cases that
// need them are skipped; the file-size limit needs none.
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/kernel/temp_config_home.h"

namespace {

constexpr const char* kKey = "Software\\Dravelin\\Tavrin\\Settings";
constexpr const char* kKeyFolder = "/tavrin/registry/Software/Dravelin/Tavrin/Settings";

std::string Reason(int error) {
  return std::strerror(error);
}

// How one failure is brought about, all of it as root in the case's own child.
struct WriteFailure {
  const char* name;
  bool needsMounts;
  // Makes the key's folder refuse the next write; returns why it cannot here, or "".
  std::string (*prepare)(const std::string& configFolder, const std::string& keyFolder);
  // Runs in the tool's process just before it starts: a limit, another user.
  void (*restrict)();
  int error;  // the errno whose text the tool must print
};

// Names the case in GoogleTest's messages.
void PrintTo(const WriteFailure& failure, std::ostream* out) {
  *out << failure.name;
}

std::string FillTheDisk(const std::string& /*config*/, const std::string& key) {
  const int fd = open((key + "/.filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return "cannot make the filler: " + Reason(errno);
  const std::vector<char> block(4096, 'f');
  while (write(fd, block.data(), block.size()) > 0) {
  }
  const int error = errno;
  close(fd);
  return error == ENOSPC ? "" : "the tmpfs did not fill up: " + Reason(error);
}

std::string BindReadOnly(const std::string& /*config*/, const std::string& key) {
  if (mount(key.c_str(), key.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
      mount(nullptr, key.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    return "no read-only bind mount: " + Reason(errno);
  }
  return "";
}

std::string MakeImmutable(const std::string& /*config*/, const std::string& key) {
  const int fd = open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return "cannot open the key's folder: " + Reason(errno);
  int flags = 0;
  int result = ioctl(fd, FS_IOC_GETFLAGS, &flags);
  if (result == 0) {
    flags |= FS_IMMUTABLE_FL;
    result = ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  const int error = errno;
  close(fd);
  return result == 0 ? "" : "the immutable flag was refused: " + Reason(error);
}

// Everyone may reach the key's folder; only its owner (root) may write in it.
std::string OpenTheWayForOthers(const std::string& config, const std::string& key) {
  for (std::filesystem::path folder = key; folder.string().size() >= config.size();
       folder = folder.parent_path()) {
    if (chmod(folder.c_str(), 0755) != 0) return "chmod refused: " + Reason(errno);
  }
  return "";
}

std::string NothingToPrepare(const std::string& /*config*/, const std::string& /*key*/) {
  return "";
}

void NoRestriction() {}

void LimitFileSize() {
  // A caller's ignored SIGXFSZ would survive exec: make sure the tool itself is what ignores it.
  signal(SIGXFSZ, SIG_DFL);
  const rlimit limit{1024, 1024};
  setrlimit(RLIMIT_FSIZE, &limit);
}

void BecomeNobody() {
  if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
}

const WriteFailure kFailures[] = {
    {"FullDisk", true, FillTheDisk, NoRestriction, ENOSPC},
    {"FileSizeLimit", false, NothingToPrepare, LimitFileSize, EFBIG},
    {"ReadOnlyFolder", true, BindReadOnly, NoRestriction, EROFS},
    {"ImmutableFolder", true, MakeImmutable, NoRestriction, EPERM},
    {"PermissionDenied", true, OpenTheWayForOthers, BecomeNobody, EACCES},
};

// Runs tavrin-reg with `arguments`; its wait status and standard error.
int RunTool(const std::vector<std::string>& arguments, void (*restrict)(), std::string* errors) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t tool = fork();
  if (tool == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    restrict();
    std::vector<char*> argv{const_cast<char*>(TAVRIN_REG_PATH)};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(TAVRIN_REG_PATH, argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  char buffer[512];
  ssize_t got = 0;
  while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) errors->append(buffer, got);
  close(pipeFds[0]);
  int status = 0;
  waitpid(tool, &status, 0);
  return status;
}

// In the case's child: sets the failure up, runs the tool, and reports either "skip REASON" or
// "ran STATUS LEFTOVERS VALUE" followed by the tool's standard error.
std::string RunCase(const WriteFailure& failure, const std::string& config) {
  std::ostringstream out;
  const bool ownMounts =
      unshare(CLONE_NEWNS) == 0 &&
      mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
      mount("tavrin-test", config.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0;
  if (!ownMounts && failure.needsMounts) {
    return "skip cannot mount a private tmpfs (needs root): " + Reason(errno);
  }
  const std::string key = config + kKeyFolder;
  std::string ignored;
  const int first = RunTool({"set", kKey, "EffectDelay", "1"}, NoRestriction, &ignored);
  if (!WIFEXITED(first) || WEXITSTATUS(first) != 0) {
    return "ran -1 -1 first write failed: " + ignored;
  }
  if (const std::string why = failure.prepare(config, key); !why.empty()) return "skip " + why;
  std::string errors;
  const int status =
      RunTool({"set", kKey, "EffectDelay", std::string(4096, '7')}, failure.restrict, &errors);
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(key)) {
    if (entry.path().filename().string().starts_with(".tmp-")) ++leftovers;
  }
  std::ifstream valueFile(key + "/EffectDelay");
  std::string value;
  std::getline(valueFile, value);
  out << "ran " << status << ' ' << leftovers << ' ' << value << '\n' << errors;
  return out.str();
}

class TavrinRegFailureTest : public testing::TestWithParam<WriteFailure> {};

TEST_P(TavrinRegFailureTest, PrintsItsReasonEndsNormallyAndLeavesTheStoreAsItWas) {
  const WriteFailure& failure = GetParam();
  TempConfigHome home;
  ASSERT_EQ(chmod(home.Folder().c_str(), 0755), 0);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(report[0]);
    const std::string text = RunCase(failure, home.Folder());
    [[maybe_unused]] const ssize_t written = write(report[1], text.data(), text.size());
    _exit(0);
  }
  close(report[1]);
  std::string text;
  char buffer[512];
  ssize_t got = 0;
  while ((got = read(report[0], buffer, sizeof buffer)) > 0) text.append(buffer, got);
  close(report[0]);
  waitpid(child, nullptr, 0);
  if (text.starts_with("skip ")) GTEST_SKIP() << failure.name << ": " << text.substr(5);

  std::istringstream in(text);
  std::string word;
  int status = -1;
  int leftovers = -1;
  std::string value;
  in >> word >> status >> leftovers >> value;
  std::string errors;
  std::getline(in >> std::ws, errors, '\0');
  ASSERT_EQ(word, "ran") << text;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1)
      << "wait status " << status << (WIFSIGNALED(status) ? ", killed by a signal" : "");
  EXPECT_NE(errors.find("cannot set EffectDelay: " + Reason(failure.error) + " (error 5)"),
            std::string::npos)
      << errors;
  EXPECT_EQ(leftovers, 0) << "temporary files left in the key's folder";
  EXPECT_EQ(value, "1") << "the value lost its old bytes";
}

INSTANTIATE_TEST_SUITE_P(Causes, TavrinRegFailureTest, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<WriteFailure>& cause) {
                           return std::string(cause.param.name);
                         });

}  // namespace
