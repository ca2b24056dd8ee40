// The profile record's defaults and the look-ups over lists in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/lib/profile_fixture.h"
#include "vtrlib.h"

namespace {

using profile_testing::Profile;

TEST(ProfileRecordTest, InitialProfileWritesEveryDefaultAndKeepsTheRest) {
  ProfileRecord record;
  std::memset(&record, 0xAB, sizeof(record));
  VTR_InitialProfile(&record);

  EXPECT_EQ(record.networkType, 1u);
  EXPECT_EQ(record.phyMode, 4u);
  EXPECT_EQ(record.adhocWirelessMode, 8u);
  EXPECT_EQ(record.adhocChannel, 0u);
  EXPECT_EQ(record.txRate, 255u);
  EXPECT_EQ(record.fragmentThreshold, 2346u);
  EXPECT_EQ(record.rtsThreshold, 2346u);
  EXPECT_EQ(record.htChannelWidth, -1);
  EXPECT_EQ(record.htGuardInterval, -1);
  EXPECT_EQ(record.htExtensionChannel, -1);
  EXPECT_EQ(record.htAntennaSelection, -1);
  EXPECT_EQ(record.htNetwork, 1);
  EXPECT_EQ(record.htEnabled, 0);
  EXPECT_EQ(record.vendorOptionFlag, 1);
  EXPECT_EQ(record.keepDriverSettings, 1);
  EXPECT_EQ(record.isDefault, 0u);
  EXPECT_EQ(record.surveyChannel, 0u);
  EXPECT_EQ(record.sequence, 0u);
  EXPECT_EQ(record.useStaticIp, 0);
  EXPECT_EQ(record.useStaticDns, 0);
  // Texts and keys are emptied over their whole width, not just at the first byte.
  const std::vector<std::pair<const void*, size_t>> cleared = {
      {record.profileName, sizeof(record.profileName)},
      {record.ssid, sizeof(record.ssid)},
      {record.bssid, sizeof(record.bssid)},
      {record.wepPassphrase, sizeof(record.wepPassphrase)},
      {record.wepKey, sizeof(record.wepKey)},
      {record.wepKeyLength, sizeof(record.wepKeyLength)},
      {record.psk, sizeof(record.psk)},
      {record.tlsCertificateHash, sizeof(record.tlsCertificateHash)},
      {record.eapPassword, sizeof(record.eapPassword)},
      {record.ipAddress, 4},
      {record.alternateDns, 4}};
  for (const auto& [field, size] : cleared) {
    const auto* bytes = static_cast<const uint8_t*>(field);
    for (size_t i = 0; i < size; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  }
  // Reserved bytes and the two flags the defaults do not name keep what the buffer held.
  EXPECT_EQ(record.reserved557[0], 0xAB);
  EXPECT_EQ(record.reserved622[1], 0xAB);
  EXPECT_EQ(record.reserved846[0], 0xAB);
  EXPECT_EQ(record.reserved2184[3], 0xAB);
  EXPECT_EQ(record.pskIsHex, 0xAB);
  EXPECT_EQ(record.wepKeyAscii, 0xAB);
}

TEST(ProfileRecordTest, FindProfileReturnsTheLastExactMatch) {
  std::vector<ProfileRecord> list = {Profile("a"), Profile("b"), Profile("a")};
  EXPECT_EQ(VTR_FindProfile(3, "a", list.data()), 2);
  EXPECT_EQ(VTR_FindProfile(3, "b", list.data()), 1);
  EXPECT_EQ(VTR_FindProfile(2, "a", list.data()), 0);
  EXPECT_EQ(VTR_FindProfile(3, "c", list.data()), -1);
  // No case folding and no trimming.
  std::vector<ProfileRecord> upper = {Profile("ABC")};
  EXPECT_EQ(VTR_FindProfile(1, "abc", upper.data()), -1);
  EXPECT_EQ(VTR_FindProfile(1, "ABC ", upper.data()), -1);
  EXPECT_EQ(VTR_FindProfile(1, "AB", upper.data()), -1);
}

TEST(ProfileRecordTest, FindWithoutRecordsNeverTouchesTheList) {
  // A list pointer that must not be read: any access would fault.
  const auto* poison = reinterpret_cast<const ProfileRecord*>(uintptr_t{8});
  EXPECT_EQ(VTR_FindProfile(0, "a", poison), -1);
  EXPECT_EQ(VTR_FindProfile(-5, "a", poison), -1);
  EXPECT_EQ(VTR_FindDefaultProfile(0, poison), -1);
  EXPECT_EQ(VTR_FindDefaultProfile(-1, poison), -1);
}

TEST(ProfileRecordTest, FindProfileIgnoresANameFillingItsWholeField) {
  ProfileRecord unterminated = Profile("x");
  std::memset(unterminated.profileName, 'x', sizeof(unterminated.profileName));
  const std::string longName(sizeof(unterminated.profileName), 'x');
  EXPECT_EQ(VTR_FindProfile(1, longName.c_str(), &unterminated), -1);
  EXPECT_EQ(VTR_FindProfile(1, "x", &unterminated), -1);
}

TEST(ProfileRecordTest, FindDefaultTakesTheFirstRecordFlaggedExactlyOne) {
  std::vector<ProfileRecord> list = {Profile("a", 2), Profile("b", 0xFFFFFFFF), Profile("c", 1),
                                     Profile("d", 1)};
  EXPECT_EQ(VTR_FindDefaultProfile(4, list.data()), 2);
  EXPECT_EQ(VTR_FindDefaultProfile(2, list.data()), -1);
}

}  // namespace
