// The hive file under several writers and under failure: a hive that does not parse is left
// alone, concurrent writers lose nothing, and a writer dying before its rename leaves the old
// hive whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "sim/registry_file_store.h"
#include "sim/sim_registry.h"

namespace sim {
namespace {

using namespace platform;

class RegistryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "registry_store_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    hive_ = dir_ / "registry.reg";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string HiveText() const {
    std::ifstream in(hive_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  void WriteHive(const std::string& text) const { std::ofstream(hive_, std::ios::binary) << text; }
  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      std::string name = entry.path().filename().string();
      if (name.rfind("registry.reg.tmp.", 0) == 0) names.push_back(name);
    }
    return names;
  }

  // Writes count values named "<prefix><i>" into HKLM\Shared, each through its own open key.
  static int WriteMany(const std::filesystem::path& hive, const std::string& prefix, int count) {
    SimRegistry reg(hive);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
      RegKey key;
      if (reg.CreateKey(kHkeyLocalMachine, "Shared", kKeyAllAccess, key) != kErrorSuccess) {
        ++failures;
        continue;
      }
      uint32_t value = static_cast<uint32_t>(i);
      std::string name = prefix + std::to_string(i);
      if (reg.SetValue(key, name, kRegDword, reinterpret_cast<uint8_t*>(&value), 4) != 0) {
        ++failures;
      }
    }
    return failures;
  }

  void ExpectAllValues(const std::vector<std::string>& prefixes, int count) {
    SimRegistry reg(hive_);
    RegKey key;
    ASSERT_EQ(reg.OpenKey(kHkeyLocalMachine, "Shared", kKeyRead, key), kErrorSuccess);
    for (const auto& prefix : prefixes) {
      for (int i = 0; i < count; ++i) {
        uint32_t value = 0xffffffff;
        uint32_t size = 4;
        std::string name = prefix + std::to_string(i);
        ASSERT_EQ(reg.QueryValue(key, name, nullptr, reinterpret_cast<uint8_t*>(&value), &size),
                  kErrorSuccess)
            << name;
        EXPECT_EQ(value, static_cast<uint32_t>(i));
      }
    }
  }

  std::filesystem::path dir_;
  std::filesystem::path hive_;
};

TEST_F(RegistryStore, AHiveThatDoesNotParseIsReportedAndNeverOverwritten) {
  const std::string broken =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"ok\"=dword:00000001\n\n"
      "[HKEY_LOCAL_MACHINE\\K\\Sub]\n\"bad\"=hex:0g\n";
  WriteHive(broken);
  SimRegistry reg(hive_);
  RegKey key;
  EXPECT_EQ(reg.OpenKey(kHkeyLocalMachine, "K", kKeyRead, key), kErrorBadDb);
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "K", kKeyAllAccess, key), kErrorBadDb);
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "New", kKeyAllAccess, key), kErrorBadDb);
  RegKey handle{kHkeyLocalMachine, "K", kKeyAllAccess};
  uint32_t one = 1;
  EXPECT_EQ(reg.SetValue(handle, "x", kRegDword, reinterpret_cast<uint8_t*>(&one), 4), kErrorBadDb);
  EXPECT_EQ(reg.DeleteValue(handle, "ok"), kErrorBadDb);
  EXPECT_EQ(HiveText(), broken);

  auto problem = CheckHiveFile(hive_);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->rfind(hive_.string() + " line 7: ", 0), 0u) << *problem;

  std::ofstream(hive_, std::ios::trunc);  // an empty file is no registry either
  EXPECT_TRUE(CheckHiveFile(hive_));
  EXPECT_EQ(reg.OpenKey(kHkeyLocalMachine, "", kKeyRead, key), kErrorBadDb);
}

TEST_F(RegistryStore, CheckHiveFileAcceptsAMissingOrWholeHive) {
  EXPECT_FALSE(CheckHiveFile(hive_));
  WriteHive("REGEDIT4\n\n[HKEY_USERS\\K]\n");
  EXPECT_FALSE(CheckHiveFile(hive_));
}

