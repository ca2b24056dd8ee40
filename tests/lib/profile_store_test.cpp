// The store file in file mode, checked byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/lib/profile_fixture.h"
#include "vtrlib.h"

namespace {

using namespace profile_testing;
using ProfileFileTest = ProfileStoreTest;

TEST_F(ProfileFileTest, FirstAddCreatesHeaderAndOneEntry) {
  const ProfileRecord home = Profile("Home");
  ASSERT_EQ(VTR_AddProfile(128, "Home", &home), 0);
  const std::string bytes = StoreBytes();
  ASSERT_EQ(bytes.size(), 2372u);
  EXPECT_TRUE(SameBytes(bytes.substr(0, 128), Header(1)));
  EXPECT_TRUE(SameBytes(bytes.substr(128), Entry(home)));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ProfileFileTest, AddAppendsLastAndRefusesTakenNamesAndFullStores) {
  const ProfileRecord a = Profile("a");
  const ProfileRecord b = Profile("b");
  ASSERT_EQ(VTR_AddProfile(128, "a", &a), 0);
  ASSERT_EQ(VTR_AddProfile(128, "b", &b), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({a, b})));

  const std::string before = StoreBytes();
  EXPECT_EQ(VTR_AddProfile(128, "a", &a), 1);
  EXPECT_TRUE(SameBytes(StoreBytes(), before));
  // The capacity is the header's count, whatever the entries are.
  EXPECT_EQ(VTR_AddProfile(2, "c", &a), 4);
  SetStore(Header(128) + Entry(a));
  EXPECT_EQ(VTR_AddProfile(128, "c", &a), 4);
  EXPECT_TRUE(SameBytes(StoreBytes(), Header(128) + Entry(a)));
}

TEST_F(ProfileFileTest, AddAppendsBehindADamagedEntry) {
  ProfileRecord broken = Profile("broken");
  broken.phyMode = 3;
  const ProfileRecord a = Profile("a");
  const ProfileRecord c = Profile("c");
  const std::string old = Header(2) + Entry(a) + Entry(broken);
  SetStore(old);
  ASSERT_EQ(VTR_AddProfile(128, "c", &c), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), Header(3) + Entry(a) + Entry(broken) + Entry(c)));
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a"});
}

TEST_F(ProfileFileTest, AddFailsOnAStoreWithoutAValidHeader) {
  const ProfileRecord a = Profile("a");
  for (const std::string& bad : {std::string(), std::string(100, 'x'), std::string(3000, 'x')}) {
    SetStore(bad);
    EXPECT_EQ(VTR_AddProfile(128, "a", &a), 3) << bad.size();
    EXPECT_TRUE(SameBytes(StoreBytes(), bad));
  }
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ProfileFileTest, DamagedHeadersAreReadAsNothingAndNeverRewritten) {
  const ProfileRecord a = Profile("a");
  std::string wrongText = Store({a});
  wrongText[20] = 'x';
  std::string versionZero = Store({a});
  versionZero[4] = 0;
  std::string wrongMagic = Store({a});
  wrongMagic[0] = 'X';
  for (const auto& bad : {wrongText, versionZero, wrongMagic}) {
    SetStore(bad);
    ProfileRecord found;
    EXPECT_TRUE(ReadAll().empty());
    EXPECT_FALSE(VTR_ReadSingleProfile("a", &found));
    EXPECT_FALSE(VTR_WriteSingleProfile("a", &a));
    EXPECT_FALSE(VTR_DeleteProfile("a"));
    ProfileRecord list[1] = {a};
    EXPECT_FALSE(VTR_SetDefaultProfile(1, "a", list));
    EXPECT_TRUE(SameBytes(StoreBytes(), bad));
    // The full list replaces whatever is there.
    EXPECT_EQ(VTR_WriteProfileList(1, &a), 1);
    EXPECT_TRUE(SameBytes(StoreBytes(), Store({a})));
  }
}

TEST_F(ProfileFileTest, MissingStoreReadsAsNothingAndIsNotCreatedByRewrites) {
  const ProfileRecord a = Profile("a");
  ProfileRecord found;
  EXPECT_TRUE(ReadAll().empty());
  EXPECT_FALSE(VTR_ReadSingleProfile("a", &found));
  EXPECT_FALSE(VTR_WriteSingleProfile("a", &a));
  EXPECT_FALSE(VTR_DeleteProfile("a"));
  EXPECT_FALSE(StoreExists());
}

TEST_F(ProfileFileTest, ZeroLengthStoreReadsAsNothing) {
  SetStore("");
  EXPECT_TRUE(ReadAll().empty());
  const ProfileRecord a = Profile("a");
  EXPECT_EQ(VTR_WriteProfileList(1, &a), 1);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a"});
}

