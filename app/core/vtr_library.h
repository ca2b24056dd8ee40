// CVtrLibrary: the utility's run-time binding of the adapter library.
//
// The programs never link the adapter library. They load "libVTRLib.so" by name, look up every
// entry point they know by name, and call it through a wrapper that gives a fixed missing value
// when the entry point is absent. Either library build can sit under that one file name, and a
// build that lacks some entry points still loads; only the functions needing them stop working.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "vtrlib.h"

namespace core {

// No library build exports this one, but the binding asks for it: a 152-bit WEP key from a
// passphrase then simply yields nothing. It would take what the 128-bit form takes.
using VtrPassphrase152Fn = decltype(&VTR_Passphrase128);

// The entry points in the order in which they are looked up.
enum class VtrEntry : std::size_t {
  Initialize,
  UnInitialize,
  IsCardConnect,
  SetSuspendMode,
  SetWakeUpMode,
  GetRadioMode,
  SetRadioMode,
  SetCountryDomain,
  SetRegionalDomain,
  GetAdapterCapability,
  SiteSurveyEx,
  ConnectToAP,
  DisConnectToAP,
  StringToHex,
  HexToString,
  Passphrase64,
  Passphrase128,
  Passphrase152,
  ProfileSetting,
  InitialProfile,
  ReadSingleProfile,
  ReadProfileList,
  WriteSingleProfile,
  WriteProfileList,
  SetDefaultProfile,
  AddProfile,
  DeleteProfile,
  FindProfile,
  FindDefaultProfile,
  ImportProfile,
  ExportProfile,
  APLinkInformation,
  APInternetInformation,
  WPSInitialize,
  WPSUninitialize,
  WPSStartEngine,
  WPSStopEngine,
  WPSGetProfile,
  WPSGeneratePin,
  DriverParameter,
  IsZeroConfigON,
  EnableZeroConfig,
  IsZeroConfigServiceON,
  EnableZeroConfigService,
  SetZeroConfigControlMode,
  GetRegistryString,
  SetRegistryString,
  GetRegistryMultiStr,
  SetRegistryMultiStr,
  GetRegistryDWORD,
  SetRegistryDWORD,
  GetRegistryWORD,
  SetRegistryWORD,
  GetRegistryBYTE,
  SetRegistryBYTE,
  GetRegistryBinary,
  SetRegistryBinary,
  GetRegEnumerator,
  DeleteRegistry,
  DeleteRegistryValue,
  Count
};

inline constexpr std::size_t kVtrEntryCount = static_cast<std::size_t>(VtrEntry::Count);

// The exported names, indexed by VtrEntry.
extern const std::array<const char*, kVtrEntryCount> kVtrEntryNames;

// The one file name every library build is installed under.
inline constexpr const char* kVtrLibraryFileName = "libVTRLib.so";

class CVtrLibrary {
 public:
  // Loads kVtrLibraryFileName from the program's own folder, else by bare name through the
  // standard search, and looks up every entry point.
  CVtrLibrary();
  // Loads exactly this file and nothing else; lets tests bind a library of their choosing.
  explicit CVtrLibrary(const std::filesystem::path& file);
  // Forgets the addresses; the library itself stays mapped until the process ends, because a
  // worker thread or a page may still be on its way out of an export.
  ~CVtrLibrary();

  CVtrLibrary(const CVtrLibrary&) = delete;
  CVtrLibrary& operator=(const CVtrLibrary&) = delete;
  CVtrLibrary(CVtrLibrary&&) = delete;
  CVtrLibrary& operator=(CVtrLibrary&&) = delete;

  bool IsLoaded() const { return module_ != nullptr; }
  // What the loader said when no file could be loaded; empty once loaded.
  const std::string& LoadError() const { return loadError_; }
  bool HasEntry(VtrEntry entry) const { return EntryAddress(entry) != nullptr; }
  // Where the entry point was found, or null; for diagnostics.
  const void* EntryAddress(VtrEntry entry) const { return Address(entry); }

  // The shared text that the text-returning wrappers give when their entry point is missing.
  static const char* EmptyText();

  // Lifecycle and adapter.
  int32_t Initialize(uintptr_t ownerWindow) const;
  VtrBool UnInitialize() const;
  VtrBool IsCardConnect() const;

  // Radio, power and regulatory settings.
  VtrBool SetSuspendMode() const;
  VtrBool SetWakeUpMode() const;
  VtrBool GetRadioMode(uint32_t* mode) const;
  VtrBool SetRadioMode(uint32_t mode) const;
  VtrBool SetCountryDomain(uint32_t countryCode) const;
  VtrBool SetRegionalDomain(uint32_t regionCode) const;
  VtrBool GetAdapterCapability(VtrCapability* capability) const;

  // Scan, connection and link.
  int32_t SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                       uint32_t scanMode, VtrSurveyEntry* entries, uint32_t signalFormat) const;
  VtrBool ConnectToAP(ProfileRecord* profile, uint32_t flags) const;
  VtrBool DisConnectToAP() const;

