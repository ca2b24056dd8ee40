// The exported registry functions against the machine's registry.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/services.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

constexpr uint32_t kHklm = VTR_HKEY_LOCAL_MACHINE;
constexpr const char* kKey = "SOFTWARE\\Radiodesk\\Test";

class RegistryExportsTest : public testing_support::MachineTest {
 protected:
  void SetUp() override { dir_ = UseXpMachine(); }

  // The stored type and bytes of a value, read straight from the machine.
  std::pair<uint32_t, std::string> Stored(const char* key, const char* name) {
    auto& registry = platform::Current().Registry();
    platform::RegKey opened;
    EXPECT_EQ(registry.OpenKey(kHklm, key, platform::kKeyRead, opened), 0);
    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(opened, name, &type, nullptr, &size), 0);
    std::string bytes(size, '\0');
    EXPECT_EQ(
        registry.QueryValue(opened, name, &type, reinterpret_cast<uint8_t*>(bytes.data()), &size),
        0);
    return {type, bytes};
  }

  std::filesystem::path dir_;
};

TEST_F(RegistryExportsTest, StringIsStoredWithoutItsTerminator) {
  ASSERT_TRUE(VTR_SetRegistryString(kKey, "Name", "abc", kHklm, 0));
  EXPECT_EQ(Stored(kKey, "Name"), std::make_pair(1u, std::string("abc")));

  char buffer[16];
  std::memset(buffer, 'x', sizeof(buffer));
  ASSERT_TRUE(VTR_GetRegistryString(kKey, "Name", buffer, sizeof(buffer), "def", kHklm, 0));
  EXPECT_STREQ(buffer, "abc");
}

TEST_F(RegistryExportsTest, StringReaderDefaults) {
  char buffer[8] = "keep";
  // A key that cannot be opened leaves the buffer alone.
  EXPECT_FALSE(VTR_GetRegistryString("SOFTWARE\\Missing", "Name", buffer, sizeof(buffer), "default",
                                     kHklm, 0));
  EXPECT_STREQ(buffer, "keep");
  // A value that cannot be read gives the default, cut to the buffer.
  ASSERT_TRUE(VTR_SetRegistryDWORD(kKey, "Other", 1, kHklm, 0));
  EXPECT_FALSE(
      VTR_GetRegistryString(kKey, "Name", buffer, sizeof(buffer), "a longer default", kHklm, 0));
  EXPECT_STREQ(buffer, "a longe");
  // A text that leaves no room for its terminator does not fit either.
  ASSERT_TRUE(VTR_SetRegistryString(kKey, "Name", "12345678", kHklm, 0));
  EXPECT_FALSE(VTR_GetRegistryString(kKey, "Name", buffer, sizeof(buffer), "d", kHklm, 0));
  EXPECT_STREQ(buffer, "d");
}

TEST_F(RegistryExportsTest, DwordReaderDefaults) {
  uint32_t result = 77;
  EXPECT_FALSE(VTR_GetRegistryDWORD("SOFTWARE\\Missing", "N", &result, 5, kHklm, 0));
  EXPECT_EQ(result, 77u);
  ASSERT_TRUE(VTR_SetRegistryDWORD(kKey, "Present", 9, kHklm, 1));
  EXPECT_FALSE(VTR_GetRegistryDWORD(kKey, "N", &result, 5, kHklm, 0));
  EXPECT_EQ(result, 5u);
  EXPECT_TRUE(VTR_GetRegistryDWORD(kKey, "Present", &result, 5, kHklm, 1));
  EXPECT_EQ(result, 9u);
}

