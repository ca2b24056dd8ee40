// The binding against a library with only a few entry points, against no library at all, and
// against the library build in the program folder.
#include <dlfcn.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "app/core/vtr_library.h"

namespace {

using core::CVtrLibrary;
using core::VtrEntry;

// The look-up order, written out independently of the binding's own table.
constexpr std::array<std::string_view, 60> kExpectedOrder = {
    "VTR_Initialize",
    "VTR_UnInitialize",
    "VTR_IsCardConnect",
    "VTR_SetSuspendMode",
    "VTR_SetWakeUpMode",
    "VTR_GetRadioMode",
    "VTR_SetRadioMode",
    "VTR_SetCountryDomain",
    "VTR_SetRegionalDomain",
    "VTR_GetAdapterCapability",
    "VTR_SiteSurveyEx",
    "VTR_ConnectToAP",
    "VTR_DisConnectToAP",
    "VTR_StringToHex",
    "VTR_HexToString",
    "VTR_Passphrase64",
    "VTR_Passphrase128",
    "VTR_Passphrase152",
    "VTR_ProfileSetting",
    "VTR_InitialProfile",
    "VTR_ReadSingleProfile",
    "VTR_ReadProfileList",
    "VTR_WriteSingleProfile",
    "VTR_WriteProfileList",
    "VTR_SetDefaultProfile",
    "VTR_AddProfile",
    "VTR_DeleteProfile",
    "VTR_FindProfile",
    "VTR_FindDefaultProfile",
    "VTR_ImportProfile",
    "VTR_ExportProfile",
    "VTR_APLinkInformation",
    "VTR_APInternetInformation",
    "VTR_WPSInitialize",
    "VTR_WPSUninitialize",
    "VTR_WPSStartEngine",
    "VTR_WPSStopEngine",
    "VTR_WPSGetProfile",
    "VTR_WPSGeneratePin",
    "VTR_DriverParameter",
    "VTR_IsZeroConfigON",
    "VTR_EnableZeroConfig",
    "VTR_IsZeroConfigServiceON",
    "VTR_EnableZeroConfigService",
    "VTR_SetZeroConfigControlMode",
    "VTR_GetRegistryString",
    "VTR_SetRegistryString",
    "VTR_GetRegistryMultiStr",
    "VTR_SetRegistryMultiStr",
    "VTR_GetRegistryDWORD",
    "VTR_SetRegistryDWORD",
    "VTR_GetRegistryWORD",
    "VTR_SetRegistryWORD",
    "VTR_GetRegistryBYTE",
    "VTR_SetRegistryBYTE",
    "VTR_GetRegistryBinary",
    "VTR_SetRegistryBinary",
    "VTR_GetRegEnumerator",
    "VTR_DeleteRegistry",
    "VTR_DeleteRegistryValue",
};

// What tests/binding/partial_vtrlib.c exports.
const std::set<VtrEntry> kPartialEntries = {
    VtrEntry::Initialize,     VtrEntry::IsCardConnect,    VtrEntry::GetRadioMode,
    VtrEntry::Passphrase128,  VtrEntry::HexToString,      VtrEntry::FindProfile,
    VtrEntry::WPSGeneratePin, VtrEntry::DriverParameter,  VtrEntry::SetRegistryMultiStr,
    VtrEntry::DeleteRegistry, VtrEntry::GetRegistryDWORD,
};

VtrEntry EntryAt(std::size_t i) {
  return static_cast<VtrEntry>(i);
}

bool AllZero(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// Calls every wrapper of a binding whose entry points are all missing and expects each one's
// missing value, with every output left as the caller set it.
void ExpectEveryWrapperMissing(const CVtrLibrary& lib) {
  EXPECT_EQ(lib.Initialize(0), -1);
  EXPECT_EQ(lib.UnInitialize(), 0);
  EXPECT_EQ(lib.IsCardConnect(), 0);
  EXPECT_EQ(lib.SetSuspendMode(), 0);
  EXPECT_EQ(lib.SetWakeUpMode(), 0);
  uint32_t mode = 77;
  EXPECT_EQ(lib.GetRadioMode(&mode), 0);
  EXPECT_EQ(mode, 77u);
  EXPECT_EQ(lib.SetRadioMode(1), 0);
  EXPECT_EQ(lib.SetCountryDomain(1), 0);
  EXPECT_EQ(lib.SetRegionalDomain(1), 0);
  VtrCapability capability{};
  EXPECT_EQ(lib.GetAdapterCapability(&capability), 0);
  EXPECT_TRUE(AllZero(&capability, sizeof capability));
  std::array<VtrSurveyEntry, 2> survey{};
  EXPECT_EQ(lib.SiteSurveyEx(0, 5, 1, 1, survey.data(), 0), 0);
  ProfileRecord profile{};
  EXPECT_EQ(lib.ConnectToAP(&profile, 2), 0);
  EXPECT_EQ(lib.DisConnectToAP(), 0);

  uint8_t bytes[8] = {};
  char text[17] = {};
  EXPECT_EQ(static_cast<const void*>(lib.StringToHex("0102", 4, bytes, 2, 0)),
            static_cast<const void*>(CVtrLibrary::EmptyText()));
  EXPECT_EQ(lib.HexToString(bytes, 2, text, 4, 0), CVtrLibrary::EmptyText());
  EXPECT_TRUE(AllZero(bytes, sizeof bytes));
  EXPECT_TRUE(AllZero(text, sizeof text));
  uint8_t keys[64] = {};
  lib.Passphrase64("secret", keys);
  lib.Passphrase128("secret", keys);
  lib.Passphrase152("secret", keys);
  EXPECT_TRUE(AllZero(keys, sizeof keys));

  EXPECT_EQ(lib.ProfileSetting(nullptr), nullptr);
  lib.InitialProfile(&profile);
  EXPECT_EQ(lib.ReadSingleProfile("home", &profile), 0);
  EXPECT_EQ(lib.ReadProfileList(1, &profile), -1);
  EXPECT_EQ(lib.WriteSingleProfile("home", &profile), 0);
  EXPECT_EQ(lib.WriteProfileList(1, &profile), -1);
  EXPECT_EQ(lib.SetDefaultProfile(1, "home", &profile), 0);
  EXPECT_EQ(lib.AddProfile(1, "home", &profile), 3);
  EXPECT_EQ(lib.DeleteProfile("home"), 0);
  EXPECT_EQ(lib.FindProfile(1, "home", &profile), -1);
  EXPECT_EQ(lib.FindDefaultProfile(1, &profile), -1);
  EXPECT_EQ(lib.ImportProfile("/nonexistent/profiles.prf", 128), 3);
  EXPECT_EQ(lib.ExportProfile("/nonexistent/profiles.prf"), 0);
  EXPECT_TRUE(AllZero(&profile, sizeof profile));

  VtrLinkInfo link{};
  VtrIpInfo ip{};
  lib.APLinkInformation(&link, 0);
  lib.APInternetInformation(&ip);
  EXPECT_TRUE(AllZero(&link, sizeof link));
  EXPECT_TRUE(AllZero(&ip, sizeof ip));

  EXPECT_EQ(lib.WPSInitialize(), -1);
  EXPECT_EQ(lib.WPSUninitialize(), -1);
  EXPECT_EQ(lib.WPSStartEngine(WpsRequest{}, nullptr, 0), -1);
  EXPECT_EQ(lib.WPSStopEngine(), -1);
  EXPECT_EQ(lib.WPSGetProfile(&profile), -1);
  char pin[9] = {};
  EXPECT_EQ(lib.WPSGeneratePin(pin), -1);
  EXPECT_TRUE(AllZero(pin, sizeof pin));

  VtrAdapterInfo info{};
  lib.DriverParameter(&info);
  EXPECT_TRUE(AllZero(&info, sizeof info));

  EXPECT_EQ(lib.IsZeroConfigON(), 0);
  EXPECT_EQ(lib.EnableZeroConfig(1), 0);
  EXPECT_EQ(lib.IsZeroConfigServiceON(), 0);
  EXPECT_EQ(lib.EnableZeroConfigService(1), 0);
  EXPECT_EQ(lib.SetZeroConfigControlMode(1), 0);

  const uint32_t hklm = VTR_HKEY_LOCAL_MACHINE;
  char value[32] = {};
  EXPECT_EQ(lib.GetRegistryString("Software\\A", "n", value, sizeof value, "dflt", hklm, 0), 0);
  EXPECT_TRUE(AllZero(value, sizeof value));
  EXPECT_EQ(lib.SetRegistryString("Software\\A", "n", "v", hklm, 0), 0);
  EXPECT_EQ(lib.SetRegistryMultiStr("Software\\A", "n", "a\0b\0", 5, hklm, 0), 0);
  uint32_t number = 9;
  EXPECT_EQ(lib.GetRegistryDWORD("Software\\A", "n", &number, 1, hklm, 0), 0);
  EXPECT_EQ(number, 9u);
  EXPECT_EQ(lib.SetRegistryDWORD("Software\\A", "n", 1, hklm, 0), 0);
  EXPECT_EQ(lib.SetRegistryWORD("Software\\A", "n", 1, hklm, 0), 0);
  EXPECT_EQ(lib.SetRegistryBYTE("Software\\A", "n", 1, hklm, 0), 0);
  EXPECT_EQ(lib.SetRegistryBinary("Software\\A", "n", bytes, 2, hklm, 0), 0);
  EXPECT_EQ(lib.GetRegEnumerator("Software", 0, value, sizeof value, "dflt", hklm, 0), 0);
  EXPECT_TRUE(AllZero(value, sizeof value));
  EXPECT_EQ(lib.DeleteRegistry("Software\\A", hklm, 0), 0);
  EXPECT_EQ(lib.DeleteRegistryValue("Software\\A", "n", hklm, 0), 0);
}

TEST(BindingTable, SixtyNamesInLookUpOrder) {
  ASSERT_EQ(core::kVtrEntryCount, kExpectedOrder.size());
  for (std::size_t i = 0; i < kExpectedOrder.size(); ++i) {
    EXPECT_EQ(std::string_view(core::kVtrEntryNames[i]), kExpectedOrder[i]) << "entry " << i;
  }
}

class BindingPartialLibrary : public testing::Test {
 protected:
  static std::string LastCall() {
    // The test library is already mapped by the binding; this only finds it again.
    void* module = dlopen(RADIODESK_PARTIAL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) return "(partial library not mapped)";
    auto fn = reinterpret_cast<const char* (*)()>(dlsym(module, "PartialVtrLastCall"));
    std::string text = fn != nullptr ? fn() : "(no PartialVtrLastCall)";
    dlclose(module);
    return text;
  }

  CVtrLibrary lib_{RADIODESK_PARTIAL_LIBRARY};
};

TEST_F(BindingPartialLibrary, FindsExactlyTheEntriesTheLibraryExports) {
  ASSERT_TRUE(lib_.IsLoaded()) << lib_.LoadError();
  for (std::size_t i = 0; i < core::kVtrEntryCount; ++i) {
    EXPECT_EQ(lib_.HasEntry(EntryAt(i)), kPartialEntries.count(EntryAt(i)) == 1)
        << core::kVtrEntryNames[i];
  }
}

TEST_F(BindingPartialLibrary, PresentEntriesReturnWhatTheExportReturns) {
  ASSERT_TRUE(lib_.IsLoaded()) << lib_.LoadError();
  EXPECT_EQ(lib_.Initialize(0), 7);
  EXPECT_EQ(lib_.IsCardConnect(), 1);
  uint32_t mode = 0;
  EXPECT_EQ(lib_.GetRadioMode(&mode), 1);
  EXPECT_EQ(mode, 1u);
  // Count and name reach the export in their places: 3 * 100 + strlen("home").
  EXPECT_EQ(lib_.FindProfile(3, "home", nullptr), 304);

  const uint8_t bytes[] = {0xAB, 0xCD};
  char text[8] = {};
  EXPECT_EQ(lib_.HexToString(bytes, 2, text, 5, 1), text);
  EXPECT_STREQ(text, "AB21");

  char pin[9] = {};
  EXPECT_EQ(lib_.WPSGeneratePin(pin), 0);
  EXPECT_STREQ(pin, "12345670");

  VtrAdapterInfo info{};
  lib_.DriverParameter(&info);
  EXPECT_STREQ(info.description, "Partial Adapter");
  EXPECT_EQ(info.driverDate.year, 2008);

  uint8_t key[16] = {};
  lib_.Passphrase128("abc", key);
  EXPECT_EQ(key[0], 3);
  EXPECT_EQ(key[15], 0xA5);
}

TEST_F(BindingPartialLibrary, MissingEntriesGiveTheirMissingValues) {
  ASSERT_TRUE(lib_.IsLoaded()) << lib_.LoadError();
  ProfileRecord profile{};
  EXPECT_EQ(lib_.AddProfile(128, "home", &profile), 3);
  EXPECT_EQ(lib_.ImportProfile("/nonexistent/profiles.prf", 128), 3);
  EXPECT_EQ(lib_.ReadProfileList(128, &profile), -1);
  EXPECT_EQ(lib_.WriteProfileList(1, &profile), -1);
  EXPECT_EQ(lib_.FindDefaultProfile(1, &profile), -1);
  EXPECT_EQ(lib_.SiteSurveyEx(0, 5, 1, 1, nullptr, 0), 0);
  EXPECT_EQ(lib_.WPSInitialize(), -1);
  EXPECT_EQ(lib_.UnInitialize(), 0);
  EXPECT_EQ(lib_.ConnectToAP(&profile, 2), 0);
  EXPECT_EQ(lib_.IsZeroConfigON(), 0);
  EXPECT_EQ(lib_.ProfileSetting(nullptr), nullptr);

  uint8_t bytes[4] = {};
  const uint8_t* hex = lib_.StringToHex("0102", 4, bytes, 2, 0);
  EXPECT_EQ(static_cast<const void*>(hex), static_cast<const void*>(CVtrLibrary::EmptyText()));
  EXPECT_TRUE(AllZero(CVtrLibrary::EmptyText(), 16));
  EXPECT_TRUE(AllZero(bytes, sizeof bytes));
}

TEST_F(BindingPartialLibrary, Passphrase152NeverFallsBackToTheSmallerKeys) {
  ASSERT_TRUE(lib_.IsLoaded()) << lib_.LoadError();
  ASSERT_TRUE(lib_.HasEntry(VtrEntry::Passphrase128));
  EXPECT_FALSE(lib_.HasEntry(VtrEntry::Passphrase152));
  uint8_t key[19] = {};
  lib_.Passphrase152("abc", key);
  EXPECT_TRUE(AllZero(key, sizeof key));
}

TEST_F(BindingPartialLibrary, RegistryWrappersPassTheArgumentsTheExportDeclares) {
  ASSERT_TRUE(lib_.IsLoaded()) << lib_.LoadError();
  // The view flag is taken but not handed to exports that have none.
  EXPECT_EQ(
      lib_.SetRegistryMultiStr("Software\\Vantrel", "List", "ab", 2, VTR_HKEY_CURRENT_USER, 1), 1);
  EXPECT_EQ(LastCall(), "SetRegistryMultiStr Software\\Vantrel|List|ab|2|80000001");
  EXPECT_EQ(lib_.DeleteRegistry("Software\\Vantrel", VTR_HKEY_LOCAL_MACHINE, 1), 1);
  EXPECT_EQ(LastCall(), "DeleteRegistry Software\\Vantrel|80000002");
  // Exports with a view flag receive it.
  uint32_t value = 0;
  EXPECT_EQ(lib_.GetRegistryDWORD("Software\\Vantrel", "Mode", &value, 4, VTR_HKEY_USERS, 1), 0);
  EXPECT_EQ(value, 0xC0FFEEu);
  EXPECT_EQ(LastCall(), "GetRegistryDWORD Software\\Vantrel|Mode|4|80000003|1");
}

TEST(BindingMissingLibrary, ExplicitFileIsTheOnlyOneTried) {
  // libVTRLib.so is mapped in this process already; a binding told to use another file must
  // not pick it up through the standard search.
  const std::filesystem::path missing =
      std::filesystem::path(RADIODESK_PROGRAM_DIR) / "no-such-dir" / core::kVtrLibraryFileName;
  CVtrLibrary lib(missing);
  EXPECT_FALSE(lib.IsLoaded());
  EXPECT_FALSE(lib.LoadError().empty());
  for (std::size_t i = 0; i < core::kVtrEntryCount; ++i) {
    EXPECT_FALSE(lib.HasEntry(EntryAt(i))) << core::kVtrEntryNames[i];
  }
  ExpectEveryWrapperMissing(lib);
}

TEST(BindingMissingLibrary, FileWithoutAnyEntryPointLoadsButBindsNothing) {
  // A shared object that is not an adapter library at all: it loads, and every wrapper behaves
  // as for an empty build.
  void* probe = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (probe == nullptr) GTEST_SKIP() << "libc.so.6 not mapped under that name";
  dlclose(probe);
  CVtrLibrary lib(std::filesystem::path("libc.so.6"));
  ASSERT_TRUE(lib.IsLoaded());
  ExpectEveryWrapperMissing(lib);
}

TEST(BindingProcessLibrary, LoadsTheBuildInTheProgramFolder) {
  const CVtrLibrary& lib = core::VtrLibrary();
  ASSERT_TRUE(lib.IsLoaded()) << lib.LoadError();
  ASSERT_TRUE(lib.HasEntry(VtrEntry::Initialize));
  // Ask the loader which file the bound entry point lives in.
  Dl_info where{};
  ASSERT_NE(dladdr(lib.EntryAddress(VtrEntry::Initialize), &where), 0);
  EXPECT_EQ(std::filesystem::weakly_canonical(where.dli_fname),
            std::filesystem::weakly_canonical(std::filesystem::path(RADIODESK_PROGRAM_DIR) /
                                              core::kVtrLibraryFileName));
}

TEST(BindingProcessLibrary, BindsEveryNameTheBuildExportsAndNeverPassphrase152) {
  const CVtrLibrary& lib = core::VtrLibrary();
  ASSERT_TRUE(lib.IsLoaded()) << lib.LoadError();
  // This program links the same build, so the loader's global look-up is an independent account
  // of what the build exports.
  for (std::size_t i = 0; i < core::kVtrEntryCount; ++i) {
    EXPECT_EQ(lib.EntryAddress(EntryAt(i)), dlsym(RTLD_DEFAULT, core::kVtrEntryNames[i]))
        << core::kVtrEntryNames[i];
  }
  EXPECT_FALSE(lib.HasEntry(VtrEntry::Passphrase152));
}

}  // namespace
