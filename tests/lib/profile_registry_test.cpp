// The store in registry mode: one key per profile under the caller's key path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/services.h"
#include "tests/lib/profile_fixture.h"
#include "vtrlib.h"

namespace {

using namespace profile_testing;

constexpr const char* kPath = "SOFTWARE\\Radiodesk\\Profiles";

class ProfileRegistryTest : public ProfileStoreTest {
 protected:
  void SetUp() override {
    ProfileStoreTest::SetUp();
    UseRegistry(2);
  }
  static const char* UseRegistry(uint32_t rootKey, const char* path = kPath) {
    ProfileStorageSetting setting{};
    setting.mode = 0;
    setting.rootKey = rootKey;
    std::strncpy(setting.keyPath, path, sizeof(setting.keyPath) - 1);
    return VTR_ProfileSetting(&setting);
  }
  static std::vector<std::string> Keys(uint32_t root = VTR_HKEY_LOCAL_MACHINE) {
    std::vector<std::string> keys;
    char name[256];
    for (uint32_t i = 0; VTR_GetRegEnumerator(kPath, i, name, sizeof(name), "", root, 0); ++i) {
      keys.emplace_back(name);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
  }
  static ProfileRecord Stored(const std::string& key) {
    ProfileRecord record;
    std::memset(&record, 0, sizeof(record));
    EXPECT_TRUE(VTR_GetRegistryBinary((std::string(kPath) + "\\" + key).c_str(), "ProfileData",
                                      reinterpret_cast<uint8_t*>(&record), sizeof(record),
                                      VTR_HKEY_LOCAL_MACHINE));
    return record;
  }
  static void Put(const std::string& key, const ProfileRecord& record) {
    ASSERT_TRUE(VTR_SetRegistryBinary((std::string(kPath) + "\\" + key).c_str(), "ProfileData",
                                      reinterpret_cast<const uint8_t*>(&record), sizeof(record),
                                      VTR_HKEY_LOCAL_MACHINE));
  }
};

TEST_F(ProfileRegistryTest, AddCreatesOneKeyPerProfileWithTheNextSequence) {
  const ProfileRecord a = Profile("a");
  const ProfileRecord b = Profile("b");
  ASSERT_EQ(VTR_AddProfile(128, "a", &a), 0);
  ASSERT_EQ(VTR_AddProfile(128, "b", &b), 0);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "b"}));
  ProfileRecord expected = b;
  expected.sequence = 2;
  EXPECT_EQ(RecordBytes(Stored("b")), RecordBytes(expected));
  EXPECT_EQ(Stored("a").sequence, 1u);
  // The caller's record is left as it was.
  EXPECT_EQ(b.sequence, 0u);
  // The existing name is the record's own, whatever key name the caller asks for.
  EXPECT_EQ(VTR_AddProfile(128, "other", &a), 1);
  EXPECT_EQ(Keys().size(), 2u);
  EXPECT_FALSE(StoreExists());
}

