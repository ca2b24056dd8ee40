// The WLAN service's profile file: whole replacements, the order profiles were first stored in,
// and a damaged file left alone.
#include "sim/wlan_profile_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/win_errors.h"
#include "support/machine_fixture.h"

namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(WlanProfileStoreTest, KeepsProfilesInTheOrderFirstStoredAndLeavesNoTemporaryFile) {
  const auto dir = testing_support::MakeTempDirectory();
  const auto file = dir / sim::kWlanProfilesFile;
  sim::WlanProfileStore store(file);
  EXPECT_FALSE(store.Find("A"));
  ASSERT_EQ(store.Put("A", "<a/>", false), 0);
  ASSERT_EQ(store.Put("B", "<b/>", false), 0);
  ASSERT_EQ(store.Put("A", "<a2/>", true), 0);
  EXPECT_EQ(store.Put("B", "<b2/>", false), platform::kErrorAlreadyExists);
  EXPECT_EQ(store.Find("A"), "<a2/>");
  EXPECT_EQ(store.Find("B"), "<b/>");
  const auto list = nlohmann::json::parse(ReadText(file));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]["name"], "A");
  EXPECT_EQ(list[1]["name"], "B");
  // Only the store and its lock are in the folder.
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    ++entries;
    EXPECT_TRUE(entry.path() == file || entry.path().string() == file.string() + ".lock")
        << entry.path();
  }
  EXPECT_EQ(entries, 2u);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(WlanProfileStoreTest, ADamagedFileIsNotReplaced) {
  const auto dir = testing_support::MakeTempDirectory();
  const auto file = dir / sim::kWlanProfilesFile;
  for (const std::string damaged : {"[{\"name\": \"A\"", "{\"name\": \"A\"}", "[{\"name\": 1}]"}) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
    sim::WlanProfileStore store(file);
    EXPECT_FALSE(store.Find("A"));
    EXPECT_EQ(store.Put("B", "<b/>", true), platform::kErrorGenFailure) << damaged;
    EXPECT_EQ(ReadText(file), damaged);
  }
}

}  // namespace
