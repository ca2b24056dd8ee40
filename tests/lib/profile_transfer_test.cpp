// Export of the store and the merge of an exported file back into it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/lib/profile_fixture.h"
#include "vtrlib.h"

namespace {

using namespace profile_testing;

class ProfileTransferTest : public ProfileStoreTest {
 protected:
  std::filesystem::path Outside(const std::string& name) const {
    return outside_.empty() ? (outside_ = testing_support::MakeTempDirectory()) / name
                            : outside_ / name;
  }
  mutable std::filesystem::path outside_;
};

TEST_F(ProfileTransferTest, ExportCopiesTheStoreByteForByteForTheOwnerOnly) {
  SetStore(Store({Profile("a", 1), Profile("b")}));
  const auto target = Outside("Profile.cfg");
  WriteFile(target, "an older export");
  std::filesystem::permissions(target, std::filesystem::perms(0644));
  ASSERT_TRUE(VTR_ExportProfile(target.c_str()));
  EXPECT_TRUE(SameBytes(ReadFile(target), StoreBytes()));
  EXPECT_EQ(Permissions(target), 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target.parent_path()), {}), 1);
}

TEST_F(ProfileTransferTest, ExportToAWindowsPathLandsOnTheMachinesDrive) {
  SetStore(Store({Profile("a")}));
  ASSERT_TRUE(VTR_ExportProfile("C:\\vtrlog\\Profile.cfg"));
  const auto host = platform::Current().Files().HostPath("C:\\vtrlog\\Profile.cfg");
  ASSERT_TRUE(host.has_value());
  EXPECT_TRUE(SameBytes(ReadFile(*host), StoreBytes()));
}

TEST_F(ProfileTransferTest, ExportReplacesALinkRatherThanWritingThroughIt) {
  SetStore(Store({Profile("a")}));
  const auto victim = Outside("victim");
  WriteFile(victim, "not yours");
  const auto link = Outside("Profile.cfg");
  std::filesystem::create_symlink(victim, link);
  ASSERT_TRUE(VTR_ExportProfile(link.c_str()));
  EXPECT_TRUE(SameBytes(ReadFile(victim), "not yours"));
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(SameBytes(ReadFile(link), StoreBytes()));
}

TEST_F(ProfileTransferTest, ExportRefusesTheStoreItselfAndAMissingStore) {
  const auto target = Outside("Profile.cfg");
  EXPECT_FALSE(VTR_ExportProfile(target.c_str()));
  EXPECT_FALSE(std::filesystem::exists(target));

  const std::string old = Store({Profile("a")});
  SetStore(old);
  std::string upper = StorePath().string();
  const auto name = upper.rfind('/') + 1;
  std::transform(upper.begin() + static_cast<long>(name), upper.end(),
                 upper.begin() + static_cast<long>(name), ::toupper);
  EXPECT_FALSE(VTR_ExportProfile(upper.c_str()));
  EXPECT_FALSE(VTR_ExportProfile(StorePath().c_str()));
  EXPECT_FALSE(VTR_ExportProfile((dir_ / "." / "Profile.dll").c_str()));
  EXPECT_TRUE(SameBytes(StoreBytes(), old));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ProfileTransferTest, ImportIntoAnEmptyStoreTakesTheFileAsItIs) {
  SetStore(Header(0));
  const std::string file = Store({Profile("<Default>", 1), Profile("a", 1), Profile("b")});
  const auto source = Outside("Profile.cfg");
  WriteFile(source, file);
  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 128), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), file));
  EXPECT_EQ(Permissions(StorePath()), 0600u);
}

TEST_F(ProfileTransferTest, ImportMergesByNameAndKeepsTheStoresOwnDefaultProfile) {
  ProfileRecord storedDefault = Profile("<Default>", 1);
  storedDefault.surveyChannel = 11;
  SetStore(Store({storedDefault, Profile("A")}));
  ProfileRecord incomingA = Profile("A", 1);
  incomingA.encryption = 4;
  ProfileRecord incomingB = Profile("B", 1);
  const auto source = Outside("Profile.cfg");
  WriteFile(source, Store({Profile("<Default>"), incomingA, incomingB}));

  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 128), 0);
  incomingB.isDefault = 0;
  // A keeps its own flag: the stored A was not the default, so two records are flagged now.
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({storedDefault, incomingA, incomingB})));

  // Importing the same file again keeps the same profiles; B now meets a stored B that is not
  // the default, so it keeps the flag it carries in the file.
  const auto once = StoredNames();
  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 128), 0);
  EXPECT_EQ(StoredNames(), once);
  incomingB.isDefault = 1;
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({storedDefault, incomingA, incomingB})));
}

