// How vtrctl waits for a profile store another program holds: it looks again on the machine's
// clock, takes the store as soon as it is free, and gives up after a bounded time.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "lib/common/profile_store_format.h"
#include "platform/clock.h"
#include "tests/support/machine_fixture.h"
#include "tools/vtrctl/profile_store_reading.h"

namespace {

namespace fs = std::filesystem;
using State = vtrctl::ProfileFileReading::State;

// Time moves only when asked to sleep; each sleep may act, as another program would meanwhile.
class SteppingClock : public platform::ClockPort {
 public:
  uint64_t NowMs() override { return now_; }
  void SleepMs(uint32_t ms) override {
    now_ += ms;
    ++sleeps_;
    if (onSleep) onSleep(sleeps_);
  }
  VtrSystemTime LocalTime() override { return {}; }

  std::function<void(int)> onSleep;

 private:
  uint64_t now_ = 0;
  int sleeps_ = 0;
};

class ProfileStoreWait : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::MakeTempDirectory();
    ASSERT_EQ(::setenv("RADIODESK_PROFILE_DIR", folder_.c_str(), 1), 0);
    ProfileRecord record{};
    std::strcpy(record.profileName, "Home");
    record.networkType = 1;
    record.phyMode = 4;
    const auto store = vtr::profile::BuildStore(&record, 1);
    std::ofstream(folder_ / "Profile.dll", std::ios::binary)
        .write(reinterpret_cast<const char*>(store.data()),
               static_cast<std::streamsize>(store.size()));
    Hold();
  }
  void TearDown() override {
    Release();
    ::unsetenv("RADIODESK_PROFILE_DIR");
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // Holds the store as another program's operation does.
  void Hold() {
    lock_ = ::open((folder_ / "Profile.dll.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock_, 0);
    ASSERT_EQ(::flock(lock_, LOCK_EX | LOCK_NB), 0);
  }
  void Release() {
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
  }

  fs::path folder_;
  int lock_ = -1;
  SteppingClock clock_;
};

TEST_F(ProfileStoreWait, TakesTheStoreOnceTheOtherProgramLetsItGo) {
  clock_.onSleep = [&](int sleeps) {
    if (sleeps == 3) Release();
  };
  const auto reading = vtrctl::ReadProfileStore(clock_);
  EXPECT_EQ(reading.state, State::kReadable);
  ASSERT_EQ(reading.profiles.size(), 1u);
  EXPECT_STREQ(reading.profiles[0].profileName, "Home");
  EXPECT_EQ(clock_.NowMs(), 150u);

  // An operation refused while the store is held is made again once it is free.
  Hold();
  const uint64_t start = clock_.NowMs();
  clock_.onSleep = [&](int) { Release(); };
  int calls = 0;
  EXPECT_TRUE(vtrctl::RetryWhileBusy([&] { return ++calls == 2; }, clock_));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(clock_.NowMs() - start, 50u);
}

TEST_F(ProfileStoreWait, GivesUpAfterTwoSecondsOfTheMachinesTime) {
  EXPECT_EQ(vtrctl::ReadProfileStore(clock_).state, State::kBusy);
  EXPECT_EQ(clock_.NowMs(), 2000u);
  int calls = 0;
  EXPECT_FALSE(vtrctl::RetryWhileBusy([&] { return ++calls == 0; }, clock_));
  EXPECT_EQ(clock_.NowMs(), 4000u);
  EXPECT_EQ(calls, 41);
  // A failure while nobody holds the store is tried once more, not waited on.
  Release();
  calls = 0;
  EXPECT_FALSE(vtrctl::RetryWhileBusy([&] { return ++calls == 0; }, clock_));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(clock_.NowMs(), 4000u);
}

}  // namespace