TEST_F(ProfileFileTest, ReadListStopsAtTheCallersMaximum) {
  SetStore(Store({Profile("a"), Profile("b"), Profile("c")}));
  ProfileRecord list[3];
  EXPECT_EQ(VTR_ReadProfileList(0, list), 0);
  EXPECT_EQ(VTR_ReadProfileList(-1, list), 0);
  EXPECT_EQ(VTR_ReadProfileList(2, nullptr), 0);
  ASSERT_EQ(VTR_ReadProfileList(2, list), 2);
  EXPECT_EQ(Names(list, 2), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ProfileFileTest, ReadSingleFindsTheFirstExactName) {
  ProfileRecord first = Profile("dup");
  first.surveyChannel = 1;
  ProfileRecord second = Profile("dup");
  second.surveyChannel = 2;
  SetStore(Store({Profile("Dup"), first, second}));
  ProfileRecord found;
  ASSERT_TRUE(VTR_ReadSingleProfile("dup", &found));
  EXPECT_TRUE(SameBytes(RecordBytes(found), RecordBytes(first)));
  EXPECT_FALSE(VTR_ReadSingleProfile("DUP", &found));
}

TEST_F(ProfileFileTest, WriteSingleReplacesEveryMatchAndRenames) {
  const ProfileRecord a = Profile("a");
  const ProfileRecord b = Profile("b");
  SetStore(Store({a, b, a}));
  const std::string before = StoreBytes();
  // An unknown name rewrites the store with the same entries.
  EXPECT_TRUE(VTR_WriteSingleProfile("zz", &a));
  EXPECT_TRUE(SameBytes(StoreBytes(), before));

  ProfileRecord renamed = Profile("renamed");
  renamed.encryption = 4;
  ASSERT_TRUE(VTR_WriteSingleProfile("a", &renamed));
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({renamed, b, renamed})));
}

TEST_F(ProfileFileTest, DeleteRemovesEveryEntryOfTheName) {
  const ProfileRecord a = Profile("a");
  const ProfileRecord b = Profile("b");
  SetStore(Store({a, b, a}));
  ASSERT_TRUE(VTR_DeleteProfile("a"));
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({b})));
  EXPECT_TRUE(VTR_DeleteProfile("a"));
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({b})));
}

// The store's operations share their working memory; a store that grows and shrinks between them
// must never keep bytes of an earlier one.
TEST_F(ProfileFileTest, ChangesOneAfterAnotherEachLeaveExactlyTheirStore) {
  std::vector<ProfileRecord> many;
  for (int i = 0; i < 40; ++i) many.push_back(Profile("p-" + std::to_string(i)));
  ASSERT_EQ(VTR_WriteProfileList(40, many.data()), 40);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store(many)));
  ASSERT_TRUE(VTR_DeleteProfile("p-3"));
  many.erase(many.begin() + 3);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store(many)));

  const ProfileRecord x = Profile("x");
  ASSERT_EQ(VTR_WriteProfileList(1, &x), 1);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({x})));
  const ProfileRecord y = Profile("y");
  ASSERT_EQ(VTR_AddProfile(128, "y", &y), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({x, y})));
  ProfileRecord list[2] = {x, y};
  ASSERT_TRUE(VTR_SetDefaultProfile(2, "y", list));
  ProfileRecord changed = Profile("x2");
  ASSERT_TRUE(VTR_WriteSingleProfile("x", &changed));
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({changed, Profile("y", 1)})));

  ProfileRecord read[40] = {};
  EXPECT_EQ(Names(read, VTR_ReadProfileList(40, read)), (std::vector<std::string>{"x2", "y"}));
  EXPECT_FALSE(VTR_ReadSingleProfile("p-39", read));
  ASSERT_TRUE(VTR_ReadSingleProfile("y", read));
  EXPECT_EQ(read[0].isDefault, 1u);
}

TEST_F(ProfileFileTest, RewritesRefuseAStoreWithADamagedEntry) {
  ProfileRecord broken = Profile("broken");
  broken.networkType = 5;
  const std::string old = Store({Profile("a"), broken, Profile("b")});
  SetStore(old);
  const ProfileRecord a = Profile("a");
  EXPECT_FALSE(VTR_WriteSingleProfile("a", &a));
  EXPECT_FALSE(VTR_DeleteProfile("b"));
  EXPECT_TRUE(SameBytes(StoreBytes(), old));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ProfileFileTest, SetDefaultLeavesExactlyOneDefaultInTheFile) {
  const ProfileRecord a = Profile("a", 1);
  const ProfileRecord b = Profile("b");
  SetStore(Store({a, b, Profile("c", 1)}));
  ProfileRecord list[2] = {a, b};
  ASSERT_TRUE(VTR_SetDefaultProfile(2, "b", list));
  EXPECT_TRUE(SameBytes(StoreBytes(), Store({Profile("a"), Profile("b", 1), Profile("c")})));
  EXPECT_EQ(list[0].isDefault, 0u);
  EXPECT_EQ(list[1].isDefault, 1u);
}