TEST_F(ProfileTransferTest, ImportedRecordTakesTheFlagOfTheDefaultItReplaces) {
  SetStore(Store({Profile("a", 1), Profile("a"), Profile("b", 1)}));
  const auto source = Outside("in.cfg");
  WriteFile(source, Store({Profile("a"), Profile("b")}));
  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 128), 0);
  // The last "a" is the one replaced; it was not flagged, so the incoming record keeps its 0.
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({Profile("a", 1), Profile("a"), Profile("b", 1)})));
}

TEST_F(ProfileTransferTest, ImportReadsAtMostMaxRecordsOfEachFile) {
  SetStore(Store({Profile("s1"), Profile("s2"), Profile("s3")}));
  const auto source = Outside("in.cfg");
  WriteFile(source, Store({Profile("i1"), Profile("i2"), Profile("i3")}));
  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 2), 0);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"s1", "s2", "i1", "i2"}));
}

// A header's count is a claim, not a size: the entries that are there are what is read.
TEST_F(ProfileTransferTest, ImportTakesFilesWhoseHeadersClaimMoreThanTheyHold) {
  SetStore(Header(0xFFFFFFFF) + Entry(Profile("s1")));
  const auto source = Outside("in.cfg");
  WriteFile(source, Header(0xFFFFFFFF) + Entry(Profile("i1")) + Entry(Profile("i2")));
  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 128), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({Profile("s1"), Profile("i1"), Profile("i2")})));
}

TEST_F(ProfileTransferTest, ImportResultsForFilesWithNothingToGive) {
  const auto source = Outside("in.cfg");
  WriteFile(source, Store({Profile("a")}));
  EXPECT_EQ(VTR_ImportProfile(source.c_str(), 128), 1);  // no store
  const std::string old = Store({Profile("s")});
  SetStore(old);
  EXPECT_EQ(VTR_ImportProfile(Outside("missing.cfg").c_str(), 128), 1);
  EXPECT_EQ(VTR_ImportProfile(nullptr, 128), 1);
  for (const std::string& file : {Header(0), std::string(), std::string(50, 'x'),
                                  std::string(3000, 'x'), Header(0) + Entry(Profile("a"))}) {
    WriteFile(source, file);
    EXPECT_EQ(VTR_ImportProfile(source.c_str(), 128), 1) << file.size();
  }
  EXPECT_EQ(VTR_ImportProfile(StorePath().c_str(), 128), 3);
  EXPECT_TRUE(SameBytes(StoreBytes(), old));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ProfileTransferTest, ImportOfAnOlderHeaderlessFileLeavesThatFileAlone) {
  SetStore(Store({Profile("s")}));
  ProfileRecord old = Profile("old");
  const std::string headerless = RecordBytes(old).substr(0, 2184);
  const auto source = Outside("old.cfg");
  WriteFile(source, headerless);
  ASSERT_EQ(VTR_ImportProfile(source.c_str(), 128), 0);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"s", "old"}));
  EXPECT_TRUE(SameBytes(ReadFile(source), headerless));
}

TEST_F(ProfileTransferTest, TransfersDoNotWorkOnARegistryStore) {
  SetStore(Store({Profile("a")}));
  const auto source = Outside("in.cfg");
  WriteFile(source, Store({Profile("b")}));
  ProfileStorageSetting setting{};
  setting.mode = 0;
  setting.rootKey = 2;
  std::strcpy(setting.keyPath, "SOFTWARE\\Radiodesk\\TransferProfiles");
  VTR_ProfileSetting(&setting);
  EXPECT_FALSE(VTR_ExportProfile(Outside("out.cfg").c_str()));
  EXPECT_EQ(VTR_ImportProfile(source.c_str(), 128), 3);
  UseFileMode();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a"});
}

}  // namespace