TEST_F(RegistryExportsTest, NarrowReadersTakeTheLowBitsAndNarrowWritersWidenToDword) {
  ASSERT_TRUE(VTR_SetRegistryDWORD(kKey, "Wide", 65537, kHklm, 0));
  uint16_t word = 0;
  EXPECT_TRUE(VTR_GetRegistryWORD(kKey, "Wide", &word, 3, kHklm, 0));
  EXPECT_EQ(word, 1);
  uint8_t byte = 0;
  EXPECT_TRUE(VTR_GetRegistryBYTE(kKey, "Wide", &byte, 3, kHklm, 0));
  EXPECT_EQ(byte, 1);
  // Unlike the DWORD reader, the narrow readers give the default when the key is missing too.
  word = 9;
  EXPECT_FALSE(VTR_GetRegistryWORD("SOFTWARE\\Missing", "Wide", &word, 3, kHklm, 0));
  EXPECT_EQ(word, 3);

  ASSERT_TRUE(VTR_SetRegistryWORD(kKey, "Word", 0xBEEF, kHklm, 0));
  EXPECT_EQ(Stored(kKey, "Word"), std::make_pair(4u, std::string("\xEF\xBE\0\0", 4)));
  ASSERT_TRUE(VTR_SetRegistryBYTE(kKey, "Byte", 0xAB, kHklm, 0));
  EXPECT_EQ(Stored(kKey, "Byte"), std::make_pair(4u, std::string("\xAB\0\0\0", 4)));
}

TEST_F(RegistryExportsTest, BinaryAndMultiStringKeepTheirBytes) {
  const uint8_t data[] = {0, 1, 2, 0xFF};
  ASSERT_TRUE(VTR_SetRegistryBinary(kKey, "Blob", data, sizeof(data), kHklm));
  EXPECT_EQ(Stored(kKey, "Blob"), std::make_pair(3u, std::string("\0\1\2\xFF", 4)));
  uint8_t read[4] = {};
  EXPECT_TRUE(VTR_GetRegistryBinary(kKey, "Blob", read, sizeof(read), kHklm));
  EXPECT_EQ(std::memcmp(read, data, sizeof(data)), 0);
  uint8_t small[3] = {};
  EXPECT_FALSE(VTR_GetRegistryBinary(kKey, "Blob", small, sizeof(small), kHklm));

  const char multi[] = "one\0two\0";
  ASSERT_TRUE(VTR_SetRegistryMultiStr(kKey, "Multi", multi, sizeof(multi), kHklm));
  EXPECT_EQ(Stored(kKey, "Multi"), std::make_pair(7u, std::string(multi, sizeof(multi))));
  char buffer[32];
  EXPECT_TRUE(VTR_GetRegistryMultiStr(kKey, "Multi", buffer, sizeof(buffer), "x\0", kHklm));
  EXPECT_EQ(std::string(buffer, sizeof(multi)), std::string(multi, sizeof(multi)));
}

TEST_F(RegistryExportsTest, MultiStringDefaultIsCopiedOnlyAsFarAsItReaches) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_FALSE(VTR_GetRegistryMultiStr(kKey, "Missing", buffer, sizeof(buffer), "ab\0", kHklm));
  EXPECT_EQ(std::string(buffer, 4), std::string("ab\0\0", 4));
  EXPECT_EQ(buffer[15], '\0');
}

TEST_F(RegistryExportsTest, EnumeratorWalksSubkeysUntilItGivesTheDefault) {
  ASSERT_TRUE(VTR_SetRegistryDWORD("SOFTWARE\\Radiodesk\\Test\\Bravo", "v", 1, kHklm, 0));
  ASSERT_TRUE(VTR_SetRegistryDWORD("SOFTWARE\\Radiodesk\\Test\\alpha", "v", 1, kHklm, 0));
  char name[32];
  ASSERT_TRUE(VTR_GetRegEnumerator(kKey, 0, name, sizeof(name), "none", kHklm, 0));
  EXPECT_STREQ(name, "alpha");
  ASSERT_TRUE(VTR_GetRegEnumerator(kKey, 1, name, sizeof(name), "none", kHklm, 0));
  EXPECT_STREQ(name, "Bravo");
  EXPECT_FALSE(VTR_GetRegEnumerator(kKey, 2, name, sizeof(name), "none", kHklm, 0));
  EXPECT_STREQ(name, "none");
  std::strcpy(name, "keep");
  EXPECT_FALSE(VTR_GetRegEnumerator("SOFTWARE\\Missing", 0, name, sizeof(name), "none", kHklm, 0));
  EXPECT_STREQ(name, "keep");
}

