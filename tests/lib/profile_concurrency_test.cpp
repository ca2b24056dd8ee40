// An operation holds the store alone: a second one, from this thread, another thread or another
// process, fails at once instead of waiting, and the store is never left mixed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lib/common/profile_write_gate.h"
#include "tests/lib/profile_fixture.h"
#include "vtrlib.h"

extern char** environ;

namespace {

using namespace profile_testing;

constexpr const char* kWorkerRole = "RADIODESK_PROFILE_WORKER";
constexpr const char* kWorkerReport = "RADIODESK_PROFILE_WORKER_REPORT";
constexpr const char* kWorkerGo = "RADIODESK_PROFILE_WORKER_GO";
constexpr int kHammerRounds = 150;

// What a store operation made while another holds the store gets back.
struct Attempt {
  int32_t read = -1;
  int32_t added = -1;
  int written = -1;
  int deleted = -1;
  int imported = -1;
  int exported = -1;
};

Attempt TryEverything(const std::string& exportPath) {
  Attempt attempt;
  ProfileRecord list[4];
  attempt.read = VTR_ReadProfileList(4, list);
  const ProfileRecord other = Profile("other");
  attempt.added = VTR_AddProfile(128, "other", &other);
  attempt.written = VTR_WriteSingleProfile("a", &other);
  attempt.deleted = VTR_DeleteProfile("a");
  attempt.imported = VTR_ImportProfile(exportPath.c_str(), 128);
  attempt.exported = VTR_ExportProfile((exportPath + ".out").c_str());
  return attempt;
}

void ExpectAllFailed(const Attempt& attempt) {
  EXPECT_EQ(attempt.read, 0);
  EXPECT_EQ(attempt.added, 3);
  EXPECT_EQ(attempt.written, 0);
  EXPECT_EQ(attempt.deleted, 0);
  EXPECT_EQ(attempt.imported, 3);
  EXPECT_EQ(attempt.exported, 0);
}

// Runs body at the first write of the operation that follows.
struct FirstWriteHook {
  std::function<void()> body;
  bool ran = false;
  static int Call(void* context) {
    auto* self = static_cast<FirstWriteHook*>(context);
    if (!self->ran) {
      self->ran = true;
      self->body();
    }
    return kRadiodeskWriteProceed;
  }
};

class ProfileConcurrencyTest : public ProfileStoreTest {
 protected:
  void SetUp() override {
    ProfileStoreTest::SetUp();
    SetStore(Store({Profile("a", 1), Profile("b")}));
    importFile_ = testing_support::MakeTempDirectory() / "in.cfg";
    WriteFile(importFile_, Store({Profile("c")}));
  }

