// Telling a file's contents apart without reading them: a kept stamp may be trusted only while it
// is certain that no other contents can carry the same one, and every change another writer of a
// machine file makes, however quick and whatever its size, is seen by the next read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/content_stamp.h"
#include "platform/registry.h"
#include "platform/win_errors.h"
#include "sim/adapter_state_file.h"
#include "sim/machine_file.h"
#include "sim/sim_registry.h"

namespace sim {
namespace {

class ContentStampTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "file_version_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    file_ = dir_ / "state";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static void Write(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  }
  // Gives the file a modification time an hour ago, as a file nobody touched since would have.
  static void AgeModificationTime(const std::filesystem::path& file) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const timespec times[2] = {{now.tv_sec - 3600, 0}, {now.tv_sec - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  }
  // The file's stamp as a look that began two seconds from now would have taken it: long enough
  // after every time the file carries for the stamp to be trusted.
  static platform::ContentStamp ReadLater(const std::filesystem::path& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    timespec later{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &later);
    later.tv_sec += 2;
    return platform::ContentStamp::Of(info, later);
  }

  std::filesystem::path dir_;
  std::filesystem::path file_;
};

TEST_F(ContentStampTest, AStampIsTrustedOnlyOnceSettledAndOnlyUntilTheFileChanges) {
  Write(file_, "first");
  std::string text;
  platform::ContentStamp justWritten;
  ASSERT_FALSE(ReadMachineFile(file_, text, &justWritten));
  EXPECT_EQ(text, "first");
  // Another write within the same clock tick could carry the very same stamps.
  EXPECT_FALSE(justWritten.StillHolds(platform::ContentStamp::OnDisk(file_)));

  AgeModificationTime(file_);
  const platform::ContentStamp settled = ReadLater(file_);
  EXPECT_TRUE(settled.StillHolds(platform::ContentStamp::OnDisk(file_)));

  Write(file_, "other");  // in place, same size
  EXPECT_FALSE(settled.StillHolds(platform::ContentStamp::OnDisk(file_)));

  AgeModificationTime(file_);
  const platform::ContentStamp beforeRename = ReadLater(file_);
  const auto replacement = dir_ / "state.new";
  Write(replacement, "third");
  AgeModificationTime(replacement);  // the same size and modification time as the old one
  std::filesystem::rename(replacement, file_);
  EXPECT_FALSE(beforeRename.StillHolds(platform::ContentStamp::OnDisk(file_)));

  const platform::ContentStamp last = ReadLater(file_);
  std::filesystem::remove(file_);
  EXPECT_FALSE(last.StillHolds(platform::ContentStamp::OnDisk(file_)));
  platform::ContentStamp missing;
  EXPECT_TRUE(ReadMachineFile(file_, text, &missing));
  EXPECT_FALSE(missing.StillHolds(platform::ContentStamp::OnDisk(file_)));
}

// Two stores on one file stand for two processes. Between two reads the writer replaces the file
// twice by one of the same size, often within one clock tick: on a file system with coarse times
// the second new file then reuses the inode of the one the reader saw last, with equal stamps.
TEST_F(ContentStampTest, EveryQuickSameSizeChangeOfAnotherWriterIsSeen) {
  using namespace platform;
  const auto hive = dir_ / "registry.reg";
  SimRegistry reader(hive);
  SimRegistry writer(hive);
  RegKey readKey;
  RegKey writeKey;
  ASSERT_EQ(writer.CreateKey(kHkeyLocalMachine, "Shared", kKeyAllAccess, writeKey), kErrorSuccess);
  ASSERT_EQ(reader.OpenKey(kHkeyLocalMachine, "Shared", kKeyRead, readKey), kErrorSuccess);

  const std::filesystem::path stateFile = dir_ / kAdapterStateFile;
  AdapterStateFile readerState(stateFile, AdapterState{});
  AdapterStateFile writerState(stateFile, AdapterState{});

  for (uint32_t round = 0; round < 200; ++round) {
    const uint32_t value = round % 2 == 0 ? 0x11111111 : 0x22222222;
    for (const uint32_t written : {0x33333333u, value}) {
      ASSERT_EQ(
          writer.SetValue(writeKey, "v", kRegDword, reinterpret_cast<const uint8_t*>(&written), 4),
          kErrorSuccess);
    }
    uint32_t seen = 0;
    uint32_t size = sizeof(seen);
    ASSERT_EQ(reader.QueryValue(readKey, "v", nullptr, reinterpret_cast<uint8_t*>(&seen), &size),
              kErrorSuccess);
    ASSERT_EQ(seen, value) << "round " << round;

    const uint32_t region = round % 2 == 0 ? 10 : 11;
    for (const uint32_t written : {12u, region}) {
      ASSERT_EQ(writerState.Modify([&](AdapterState& state) { state.region = written; }),
                kErrorSuccess);
    }
    uint32_t seenRegion = 0;
    ASSERT_EQ(readerState.Read([&](const AdapterState& state) { seenRegion = state.region; }),
              kErrorSuccess);
    ASSERT_EQ(seenRegion, region) << "round " << round;
  }
}

}  // namespace
}  // namespace sim