TEST_F(ProfileRegistryTest, ListIsOrderedBySequence) {
  ProfileRecord one = Profile("one");
  one.sequence = 1;
  ProfileRecord two = Profile("two");
  two.sequence = 2;
  ProfileRecord three = Profile("three");
  three.sequence = 3;
  Put("k1", three);
  Put("k2", one);
  Put("k3", two);
  ProfileRecord list[3];
  ASSERT_EQ(VTR_ReadProfileList(3, list), 3);
  EXPECT_EQ(Names(list, 3), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(VTR_ReadProfileList(0, list), 0);
  ASSERT_EQ(VTR_ReadProfileList(2, list), 2);
}

TEST_F(ProfileRegistryTest, ReadSingleMatchesTheKeyNameExactly) {
  Put("Home", Profile("Home"));
  ProfileRecord found;
  ASSERT_TRUE(VTR_ReadSingleProfile("Home", &found));
  EXPECT_STREQ(found.profileName, "Home");
  EXPECT_FALSE(VTR_ReadSingleProfile("home", &found));
}

TEST_F(ProfileRegistryTest, WriteSingleKeepsTheKeyName) {
  Put("a", Profile("a"));
  const ProfileRecord renamed = Profile("renamed");
  ASSERT_TRUE(VTR_WriteSingleProfile("a", &renamed));
  EXPECT_EQ(Keys(), std::vector<std::string>{"a"});
  EXPECT_STREQ(Stored("a").profileName, "renamed");
  EXPECT_FALSE(VTR_WriteSingleProfile("missing", &renamed));
}

TEST_F(ProfileRegistryTest, DeleteIgnoresLetterCaseAndLeavesTheCallersName) {
  Put("Office", Profile("Office"));
  Put("Home", Profile("Home"));
  char name[] = "hOmE";
  ASSERT_TRUE(VTR_DeleteProfile(name));
  EXPECT_STREQ(name, "hOmE");
  EXPECT_EQ(Keys(), std::vector<std::string>{"Office"});
  EXPECT_FALSE(VTR_DeleteProfile("Home"));
}

TEST_F(ProfileRegistryTest, WriteListReplacesEveryProfileInListOrder) {
  Put("old", Profile("old"));
  const std::vector<ProfileRecord> list = {Profile("z"), Profile("y"), Profile("z")};
  EXPECT_EQ(VTR_WriteProfileList(3, list.data()), 2);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"y", "z"}));
  EXPECT_EQ(Stored("z").sequence, 1u);
  EXPECT_EQ(Stored("y").sequence, 2u);
  ProfileRecord read[3];
  ASSERT_EQ(VTR_ReadProfileList(3, read), 2);
  EXPECT_EQ(Names(read, 2), (std::vector<std::string>{"z", "y"}));
  EXPECT_EQ(VTR_WriteProfileList(0, list.data()), 0);
  EXPECT_EQ(Keys().size(), 2u);
}

TEST_F(ProfileRegistryTest, SetDefaultChangesOnlyTheCallersList) {
  Put("a", Profile("a", 1));
  Put("b", Profile("b"));
  ProfileRecord list[2] = {Profile("a", 1), Profile("b")};
  EXPECT_FALSE(VTR_SetDefaultProfile(2, "b", list));
  EXPECT_EQ(list[0].isDefault, 0u);
  EXPECT_EQ(list[1].isDefault, 1u);
  EXPECT_EQ(Stored("a").isDefault, 1u);
  EXPECT_EQ(Stored("b").isDefault, 0u);
}

TEST_F(ProfileRegistryTest, ReadsUseTheChosenRootWhileWritesGoToTheMachine) {
  UseRegistry(1);  // HKEY_CURRENT_USER
  const ProfileRecord a = Profile("a");
  ASSERT_EQ(VTR_AddProfile(128, "a", &a), 0);
  EXPECT_EQ(Keys(VTR_HKEY_LOCAL_MACHINE), std::vector<std::string>{"a"});
  ProfileRecord list[1];
  EXPECT_EQ(VTR_ReadProfileList(1, list), 0);
  UseRegistry(2);
  EXPECT_EQ(VTR_ReadProfileList(1, list), 1);
}

TEST_F(ProfileRegistryTest, SettingKeepsItsOwnCopyAndIgnoresInvalidValues) {
  const char* kept = UseRegistry(2, "SOFTWARE\\First");
  EXPECT_STREQ(kept, "SOFTWARE\\First");
  ProfileStorageSetting setting{};
  setting.mode = 7;     // not a mode: registry mode stays
  setting.rootKey = 9;  // not a root: HKEY_LOCAL_MACHINE stays
  std::memset(setting.keyPath, 'k', sizeof(setting.keyPath));
  const char* copy = VTR_ProfileSetting(&setting);
  EXPECT_EQ(copy, kept);
  EXPECT_EQ(std::strlen(copy), 259u);
  UseRegistry(2);
  Put("a", Profile("a"));
  setting.mode = 7;
  std::strcpy(setting.keyPath, kPath);
  VTR_ProfileSetting(&setting);
  ProfileRecord list[1];
  EXPECT_EQ(VTR_ReadProfileList(1, list), 1);
  EXPECT_STREQ(VTR_ProfileSetting(nullptr), kPath);
}

}  // namespace