TEST_F(RegistryExportsTest, DeletingAKeyWithSubkeysFails) {
  ASSERT_TRUE(VTR_SetRegistryDWORD("SOFTWARE\\Radiodesk\\Test\\Child", "v", 1, kHklm, 0));
  EXPECT_FALSE(VTR_DeleteRegistry(kKey, kHklm));
  EXPECT_TRUE(VTR_DeleteRegistry("SOFTWARE\\Radiodesk\\Test\\Child", kHklm));
  EXPECT_TRUE(VTR_DeleteRegistry(kKey, kHklm));
  uint32_t value = 0;
  EXPECT_FALSE(VTR_GetRegistryDWORD(kKey, "v", &value, 0, kHklm, 0));
}

TEST_F(RegistryExportsTest, DeletingAValue) {
  ASSERT_TRUE(VTR_SetRegistryDWORD(kKey, "Gone", 1, kHklm, 0));
  EXPECT_TRUE(VTR_DeleteRegistryValue(kKey, "gone", kHklm, 0));
  EXPECT_FALSE(VTR_DeleteRegistryValue(kKey, "Gone", kHklm, 0));
  EXPECT_FALSE(VTR_DeleteRegistryValue("SOFTWARE\\Missing", "Gone", kHklm, 0));
}

TEST_F(RegistryExportsTest, RootsAreKeptApartAndUnknownRootsFail) {
  ASSERT_TRUE(VTR_SetRegistryDWORD(kKey, "Where", 1, VTR_HKEY_CURRENT_USER, 0));
  uint32_t value = 0;
  EXPECT_FALSE(VTR_GetRegistryDWORD(kKey, "Where", &value, 0, kHklm, 0));
  EXPECT_TRUE(VTR_GetRegistryDWORD(kKey, "Where", &value, 0, VTR_HKEY_CURRENT_USER, 0));
  EXPECT_FALSE(VTR_SetRegistryDWORD(kKey, "Where", 1, 0x12345678, 0));
}

TEST_F(RegistryExportsTest, ChangesReachTheHiveFile) {
  ASSERT_TRUE(VTR_SetRegistryString(kKey, "Visible", "yes", kHklm, 0));
  std::ifstream hive(dir_ / "registry.reg");
  std::stringstream text;
  text << hive.rdbuf();
  EXPECT_NE(text.str().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Radiodesk\\Test]"), std::string::npos);
}

TEST_F(RegistryExportsTest, ClassKeyLookupsForInstallers) {
  uint32_t index = 99;
  char guid[64] = "unchanged";
  VTR_GetIndexAndGUIDByVIDPID("PCI\\VEN_1814&DEV_0701&SUBSYS_27901814", &index, guid, sizeof(guid));
  EXPECT_EQ(index, 7u);
  EXPECT_STREQ(guid, "{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}");

  index = 99;
  std::strcpy(guid, "unchanged");
  VTR_GetIndexAndGUIDByVIDPID("PCI\\VEN_1234&DEV_5678", &index, guid, sizeof(guid));
  EXPECT_EQ(index, 99u);
  EXPECT_STREQ(guid, "unchanged");

  VTR_GetIndexByGUID("{6e3d1a2b-0f4c-4b6e-9c1d-2a7b8c9d0e1f}", &index);
  EXPECT_EQ(index, 1u);
  index = 99;
  VTR_GetIndexByGUID("{00000000-0000-0000-0000-000000000000}", &index);
  EXPECT_EQ(index, 99u);
}

TEST_F(RegistryExportsTest, ClassInstanceWithoutComponentIdMatchesNothing) {
  // An instance key without ComponentId would otherwise match every hardware id.
  ASSERT_TRUE(VTR_SetRegistryString(
      "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000",
      "NetCfgInstanceId", "{11111111-2222-3333-4444-555555555555}", kHklm, 0));
  uint32_t index = 99;
  char guid[64] = "";
  VTR_GetIndexAndGUIDByVIDPID("PCI\\VEN_8086&DEV_1050", &index, guid, sizeof(guid));
  EXPECT_EQ(index, 1u);
}

}  // namespace
