// Writes are atomic across processes: a reader never sees a torn value, and a writer killed
// mid-write leaves the previous value whole.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"

namespace {

constexpr const char* kKeyPath = "Software\\Dravelin\\Tavrin\\The Gig";

HKEY CreateKey() {
  HKEY key = nullptr;
  char noClass[] = "";
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, noClass, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  return key;
}

LSTATUS Store(HKEY key, const std::string& bytes) {
  return RegSetValueExA(key, "P0", 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

std::string Load(HKEY key) {
  std::string bytes(4 << 20, '\0');
  DWORD size = static_cast<DWORD>(bytes.size());
  if (RegQueryValueExA(key, "P0", nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
      ERROR_SUCCESS) {
    return "<absent>";
  }
  bytes.resize(size);
  return bytes;
}

// Two large values that differ everywhere, so that any mix of them is visible.
std::string Pattern(char fill, std::size_t size) {
  return std::string(size, fill);
}

[[noreturn]] void WriteForever(const std::string& first, const std::string& second) {
  HKEY key = CreateKey();
  for (unsigned round = 0;; ++round) Store(key, round % 2 == 0 ? first : second);
}

TEST(RegistryAtomicTest, ReaderInAnotherProcessNeverSeesATornValue) {
  TempConfigHome home;
  const std::string first = Pattern('a', 256 << 10);
  const std::string second = Pattern('b', 192 << 10);
  HKEY key = CreateKey();
  ASSERT_EQ(Store(key, first), ERROR_SUCCESS);

  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    HKEY childKey = CreateKey();
    for (int round = 0; round < 150; ++round) Store(childKey, round % 2 == 0 ? second : first);
    _exit(0);
  }
  int reads = 0;
  int status = 0;
  while (waitpid(writer, &status, WNOHANG) == 0) {
    const std::string seen = Load(key);
    ASSERT_TRUE(seen == first || seen == second) << "torn value of " << seen.size() << " bytes";
    ++reads;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(Load(key), first);  // the writer's last round stored `first`
  RegCloseKey(key);
}

TEST(RegistryAtomicTest, WriterKilledMidWriteLeavesAWholeValue) {
  TempConfigHome home;
  const std::string first = Pattern('x', 2 << 20);
  const std::string second = Pattern('y', 3 << 20);
  HKEY key = CreateKey();
  ASSERT_EQ(Store(key, first), ERROR_SUCCESS);
  std::mt19937 random(12345);
  for (int round = 0; round < 12; ++round) {
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) WriteForever(second, first);
    usleep(std::uniform_int_distribution<useconds_t>(0, 15000)(random));
    kill(writer, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    const std::string seen = Load(key);
    ASSERT_TRUE(seen == first || seen == second) << "round " << round << ": " << seen.size();
  }
  // Leftover temporaries are invisible to readers and cleared by the next writer to open the key.
  char name[16];
  DWORD nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(CreateKey());
  for (const auto& entry :
       std::filesystem::directory_iterator(home.Registry() + "/Software/Dravelin/Tavrin/The Gig")) {
    EXPECT_EQ(entry.path().filename().string(), "P0");
  }
  RegCloseKey(key);
}

}  // namespace
