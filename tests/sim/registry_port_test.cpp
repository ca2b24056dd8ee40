// The machine's registry as the library sees it through the port: Windows' answers, names that
// ignore case, delete rules, access rights, and what ends up in the hive file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "sim/sim_registry.h"

namespace sim {
namespace {

using namespace platform;

class RegistryPort : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "registry_port_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    hive_ = dir_ / "registry.reg";
    reg_ = SimRegistry(hive_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string HiveText() const {
    std::ifstream in(hive_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  RegKey Create(std::string_view path, uint32_t access = kKeyAllAccess) {
    RegKey key;
    EXPECT_EQ(reg_.CreateKey(kHkeyLocalMachine, path, access, key), kErrorSuccess) << path;
    return key;
  }

  long SetDword(const RegKey& key, std::string_view name, uint32_t value) {
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    return reg_.SetValue(key, name, kRegDword, bytes, 4);
  }

  long SetText(const RegKey& key, std::string_view name, std::string_view text) {
    return reg_.SetValue(key, name, kRegSz, reinterpret_cast<const uint8_t*>(text.data()),
                         static_cast<uint32_t>(text.size()));
  }

  std::filesystem::path dir_;
  std::filesystem::path hive_;
  SimRegistry reg_{std::filesystem::path{}};  // bound to the per-test file in SetUp
};

TEST_F(RegistryPort, MissingFileIsAnEmptyRegistryCreatedByTheFirstChange) {
  RegKey key;
  EXPECT_EQ(reg_.OpenKey(kHkeyLocalMachine, "Software", kKeyRead, key), kErrorFileNotFound);
  EXPECT_EQ(reg_.OpenKey(kHkeyLocalMachine, "", kKeyRead, key), kErrorSuccess);
  EXPECT_FALSE(std::filesystem::exists(hive_));

  key = Create("Software\\Vendor\\App");
  EXPECT_EQ(key.path, "Software\\Vendor\\App");
  ASSERT_TRUE(std::filesystem::exists(hive_));
  struct stat info {};
  ASSERT_EQ(::stat(hive_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(HiveText(),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\n\n");
}

TEST_F(RegistryPort, UnknownRootIsAnInvalidHandle) {
  RegKey key;
  EXPECT_EQ(reg_.OpenKey(0x80000004u, "x", kKeyRead, key), kErrorInvalidHandle);
  EXPECT_EQ(reg_.CreateKey(0x12345678u, "x", kKeyAllAccess, key), kErrorInvalidHandle);
  RegKey bogus{0x80000005u, "x", kKeyAllAccess};
  EXPECT_EQ(SetDword(bogus, "v", 1), kErrorInvalidHandle);
  EXPECT_EQ(reg_.QueryValue(bogus, "v", nullptr, nullptr, nullptr), kErrorInvalidHandle);
  EXPECT_FALSE(std::filesystem::exists(hive_));
}

TEST_F(RegistryPort, QueryFollowsRegQueryValueExRules) {
  RegKey key = Create("K");
  ASSERT_EQ(SetText(key, "Name", "abcdef"), kErrorSuccess);

  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(reg_.QueryValue(key, "Name", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 6u);  // written without a terminating NUL, read back the same

  uint8_t small[4] = {'x', 'x', 'x', 'x'};
  size = sizeof small;
  type = 0;
  EXPECT_EQ(reg_.QueryValue(key, "Name", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(small), 4), "xxxx");

  uint8_t big[16] = {};
  size = sizeof big;
  EXPECT_EQ(reg_.QueryValue(key, "name", nullptr, big, &size), kErrorSuccess);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(big), 6), "abcdef");
  EXPECT_EQ(big[6], 0);

  size = 99;
  EXPECT_EQ(reg_.QueryValue(key, "Missing", &type, big, &size), kErrorFileNotFound);
  EXPECT_EQ(reg_.QueryValue(key, "Name", &type, big, nullptr), kErrorInvalidParameter);
  EXPECT_EQ(reg_.QueryValue(key, "Name", nullptr, nullptr, nullptr), kErrorSuccess);
}

TEST_F(RegistryPort, StoredBytesKeepTheirExactSizeInTheFile) {
  RegKey key = Create("K");
  ASSERT_EQ(SetText(key, "Lib", "abc"), kErrorSuccess);
  const uint8_t terminated[] = {'a', 'b', 'c', 0};
  ASSERT_EQ(reg_.SetValue(key, "Win", kRegSz, terminated, 4), kErrorSuccess);
  ASSERT_EQ(SetDword(key, "Dw", 65537), kErrorSuccess);
  ASSERT_EQ(reg_.SetValue(key, "", kRegBinary, nullptr, 0), kErrorSuccess);
  EXPECT_EQ(HiveText(),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\K]\n"
            "\"Lib\"=hex(1):61,62,63\n"
            "\"Win\"=\"abc\"\n"
            "\"Dw\"=dword:00010001\n"
            "@=hex:\n\n");

  SimRegistry other(hive_);  // a fresh reader parses the file rather than reusing anything
  uint32_t size = 0;
  ASSERT_EQ(other.QueryValue(key, "lib", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 3u);
  ASSERT_EQ(other.QueryValue(key, "WIN", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 4u);
  ASSERT_EQ(other.QueryValue(key, "", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 0u);
}

TEST_F(RegistryPort, NamesIgnoreCaseButKeepTheCaseTheyWereCreatedWith) {
  RegKey key = Create("Software\\MixedCase");
  RegKey again = Create("SOFTWARE\\mixedcase\\Sub");
  EXPECT_EQ(again.path, "SOFTWARE\\mixedcase\\Sub");
  ASSERT_EQ(SetDword(key, "ControlFlags", 1), kErrorSuccess);
  ASSERT_EQ(SetDword(again, "x", 1), kErrorSuccess);
  ASSERT_EQ(SetDword(key, "CONTROLFLAGS", 0x8000), kErrorSuccess);

  RegKey opened;
  ASSERT_EQ(reg_.OpenKey(kHkeyLocalMachine, "software\\MIXEDCASE", kKeyRead, opened),
            kErrorSuccess);
  uint32_t value = 0;
  uint32_t size = 4;
  ASSERT_EQ(
      reg_.QueryValue(opened, "controlflags", nullptr, reinterpret_cast<uint8_t*>(&value), &size),
      kErrorSuccess);
  EXPECT_EQ(value, 0x8000u);
  // Keys keep their first spelling; a value takes the spelling of its last write.
  EXPECT_NE(HiveText().find("[HKEY_LOCAL_MACHINE\\Software\\MixedCase\\Sub]"), std::string::npos);
  EXPECT_NE(HiveText().find("\"CONTROLFLAGS\"=dword:00008000"), std::string::npos);
}

TEST_F(RegistryPort, EnumeratesSubkeysInRegistryOrder) {
  for (auto name : {"Zeta", "alpha", "_last", "Beta", "beta2"}) Create(std::string("E\\") + name);
  Create("E\\alpha\\deeper");
  RegKey key;
  ASSERT_EQ(reg_.OpenKey(kHkeyLocalMachine, "E", kKeyRead, key), kErrorSuccess);
  std::vector<std::string> names;
  std::string name;
  uint32_t index = 0;
  long result;
  while ((result = reg_.EnumKey(key, index++, name)) == kErrorSuccess) names.push_back(name);
  EXPECT_EQ(result, kErrorNoMoreItems);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "beta2", "Zeta", "_last"}));
  EXPECT_EQ(reg_.EnumKey(key, 1000, name), kErrorNoMoreItems);
  RegKey leaf = Create("E\\Zeta");
  EXPECT_EQ(reg_.EnumKey(leaf, 0, name), kErrorNoMoreItems);
}

TEST_F(RegistryPort, DeleteKeyRemovesOnlyKeysWithoutSubkeys) {
  Create("Parent\\Child\\Grandchild");
  RegKey root = Create("");
  EXPECT_EQ(reg_.DeleteKey(root, "Parent"), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(root, "Parent\\Child"), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(root, "Parent\\Nope"), kErrorFileNotFound);
  EXPECT_EQ(reg_.DeleteKey(root, "PARENT\\child\\GRANDCHILD"), kErrorSuccess);
  EXPECT_EQ(reg_.DeleteKey(root, "Parent\\Child\\Grandchild"), kErrorFileNotFound);
  RegKey parent = Create("Parent");
  EXPECT_EQ(reg_.DeleteKey(parent, "Child"), kErrorSuccess);
  EXPECT_EQ(reg_.DeleteKey(parent, ""), kErrorSuccess);     // an empty name is the key itself
  EXPECT_EQ(reg_.DeleteKey(root, ""), kErrorAccessDenied);  // the roots stay
  EXPECT_EQ(HiveText(), "REGEDIT4\n\n");
}

TEST_F(RegistryPort, AKeyOpenedToReadCannotChangeAnything) {
  RegKey writable = Create("K\\Sub");
  ASSERT_EQ(SetDword(writable, "v", 1), kErrorSuccess);
  RegKey reader;
  ASSERT_EQ(reg_.OpenKey(kHkeyLocalMachine, "K", kKeyRead | kKeyWow64_64Key, reader),
            kErrorSuccess);
  RegKey subReader;
  ASSERT_EQ(reg_.OpenKey(kHkeyLocalMachine, "K\\Sub", kKeyRead, subReader), kErrorSuccess);
  std::string before = HiveText();
  EXPECT_EQ(SetDword(subReader, "v", 2), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteValue(subReader, "v"), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(reader, "Sub"), kErrorAccessDenied);
  EXPECT_EQ(HiveText(), before);

  // Rights matter, not the view flag: a key opened only to set values cannot be read.
  RegKey setter = Create("K\\Sub", kKeySetValue);
  EXPECT_EQ(reg_.QueryValue(setter, "v", nullptr, nullptr, nullptr), kErrorAccessDenied);
  std::string name;
  EXPECT_EQ(reg_.EnumKey(setter, 0, name), kErrorAccessDenied);
  EXPECT_EQ(SetDword(setter, "v", 3), kErrorSuccess);
}

TEST_F(RegistryPort, AKeyDeletedMeanwhileAnswersKeyDeleted) {
  RegKey key = Create("Gone");
  RegKey root = Create("");
  ASSERT_EQ(reg_.DeleteKey(root, "Gone"), kErrorSuccess);
  uint32_t size = 0;
  std::string name;
  EXPECT_EQ(reg_.QueryValue(key, "v", nullptr, nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(SetDword(key, "v", 1), kErrorKeyDeleted);
  EXPECT_EQ(reg_.DeleteValue(key, "v"), kErrorKeyDeleted);
  EXPECT_EQ(reg_.EnumKey(key, 0, name), kErrorKeyDeleted);
  EXPECT_EQ(reg_.DeleteKey(key, ""), kErrorKeyDeleted);
  EXPECT_EQ(reg_.DeleteKey(key, "Sub"), kErrorFileNotFound);
  EXPECT_EQ(HiveText(), "REGEDIT4\n\n");  // the failed write did not bring the key back
}

TEST_F(RegistryPort, DeleteValueAnswersNotFoundForAMissingValue) {
  RegKey key = Create("K");
  ASSERT_EQ(SetDword(key, "Keep", 1), kErrorSuccess);
  ASSERT_EQ(SetDword(key, "Drop", 2), kErrorSuccess);
  EXPECT_EQ(reg_.DeleteValue(key, "DROP"), kErrorSuccess);
  EXPECT_EQ(reg_.DeleteValue(key, "Drop"), kErrorFileNotFound);
  EXPECT_EQ(reg_.QueryValue(key, "Drop", nullptr, nullptr, nullptr), kErrorFileNotFound);
  EXPECT_EQ(reg_.QueryValue(key, "Keep", nullptr, nullptr, nullptr), kErrorSuccess);
}

TEST_F(RegistryPort, PathsTolerateStraySeparatorsAndRejectOverlongNames) {
  RegKey key;
  ASSERT_EQ(reg_.CreateKey(kHkeyCurrentUser, "\\A\\\\B\\", kKeyAllAccess, key), kErrorSuccess);
  EXPECT_EQ(key.path, "A\\B");
  EXPECT_EQ(reg_.OpenKey(kHkeyCurrentUser, "A\\B\\\\", kKeyRead, key), kErrorSuccess);
  EXPECT_EQ(reg_.OpenKey(kHkeyLocalMachine, "A\\B", kKeyRead, key), kErrorFileNotFound);

  EXPECT_EQ(reg_.CreateKey(kHkeyUsers, std::string(255, 'k'), kKeyAllAccess, key), kErrorSuccess);
  EXPECT_EQ(reg_.CreateKey(kHkeyUsers, std::string(256, 'k'), kKeyAllAccess, key),
            kErrorInvalidParameter);
  EXPECT_EQ(reg_.OpenKey(kHkeyUsers, "a\nb", kKeyRead, key), kErrorInvalidParameter);
  EXPECT_EQ(SetDword(key, std::string(16383, 'v'), 1), kErrorSuccess);
  EXPECT_EQ(SetDword(key, std::string(16384, 'v'), 1), kErrorInvalidParameter);
  EXPECT_EQ(SetDword(key, std::string("a\0b", 3), 1), kErrorInvalidParameter);
  EXPECT_EQ(reg_.SetValue(key, "v", kRegBinary, nullptr, 4), kErrorInvalidParameter);
}

TEST_F(RegistryPort, SeesChangesMadeThroughAnotherInstanceAtOnce) {
  RegKey key = Create("K");
  SimRegistry other(hive_);
  // Same size, same file layout, written within one clock tick: only the contents differ.
  for (uint32_t i = 1; i <= 5; ++i) {
    ASSERT_EQ(SetDword(key, "v", i), kErrorSuccess);
    uint32_t value = 0;
    uint32_t size = 4;
    ASSERT_EQ(other.QueryValue(key, "v", nullptr, reinterpret_cast<uint8_t*>(&value), &size),
              kErrorSuccess);
    EXPECT_EQ(value, i);
  }
}

}  // namespace
}  // namespace sim
