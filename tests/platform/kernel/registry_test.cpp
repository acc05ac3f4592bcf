// The registry store: byte-exact values, Win32's sizing rules, names, keys and failures.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"

namespace {

constexpr const char* kKeyPath = "Software\\Dravelin\\Tavrin\\Settings";

class RegistryTest : public testing::Test {
 protected:
  HKEY Create(const char* path = kKeyPath, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    char noClass[] = "";
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, noClass, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
  }
  static LSTATUS Set(HKEY key, const char* name, const std::string& bytes, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  }
  static std::string Get(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
      return "<absent>";
    }
    std::string bytes(size, '\0');
    EXPECT_EQ(
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size),
        ERROR_SUCCESS);
    bytes.resize(size);
    return bytes;
  }

  TempConfigHome home_;
};

TEST_F(RegistryTest, ValuesRoundTripByteExact) {
  HKEY key = Create();
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  std::string large(1 << 20, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7919 % 251);
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"Binary", binary},       {"EmbeddedNul", std::string("ab\0cd", 5)},
      {"Empty", std::string()}, {"Newline", "line\n"},
      {"Large", large},
  };
  for (const auto& [name, bytes] : cases) ASSERT_EQ(Set(key, name, bytes), ERROR_SUCCESS) << name;
  for (const auto& [name, bytes] : cases) EXPECT_EQ(Get(key, name), bytes) << name;
  // The file holds exactly the bytes: no NUL appended, no framing.
  EXPECT_EQ(std::filesystem::file_size(home_.Registry() + "/Software/Dravelin/Tavrin/Settings/"
                                                          "EmbeddedNul"),
            5U);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, QuerySizingFollowsWin32) {
  HKEY key = Create();
  ASSERT_EQ(Set(key, "Path", "abcdef"), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6U);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  char buffer[8] = "XXXXXXX";
  size = 3;
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6U);
  size = 6;  // exactly enough: no NUL is added, the byte after stays untouched
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(buffer, 7), "abcdefX");
  EXPECT_EQ(
      RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
      ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, OtherTypesKeepTheirType) {
  HKEY key = Create();
  const DWORD number = 0x01020304;
  ASSERT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                           sizeof number),
            ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(Get(key, "Number", &type), std::string(reinterpret_cast<const char*>(&number), 4));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  // Changing the type replaces the value; it is not listed twice.
  ASSERT_EQ(Set(key, "number", "text"), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "NUMBER", &type), "text");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  char name[32];
  DWORD nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesIgnoreAsciiCaseAndKeepTheirFirstSpelling) {
  HKEY key = Create();
  ASSERT_EQ(Set(key, "EffectDelay", "6"), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "EFFECTDELAY", "7"), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "effectdelay"), "7");
  RegCloseKey(key);

  HKEY lower = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_CURRENT_USER, "software\\DRAVELIN\\tavrin\\settings", 0, KEY_READ, &lower),
      ERROR_SUCCESS);
  EXPECT_EQ(Get(lower, "EffectDelay"), "7");
  char name[32];
  DWORD nameSize = sizeof name;
  ASSERT_EQ(RegEnumValueA(lower, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "EffectDelay");
  EXPECT_EQ(nameSize, 11U);
  RegCloseKey(lower);

  DWORD disposition = 0;
  HKEY again = Create("SOFTWARE\\dravelin\\Tavrin\\Settings", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(again);
  EXPECT_FALSE(std::filesystem::exists(home_.Registry() + "/SOFTWARE"));
}

TEST_F(RegistryTest, AwkwardNamesStayInsideTheirKey) {
  HKEY key = Create();
  const std::vector<std::string> names = {"..",   ".hidden", "a/b",          "../../escape",
                                          "100%", "%41",     "tab\there",    "%t3",
                                          "x%t3", "",        "\x7f\x01name", "caf\xc3\xa9"};
  for (const std::string& name : names) {
    ASSERT_EQ(Set(key, name.c_str(), "v:" + name), ERROR_SUCCESS) << name;
  }
  for (const std::string& name : names) EXPECT_EQ(Get(key, name.c_str()), "v:" + name) << name;
  const std::string folder = home_.Registry() + "/Software/Dravelin/Tavrin/Settings";
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string fileName = entry.path().filename().string();
    EXPECT_NE(fileName.front(), '.') << fileName;
    EXPECT_EQ(fileName.find('/'), std::string::npos);
    EXPECT_TRUE(entry.is_regular_file()) << fileName;
    ++files;
  }
  EXPECT_EQ(files, names.size());
  EXPECT_FALSE(std::filesystem::exists(home_.Registry() + "/Software/Dravelin/escape"));
  RegCloseKey(key);
}