  // WEP keys and hexadecimal text.
  uint8_t* StringToHex(const char* text, uint32_t textLength, uint8_t* bytes, uint32_t byteCount,
                       uint32_t reverseOrder) const;
  char* HexToString(const uint8_t* bytes, uint32_t byteCount, char* text, uint32_t digitCount,
                    uint32_t reverseOrder) const;
  void Passphrase64(const char* passphrase, uint8_t* keys) const;
  void Passphrase128(const char* passphrase, uint8_t* key) const;
  void Passphrase152(const char* passphrase, uint8_t* key) const;

  // Profiles.
  const char* ProfileSetting(const ProfileStorageSetting* setting) const;
  void InitialProfile(ProfileRecord* record) const;
  VtrBool ReadSingleProfile(const char* name, ProfileRecord* record) const;
  int32_t ReadProfileList(int32_t max, ProfileRecord* list) const;
  VtrBool WriteSingleProfile(const char* name, const ProfileRecord* record) const;
  int32_t WriteProfileList(int32_t count, const ProfileRecord* list) const;
  VtrBool SetDefaultProfile(int32_t count, const char* name, ProfileRecord* list) const;
  int32_t AddProfile(int32_t max, const char* name, const ProfileRecord* record) const;
  VtrBool DeleteProfile(const char* name) const;
  int32_t FindProfile(int32_t count, const char* name, const ProfileRecord* list) const;
  int32_t FindDefaultProfile(int32_t count, const ProfileRecord* list) const;
  int32_t ImportProfile(const char* path, int32_t max) const;
  VtrBool ExportProfile(const char* path) const;

  // Link and IP information.
  void APLinkInformation(VtrLinkInfo* link, uint32_t flags) const;
  void APInternetInformation(VtrIpInfo* ip) const;

  // Wi-Fi Protected Setup.
  int32_t WPSInitialize() const;
  int32_t WPSUninitialize() const;
  int32_t WPSStartEngine(WpsRequest request, VtrWpsCallback callback, uintptr_t context) const;
  int32_t WPSStopEngine() const;
  int32_t WPSGetProfile(ProfileRecord* record) const;
  int32_t WPSGeneratePin(char* text) const;

  void DriverParameter(VtrAdapterInfo* info) const;

  // Zero-configuration service.
  VtrBool IsZeroConfigON() const;
  VtrBool EnableZeroConfig(uint32_t enable) const;
  VtrBool IsZeroConfigServiceON() const;
  VtrBool EnableZeroConfigService(uint32_t mode) const;
  VtrBool SetZeroConfigControlMode(uint32_t mode) const;

  // Registry. The callers pass a 64-bit-view flag to every writer and to DeleteRegistry alike;
  // where the export has no such flag (SetRegistryMultiStr, SetRegistryBinary, DeleteRegistry)
  // the wrapper takes it, for one calling shape across the family, and does not pass it on.
  VtrBool GetRegistryString(const char* key, const char* name, char* buffer, uint32_t bufferSize,
                            const char* defaultText, uint32_t root, uint32_t wow64) const;
  VtrBool SetRegistryString(const char* key, const char* name, const char* text, uint32_t root,
                            uint32_t wow64) const;
  VtrBool SetRegistryMultiStr(const char* key, const char* name, const char* data, uint32_t size,
                              uint32_t root, uint32_t wow64) const;
  VtrBool GetRegistryDWORD(const char* key, const char* name, uint32_t* result,
                           uint32_t defaultValue, uint32_t root, uint32_t wow64) const;
  VtrBool SetRegistryDWORD(const char* key, const char* name, uint32_t value, uint32_t root,
                           uint32_t wow64) const;
  VtrBool SetRegistryWORD(const char* key, const char* name, uint16_t value, uint32_t root,
                          uint32_t wow64) const;
  VtrBool SetRegistryBYTE(const char* key, const char* name, uint8_t value, uint32_t root,
                          uint32_t wow64) const;
  VtrBool SetRegistryBinary(const char* key, const char* name, const uint8_t* data, uint32_t size,
                            uint32_t root, uint32_t wow64) const;
  VtrBool GetRegEnumerator(const char* key, uint32_t index, char* buffer, uint32_t bufferSize,
                           const char* defaultText, uint32_t root, uint32_t wow64) const;
  VtrBool DeleteRegistry(const char* key, uint32_t root, uint32_t wow64) const;
  VtrBool DeleteRegistryValue(const char* key, const char* name, uint32_t root,
                              uint32_t wow64) const;

 private:
  void* Address(VtrEntry entry) const { return entries_[static_cast<std::size_t>(entry)]; }
  void ResolveEntries();

  // The store refuses an operation while another runs instead of waiting for it. The utility's
  // own threads (the window and its workers) take turns here, so they never refuse each other;
  // another program on the machine may still find the store in use.
  mutable std::mutex storeTurn_;
  void* module_ = nullptr;
  std::string loadError_;
  std::array<void*, kVtrEntryCount> entries_{};
};

// The process-wide binding, built during static initialisation so that it is ready before the
// program's own start-up runs.
const CVtrLibrary& VtrLibrary();

}  // namespace core