  // Starts this test program again as a worker with the given role; its output is discarded.
  pid_t SpawnWorker(const std::string& role, const std::filesystem::path& report, int goFd = -1,
                    int keepFromWorker = -1) {
    ::setenv(kWorkerRole, role.c_str(), 1);
    ::setenv(kWorkerReport, report.c_str(), 1);
    ::setenv("RADIODESK_MACHINE", machine_.c_str(), 1);
    ::setenv(kWorkerGo, std::to_string(goFd).c_str(), 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (keepFromWorker >= 0) posix_spawn_file_actions_addclose(&actions, keepFromWorker);
    std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=ProfileWorker.*";
    char* argv[] = {exe.data(), filter.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::unsetenv(kWorkerRole);
    ::unsetenv(kWorkerGo);
    EXPECT_EQ(spawned, 0);
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path importFile_;
};

TEST_F(ProfileConcurrencyTest, AnOperationInTheSameThreadFailsAtOnce) {
  Attempt attempt;
  FirstWriteHook hook{[&] { attempt = TryEverything(importFile_.string()); }};
  RadiodeskSetProfileWriteGate(&FirstWriteHook::Call, &hook);
  const ProfileRecord c = Profile("c");
  EXPECT_EQ(VTR_AddProfile(128, "c", &c), 0);
  RadiodeskSetProfileWriteGate(nullptr, nullptr);
  ASSERT_TRUE(hook.ran);
  ExpectAllFailed(attempt);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ProfileConcurrencyTest, AnOperationInAnotherThreadFailsAtOnce) {
  Attempt attempt;
  FirstWriteHook hook{[&] {
    std::thread other([&] { attempt = TryEverything(importFile_.string()); });
    other.join();
  }};
  RadiodeskSetProfileWriteGate(&FirstWriteHook::Call, &hook);
  EXPECT_TRUE(VTR_DeleteProfile("b"));
  RadiodeskSetProfileWriteGate(nullptr, nullptr);
  ASSERT_TRUE(hook.ran);
  ExpectAllFailed(attempt);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a"});
}

TEST_F(ProfileConcurrencyTest, AnOperationInAnotherProcessFailsAtOnce) {
  const auto report = testing_support::MakeTempDirectory() / "report";
  int childExit = -1;
  FirstWriteHook hook{[&] { childExit = Wait(SpawnWorker("once", report)); }};
  RadiodeskSetProfileWriteGate(&FirstWriteHook::Call, &hook);
  ProfileRecord list[2] = {Profile("a", 1), Profile("b")};
  EXPECT_TRUE(VTR_SetDefaultProfile(2, "b", list));
  RadiodeskSetProfileWriteGate(nullptr, nullptr);
  EXPECT_EQ(childExit, 0);
  EXPECT_EQ(ReadFile(report), "read=0 added=3 deleted=0");
  // Once the store is free again, the other process gets through.
  EXPECT_EQ(Wait(SpawnWorker("once", report)), 0);
  EXPECT_EQ(ReadFile(report), "read=2 added=0 deleted=1");
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ProfileConcurrencyTest, TwoProcessesHammeringTheStoreNeverCorruptIt) {
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  const auto reports = testing_support::MakeTempDirectory();
  std::vector<pid_t> workers;
  for (int id = 0; id < 2; ++id) {
    workers.push_back(
        SpawnWorker("hammer" + std::to_string(id), reports / std::to_string(id), go[0], go[1]));
  }
  ::close(go[0]);
  // Both start together: each blocks on the pipe until its only writer, this process, closes it.
  ::close(go[1]);
  long succeeded = 0;
  long failed = 0;
  for (size_t id = 0; id < workers.size(); ++id) {
    EXPECT_EQ(Wait(workers[id]), 0);
    std::istringstream report(ReadFile(reports / std::to_string(id)));
    std::string key;
    long ok = 0, busy = 0, bad = -1;
    report >> key >> ok >> key >> busy >> key >> bad;
    EXPECT_EQ(bad, 0) << "worker " << id << " saw a store that was not whole";
    succeeded += ok;
    failed += busy;
  }
  EXPECT_GT(succeeded, 0);
  // The two met: some of their operations found the store held by the other.
  EXPECT_GT(failed, 0);

  const std::string bytes = StoreBytes();
  ASSERT_GE(bytes.size(), 128u);
  EXPECT_EQ((bytes.size() - 128) % 2244, 0u);
  const auto list = ReadAll();
  EXPECT_EQ(list.size(), (bytes.size() - 128) / 2244);
  EXPECT_EQ(Le32At(bytes, 40), list.size());
  int defaults = 0;
  for (const auto& record : list) {
    EXPECT_EQ(std::string(record.ssid), "net-" + std::string(record.profileName));
    defaults += record.isDefault == 1;
  }
  EXPECT_LE(defaults, 1);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// The other side of the process tests: does nothing unless started by one of them.
TEST(ProfileWorker, RunsOnlyWhenStartedByAConcurrencyTest) {
  const char* role = std::getenv(kWorkerRole);
  if (role == nullptr) GTEST_SKIP() << "started directly";
  std::ofstream report(std::getenv(kWorkerReport), std::ios::trunc);
  const std::string which(role);
  if (which == "once") {
    ProfileRecord list[4];
    const ProfileRecord child = Profile("child");
    const int32_t read = VTR_ReadProfileList(4, list);
    const int32_t added = VTR_AddProfile(128, "child", &child);
    const int deleted = VTR_DeleteProfile("child");
    report << "read=" << read << " added=" << added << " deleted=" << deleted;
    return;
  }
  char byte = 0;
  const int goFd = std::atoi(std::getenv(kWorkerGo));
  ASSERT_EQ(::read(goFd, &byte, 1), 0);
  long ok = 0, busy = 0, bad = 0;
  auto tally = [&](bool success) { ++(success ? ok : busy); };
  std::vector<ProfileRecord> list(128);
  for (int round = 0; round < kHammerRounds; ++round) {
    const std::string name = which + "-" + std::to_string(round % 4);
    ProfileRecord record = Profile(name);
    const int32_t added = VTR_AddProfile(128, name.c_str(), &record);
    if (added != 0 && added != 1 && added != 3) ++bad;
    tally(added != 3);
    record.surveyChannel = static_cast<uint32_t>(round);
    tally(VTR_WriteSingleProfile(name.c_str(), &record));
    const int32_t count = VTR_ReadProfileList(128, list.data());
    for (int32_t i = 0; i < count; ++i) {
      if (std::string(list[i].ssid) != "net-" + std::string(list[i].profileName)) ++bad;
    }
    tally(count > 0);
    if (count > 0) tally(VTR_SetDefaultProfile(count, name.c_str(), list.data()));
    if (round % 3 == 0) tally(VTR_DeleteProfile(name.c_str()));
  }
  report << "ok= " << ok << " busy= " << busy << " bad= " << bad;
}

}  // namespace