TEST_F(RegistryTest, EnumerationIsInNameOrderAndSkipsStrangers) {
  HKEY key = Create();
  for (const char* name : {"b", "C", "a", "P10", "P2"})
    ASSERT_EQ(Set(key, name, name), ERROR_SUCCESS);
  const std::string folder = home_.Registry() + "/Software/Dravelin/Tavrin/Settings";
  std::ofstream(folder + "/.tmp-1-2-3") << "half written";
  std::filesystem::create_directory(folder + "/Subkey");
  std::vector<std::string> seen;
  char name[4];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof name;
    char data[8] = {};
    DWORD dataSize = sizeof data;
    const LSTATUS status = RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(std::string(data, dataSize), name);
    seen.emplace_back(name);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "C", "P10", "P2"}));
  ASSERT_EQ(Set(key, "LongerName", "x"), ERROR_SUCCESS);
  DWORD small = sizeof name;  // "LongerName", fourth in order, does not fit
  EXPECT_EQ(RegEnumValueA(key, 3, name, &small, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  RegCloseKey(key);
}

// Lookups of another spelling go through a listing of the folder that this process keeps: it
// must follow this process's changes and another writer's alike, and tell values from subkeys.
TEST_F(RegistryTest, OtherSpellingsAreFoundAfterEveryKindOfChange) {
  HKEY key = Create();
  const std::string folder = home_.Registry() + "/Software/Dravelin/Tavrin/Settings";
  std::filesystem::create_directory(folder + "/abc");  // a subkey, not a value
  ASSERT_EQ(Set(key, "ABC", "value"), ERROR_SUCCESS);
  // Many values, so that a listing is made and then kept up to date by each write.
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(Set(key, ("P" + std::to_string(i)).c_str(), std::to_string(i)), ERROR_SUCCESS);
  }
  struct Step {
    const char* what;
    std::function<void()> change;
    const char* name;  // looked up in another spelling
    std::string expected;
  };
  const std::vector<Step> steps = {
      {"a value beside a subkey of its name", [] {}, "abc", "value"},
      {"a value written in this run", [] {}, "p299", "299"},
      {"a value rewritten in another spelling", [&] { Set(key, "p12", "twelve"); }, "P12",
       "twelve"},
      {"a value that changed its type",
       [&] { Set(key, "p13", std::string("\x0d\0\0\0", 4), REG_DWORD); }, "P13",
       std::string("\x0d\0\0\0", 4)},
      {"a deleted value", [&] { RegDeleteValueA(key, "P14"); }, "p14", "<absent>"},
      {"a value deleted and stored again in another spelling",
       [&] {
         RegDeleteValueA(key, "P15");
         Set(key, "p15", "again");
       },
       "P15", "again"},
      {"a value another writer put there",
       [&] {
         // A later clock tick than the listing, as another program's write would be.
         std::this_thread::sleep_for(std::chrono::milliseconds(20));
         std::ofstream(folder + "/Outsider") << "theirs";
       },
       "OUTSIDER", "theirs"},
      {"a value another writer took away",
       [&] {
         std::this_thread::sleep_for(std::chrono::milliseconds(20));
         std::filesystem::remove(folder + "/P16");
       },
       "p16", "<absent>"},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(Get(key, step.name), step.expected) << step.what;
  }
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files += entry.is_regular_file() ? 1 : 0;
  }
  // ABC, P0..P299 less P14 and P16, Outsider; P13 once, under its new type.
  EXPECT_EQ(files, 1U + 300U - 2U + 1U);
  RegCloseKey(key);
}

// A playlist saved as it was must not replace twenty thousand files: the same bytes of the same
// type leave the file (its inode) alone; anything else replaces it.
TEST_F(RegistryTest, TheSameBytesAgainLeaveTheFileAlone) {
  HKEY key = Create();
  const std::string file = home_.Registry() + "/Software/Dravelin/Tavrin/Settings/P0";
  const auto inode = [&file] {
    struct stat status {};
    return stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
  };
  ASSERT_EQ(Set(key, "P0", "/pictures/a.jpg"), ERROR_SUCCESS);
  struct Case {
    const char* what;
    std::string bytes;
    bool replaced;
  };
  for (const Case& c : std::vector<Case>{{"the same bytes", "/pictures/a.jpg", false},
                                         {"other bytes", "/pictures/b.jpg", true},
                                         {"a longer value", "/pictures/b.jpg2", true},
                                         {"a prefix of it", "/pictures/b.jpg", true},
                                         {"the same again", "/pictures/b.jpg", false}}) {
    const ino_t before = inode();
    ASSERT_EQ(Set(key, "p0", c.bytes), ERROR_SUCCESS) << c.what;
    EXPECT_EQ(inode() != before, c.replaced) << c.what;
    EXPECT_EQ(Get(key, "P0"), c.bytes) << c.what;
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, AbsentKeysAndValues) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);

  DWORD disposition = 0;
  key = Create(kKeyPath, &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(Get(key, "Missing"), "<absent>");
  EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set(key, "Gone", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "GONE"), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "Gone"), "<absent>");
  RegCloseKey(key);

  HKEY sibling = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Dravelin\\Tavrin\\The Gig", 0, KEY_READ,
                          &sibling),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);  // already closed
  EXPECT_EQ(Set(key, "x", "y"), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseWrites) {
  RegCloseKey(Create());
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(Set(key, "x", "y"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "x"), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
}

TEST_F(RegistryTest, SomethingInTheWayFailsInsteadOfWritingElsewhere) {
  std::filesystem::create_directories(home_.Registry() + "/Software/Dravelin/Tavrin");
  std::ofstream(home_.Registry() + "/Software/Dravelin/Tavrin/Settings") << "a file";
  HKEY key = nullptr;
  char noClass[] = "";
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, noClass, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);

  HKEY parent = Create("Software\\Dravelin\\Tavrin\\Other");
  std::filesystem::create_directory(home_.Registry() + "/Software/Dravelin/Tavrin/Other/Busy");
  EXPECT_NE(Set(parent, "Busy", "x"), ERROR_SUCCESS);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, RootFollowsHomeWithoutXdgConfigHome) {
  unsetenv("XDG_CONFIG_HOME");
  const char* previousHome = std::getenv("HOME");
  const std::string savedHome = previousHome != nullptr ? previousHome : "";
  setenv("HOME", home_.Folder().c_str(), 1);
  HKEY key = Create("Software\\Test");
  ASSERT_EQ(Set(key, "v", "1"), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(std::filesystem::exists(home_.Folder() + "/.config/tavrin/registry/Software/Test/v"));
  setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