TEST_F(ProfileFileTest, SetDefaultClearsOnlyTheLastFlagMetBeforeTheMatch) {
  SetStore(Store({Profile("a"), Profile("b"), Profile("c"), Profile("d")}));
  ProfileRecord list[4] = {Profile("a", 1), Profile("b", 7), Profile("c"), Profile("d", 1)};
  ASSERT_TRUE(VTR_SetDefaultProfile(4, "c", list));
  EXPECT_EQ(list[0].isDefault, 1u);  // not the last flag before the match
  EXPECT_EQ(list[1].isDefault, 0u);
  EXPECT_EQ(list[2].isDefault, 1u);
  EXPECT_EQ(list[3].isDefault, 1u);  // behind the match
  EXPECT_TRUE(
      SameBytes(StoreBytes(), Store({Profile("a"), Profile("b"), Profile("c", 1), Profile("d")})));
}

TEST_F(ProfileFileTest, SetDefaultWithoutAMatchTouchesNothing) {
  const std::string old = Store({Profile("a", 1)});
  SetStore(old);
  ProfileRecord list[1] = {Profile("a", 1)};
  EXPECT_FALSE(VTR_SetDefaultProfile(1, "zz", list));
  EXPECT_FALSE(VTR_SetDefaultProfile(1, "", list));
  EXPECT_FALSE(VTR_SetDefaultProfile(0, "a", list));
  EXPECT_FALSE(VTR_SetDefaultProfile(1, nullptr, list));
  EXPECT_EQ(list[0].isDefault, 1u);
  EXPECT_TRUE(SameBytes(StoreBytes(), old));
}

TEST_F(ProfileFileTest, WriteListOfNothingKeepsTheStore) {
  const std::string old = Store({Profile("a")});
  SetStore(old);
  const ProfileRecord a = Profile("a");
  EXPECT_EQ(VTR_WriteProfileList(0, &a), 0);
  EXPECT_EQ(VTR_WriteProfileList(2, nullptr), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), old));
  const std::vector<ProfileRecord> list = {Profile("x"), Profile("y")};
  EXPECT_EQ(VTR_WriteProfileList(2, list.data()), 2);
  EXPECT_TRUE(SameBytes(StoreBytes(), Store(list)));
}

TEST_F(ProfileFileTest, HeaderlessListOf2184ByteRecordsIsUpgradedOnFirstRead) {
  ProfileRecord first = Profile("first");
  ProfileRecord second = Profile("second");
  // What an old writer left: the first 2184 bytes of each record, with its own sequence bytes,
  // and no header.
  std::memset(reinterpret_cast<uint8_t*>(&first) + 2184, 0xEE, sizeof(first) - 2184);
  first.sequence = 77;
  second.sequence = 88;
  const std::string old = RecordBytes(first).substr(0, 2184) + RecordBytes(second).substr(0, 2184);
  SetStore(old);

  ASSERT_EQ(StoredNames(), (std::vector<std::string>{"first", "second"}));
  const std::string bytes = StoreBytes();
  ASSERT_EQ(bytes.size(), 128u + 2 * 2244u);
  EXPECT_TRUE(SameBytes(bytes.substr(0, 128), Header(2)));
  ProfileRecord defaults;
  std::memset(&defaults, 0, sizeof(defaults));
  VTR_InitialProfile(&defaults);
  for (int i = 0; i < 2; ++i) {
    const std::string entry = bytes.substr(128 + i * 2244, 2244);
    EXPECT_TRUE(SameBytes(entry.substr(0, 8), Le32(2244) + Le32(0)));
    const std::string record = entry.substr(32);
    EXPECT_EQ(Le32At(record, 2180), static_cast<uint32_t>(i));
    EXPECT_TRUE(SameBytes(record.substr(0, 2180), old.substr(i * 2184, 2180)));
    EXPECT_TRUE(SameBytes(record.substr(2184), RecordBytes(defaults).substr(2184)));
  }
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ProfileFileTest, HeaderlessListOf2188ByteRecordsKeepsItsSequences) {
  ProfileRecord only = Profile("only");
  only.sequence = 9;
  only.reserved2184[0] = 0x42;
  only.useStaticIp = 1;  // beyond 2188: must come back as the default
  SetStore(RecordBytes(only).substr(0, 2188));
  const auto list = ReadAll();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].sequence, 9u);
  EXPECT_EQ(list[0].reserved2184[0], 0x42);
  EXPECT_EQ(list[0].useStaticIp, 0);
  EXPECT_EQ(list[0].vendorOptionFlag, 1);
  EXPECT_EQ(StoreBytes().substr(0, 128), Header(1));
}