TEST_F(RegistryStore, ConcurrentThreadsLoseNoChange) {
  constexpr int kThreads = 4;
  constexpr int kEach = 25;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  SimRegistry shared(hive_);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::string prefix = "t" + std::to_string(t) + "_";
      if (t % 2 == 0) {
        failures[t] = WriteMany(hive_, prefix, kEach);
        return;
      }
      // The other half shares one instance, and so its cache of the parsed hive.
      for (int i = 0; i < kEach; ++i) {
        RegKey key;
        uint32_t value = static_cast<uint32_t>(i);
        if (shared.CreateKey(kHkeyLocalMachine, "Shared", kKeyAllAccess, key) != 0 ||
            shared.SetValue(key, prefix + std::to_string(i), kRegDword,
                            reinterpret_cast<uint8_t*>(&value), 4) != 0) {
          ++failures[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << t;
  ExpectAllValues({"t0_", "t1_", "t2_", "t3_"}, kEach);
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(RegistryStore, ConcurrentProcessesLoseNoChange) {
  constexpr int kEach = 20;
  std::vector<pid_t> children;
  std::fflush(nullptr);  // so the children do not repeat what is still buffered
  for (const char* prefix : {"p0_", "p1_"}) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) ::_exit(WriteMany(hive_, prefix, kEach));
    children.push_back(pid);
  }
  EXPECT_EQ(WriteMany(hive_, "parent_", kEach), 0);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  ExpectAllValues({"p0_", "p1_", "parent_"}, kEach);
}

TEST_F(RegistryStore, AWriterDyingBeforeItsRenameLeavesTheOldHiveWhole) {
  SimRegistry reg(hive_);
  RegKey key;
  ASSERT_EQ(reg.CreateKey(kHkeyLocalMachine, "Shared", kKeyAllAccess, key), kErrorSuccess);
  uint32_t before = 7;
  ASSERT_EQ(reg.SetValue(key, "v", kRegDword, reinterpret_cast<uint8_t*>(&before), 4), 0);
  const std::string old = HiveText();

  // A child process dies for real between syncing its new file and renaming it; its lock dies
  // with it.
  std::fflush(nullptr);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    RegistryFileStore store(hive_, [](const std::filesystem::path&) -> bool { ::_exit(42); });
    store.Modify([](Hive& hive, bool& changed) {
      hive.roots[2].AddSubkey("FromTheDeadWriter");
      changed = true;
      return 0L;
    });
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 42);

  EXPECT_EQ(HiveText(), old);
  EXPECT_FALSE(CheckHiveFile(hive_));
  auto leftovers = TempFiles();
  ASSERT_EQ(leftovers.size(), 1u);
  std::ifstream in(dir_ / leftovers[0], std::ios::binary);
  std::string halfDone((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(halfDone.find("FromTheDeadWriter"), std::string::npos);

  // The next writer takes the lock at once and clears what the dead one left behind.
  uint32_t after = 8;
  ASSERT_EQ(reg.SetValue(key, "v", kRegDword, reinterpret_cast<uint8_t*>(&after), 4), 0);
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_EQ(HiveText().find("FromTheDeadWriter"), std::string::npos);
  EXPECT_NE(HiveText().find("\"v\"=dword:00000008"), std::string::npos);
}

TEST_F(RegistryStore, AnAbandonedWriteReportsFailureAndChangesNothing) {
  RegistryFileStore store(hive_, [](const std::filesystem::path&) { return false; });
  long result = store.Modify([](Hive& hive, bool& changed) {
    hive.roots[0].AddSubkey("Never");
    changed = true;
    return 0L;
  });
  EXPECT_NE(result, kErrorSuccess);
  EXPECT_FALSE(std::filesystem::exists(hive_));
  long seen = store.Read([](const Hive& hive) { return hive == Hive{} ? 0L : 1L; });
  EXPECT_EQ(seen, 0L);  // the failed change did not slip into the cache either
}

TEST_F(RegistryStore, AChangeThatFailsOrChangesNothingWritesNothing) {
  RegistryFileStore store(hive_);
  EXPECT_EQ(store.Modify([](Hive&, bool&) { return 0L; }), 0L);
  EXPECT_FALSE(std::filesystem::exists(hive_));
  EXPECT_EQ(store.Modify([](Hive& hive, bool& changed) {
    hive.roots[0].AddSubkey("X");
    changed = true;
    return kErrorAccessDenied;
  }),
            kErrorAccessDenied);
  EXPECT_FALSE(std::filesystem::exists(hive_));
}

}  // namespace
}  // namespace sim