TEST_F(ProfileFileTest, TrustFlagDecidesWhetherABrokenEntryIsRead) {
  ProfileRecord broken = Profile("broken");
  broken.phyMode = 3;
  SetStore(Header(3) + Entry(Profile("a")) + Entry(broken) + Entry(Profile("c")));
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a"});
  SetStore(Header(3) + Entry(Profile("a")) + Entry(broken, 2244, 1) + Entry(Profile("c")));
  const auto list = ReadAll();
  ASSERT_EQ(Names(list.data(), 3), (std::vector<std::string>{"a", "broken", "c"}));
  EXPECT_EQ(list[1].phyMode, 3u);
}

TEST_F(ProfileFileTest, RewritesKeepATrustedEntryReadable) {
  ProfileRecord broken = Profile("broken");
  broken.isDefault = 4;
  SetStore(Header(2) + Entry(broken, 2244, 1) + Entry(Profile("b")));
  ProfileRecord list[1] = {Profile("b")};
  ASSERT_TRUE(VTR_SetDefaultProfile(1, "b", list));
  ASSERT_TRUE(VTR_WriteSingleProfile("b", &list[0]));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"broken", "b"}));
}

TEST_F(ProfileFileTest, LongerAndShorterEntriesOfOtherWriters) {
  const ProfileRecord a = Profile("a");
  const ProfileRecord b = Profile("b");
  // 756 bytes of a later format behind the first 2244 are read past.
  SetStore(Header(2) + Entry(a, 3000) + Entry(b));
  auto list = ReadAll();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_TRUE(SameBytes(RecordBytes(list[0]), RecordBytes(a)));
  EXPECT_TRUE(SameBytes(RecordBytes(list[1]), RecordBytes(b)));

  // A trusted short entry reads its missing bytes as zero.
  SetStore(Header(1) + Entry(a, 1000, 1));
  list = ReadAll();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(RecordBytes(list[0]).substr(0, 968), RecordBytes(a).substr(0, 968));
  EXPECT_EQ(RecordBytes(list[0]).substr(968), std::string(2212 - 968, '\0'));

  // A length below 4, an entry cut short, and a longer entry at the end of the file.
  SetStore(Header(2) + Entry(a) + Le32(3));
  EXPECT_EQ(ReadAll().size(), 1u);
  SetStore(Header(2) + Entry(a) + Entry(b).substr(0, 2000));
  EXPECT_EQ(ReadAll().size(), 1u);
  SetStore(Header(2) + Entry(a) + Entry(b, 5000).substr(0, 2500));
  EXPECT_EQ(ReadAll().size(), 2u);
}

TEST_F(ProfileFileTest, WritersRefuseRecordsTheReaderWouldRefuse) {
  const ProfileRecord a = Profile("a");
  SetStore(Store({a}));
  const std::string old = StoreBytes();
  ProfileRecord broken = Profile("broken");
  broken.phyMode = 3;
  EXPECT_EQ(VTR_AddProfile(128, "broken", &broken), 3);
  EXPECT_FALSE(VTR_WriteSingleProfile("a", &broken));
  const ProfileRecord list[2] = {a, broken};
  EXPECT_EQ(VTR_WriteProfileList(2, list), 0);
  EXPECT_TRUE(SameBytes(StoreBytes(), old));
}

TEST_F(ProfileFileTest, ProfilesOf5GHzNetworksStayReadable) {
  ProfileRecord five = Profile("five");
  five.surveyChannel = 149;
  five.phyMode = 6;
  ProfileRecord behind = Profile("behind");
  behind.surveyChannel = 36;
  ASSERT_EQ(VTR_AddProfile(128, "five", &five), 0);
  ASSERT_EQ(VTR_AddProfile(128, "behind", &behind), 0);
  const auto list = ReadAll();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].surveyChannel, 149u);
  EXPECT_EQ(list[1].surveyChannel, 36u);
  // Also as another writer left them.
  five.surveyChannel = 0xFFFFFFFF;
  SetStore(Store({five, behind}));
  EXPECT_EQ(ReadAll().size(), 2u);
}

TEST_F(ProfileFileTest, StoreAndTemporaryFilesAreTheOwnersOnly) {
  ::umask(022);
  const ProfileRecord a = Profile("a");
  ASSERT_EQ(VTR_AddProfile(128, "a", &a), 0);
  EXPECT_EQ(Permissions(StorePath()), 0600u);
  EXPECT_EQ(Permissions(dir_ / "Profile.dll.lock"), 0600u);
  // A store someone left readable to all becomes the owner's again at the next change.
  std::filesystem::permissions(StorePath(), std::filesystem::perms(0644));
  ASSERT_TRUE(VTR_DeleteProfile("zz"));
  EXPECT_EQ(Permissions(StorePath()), 0600u);
}

}  // namespace
