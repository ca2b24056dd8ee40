#include "app/core/vtr_library.h"

#include <dlfcn.h>

#include <system_error>

namespace core {

const std::array<const char*, kVtrEntryCount> kVtrEntryNames = {
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

namespace {

// Handed out by the text wrappers when their entry point is missing. Callers only read it; it
// stays all zero for the whole run, so every caller sees an empty text.
char emptyText[260] = {};

// The declared types come from vtrlib.h through decltype only, so nothing here links the
// library.
template <typename Fn>
Fn As(void* address) {
  return reinterpret_cast<Fn>(address);
}

std::filesystem::path ProgramDirectory() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path();
}

void* Open(const std::string& file, std::string& error) {
  // Binding everything now matches the Windows loader, which resolves a DLL's imports before
  // LoadLibrary returns: a library that cannot run fails here, not in the middle of a call.
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* why = dlerror();
    error = why != nullptr ? why : file + ": cannot be loaded";
  }
  return module;
}

}  // namespace

CVtrLibrary::CVtrLibrary() {
  const std::filesystem::path dir = ProgramDirectory();
  std::string firstError;
  if (!dir.empty()) module_ = Open((dir / kVtrLibraryFileName).string(), firstError);
  if (module_ == nullptr) module_ = Open(kVtrLibraryFileName, loadError_);
  if (module_ == nullptr && !firstError.empty()) loadError_ = firstError + "; " + loadError_;
  if (module_ != nullptr) {
    loadError_.clear();
    ResolveEntries();
  }
}

CVtrLibrary::CVtrLibrary(const std::filesystem::path& file) {
  module_ = Open(file.string(), loadError_);
  if (module_ != nullptr) ResolveEntries();
}

CVtrLibrary::~CVtrLibrary() {
  entries_.fill(nullptr);
  module_ = nullptr;
}

void CVtrLibrary::ResolveEntries() {
  // One look-up per name, in table order; a name the library lacks leaves its entry null.
  for (std::size_t i = 0; i < kVtrEntryCount; ++i) entries_[i] = dlsym(module_, kVtrEntryNames[i]);
}

const char* CVtrLibrary::EmptyText() {
  return emptyText;
}

// Each wrapper below calls its entry point when it was found and otherwise gives the value a
// caller already treats as that function's failure.

int32_t CVtrLibrary::Initialize(uintptr_t ownerWindow) const {
  if (auto fn = As<decltype(&VTR_Initialize)>(Address(VtrEntry::Initialize))) {
    return fn(ownerWindow);
  }
  return -1;
}

VtrBool CVtrLibrary::UnInitialize() const {
  if (auto fn = As<decltype(&VTR_UnInitialize)>(Address(VtrEntry::UnInitialize))) return fn();
  return 0;
}

VtrBool CVtrLibrary::IsCardConnect() const {
  if (auto fn = As<decltype(&VTR_IsCardConnect)>(Address(VtrEntry::IsCardConnect))) return fn();
  return 0;
}

VtrBool CVtrLibrary::SetSuspendMode() const {
  if (auto fn = As<decltype(&VTR_SetSuspendMode)>(Address(VtrEntry::SetSuspendMode))) {
    return fn();
  }
  return 0;
}

VtrBool CVtrLibrary::SetWakeUpMode() const {
  if (auto fn = As<decltype(&VTR_SetWakeUpMode)>(Address(VtrEntry::SetWakeUpMode))) return fn();
  return 0;
}

VtrBool CVtrLibrary::GetRadioMode(uint32_t* mode) const {
  if (auto fn = As<decltype(&VTR_GetRadioMode)>(Address(VtrEntry::GetRadioMode))) {
    return fn(mode);
  }
  return 0;
}

VtrBool CVtrLibrary::SetRadioMode(uint32_t mode) const {
  if (auto fn = As<decltype(&VTR_SetRadioMode)>(Address(VtrEntry::SetRadioMode))) {
    return fn(mode);
  }
  return 0;
}

VtrBool CVtrLibrary::SetCountryDomain(uint32_t countryCode) const {
  if (auto fn = As<decltype(&VTR_SetCountryDomain)>(Address(VtrEntry::SetCountryDomain))) {
    return fn(countryCode);
  }
  return 0;
}

VtrBool CVtrLibrary::SetRegionalDomain(uint32_t regionCode) const {
  if (auto fn = As<decltype(&VTR_SetRegionalDomain)>(Address(VtrEntry::SetRegionalDomain))) {
    return fn(regionCode);
  }
  return 0;
}

VtrBool CVtrLibrary::GetAdapterCapability(VtrCapability* capability) const {
  if (auto fn = As<decltype(&VTR_GetAdapterCapability)>(Address(VtrEntry::GetAdapterCapability))) {
    return fn(capability);
  }
  return 0;
}

int32_t CVtrLibrary::SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                                  uint32_t scanMode, VtrSurveyEntry* entries,
                                  uint32_t signalFormat) const {
  if (auto fn = As<decltype(&VTR_SiteSurveyEx)>(Address(VtrEntry::SiteSurveyEx))) {
    return fn(filterMask, sortKey, sortDescending, scanMode, entries, signalFormat);
  }
  return 0;
}

VtrBool CVtrLibrary::ConnectToAP(ProfileRecord* profile, uint32_t flags) const {
  if (auto fn = As<decltype(&VTR_ConnectToAP)>(Address(VtrEntry::ConnectToAP))) {
    return fn(profile, flags);
  }
  return 0;
}

VtrBool CVtrLibrary::DisConnectToAP() const {
  if (auto fn = As<decltype(&VTR_DisConnectToAP)>(Address(VtrEntry::DisConnectToAP))) {
    return fn();
  }
  return 0;
}

uint8_t* CVtrLibrary::StringToHex(const char* text, uint32_t textLength, uint8_t* bytes,
                                  uint32_t byteCount, uint32_t reverseOrder) const {
  if (auto fn = As<decltype(&VTR_StringToHex)>(Address(VtrEntry::StringToHex))) {
    return fn(text, textLength, bytes, byteCount, reverseOrder);
  }
  return reinterpret_cast<uint8_t*>(emptyText);
}

char* CVtrLibrary::HexToString(const uint8_t* bytes, uint32_t byteCount, char* text,
                               uint32_t digitCount, uint32_t reverseOrder) const {
  if (auto fn = As<decltype(&VTR_HexToString)>(Address(VtrEntry::HexToString))) {
    return fn(bytes, byteCount, text, digitCount, reverseOrder);
  }
  return emptyText;
}

void CVtrLibrary::Passphrase64(const char* passphrase, uint8_t* keys) const {
  if (auto fn = As<decltype(&VTR_Passphrase64)>(Address(VtrEntry::Passphrase64))) {
    fn(passphrase, keys);
  }
}

void CVtrLibrary::Passphrase128(const char* passphrase, uint8_t* key) const {
  if (auto fn = As<decltype(&VTR_Passphrase128)>(Address(VtrEntry::Passphrase128))) {
    fn(passphrase, key);
  }
}

void CVtrLibrary::Passphrase152(const char* passphrase, uint8_t* key) const {
  if (auto fn = As<VtrPassphrase152Fn>(Address(VtrEntry::Passphrase152))) fn(passphrase, key);
}

const char* CVtrLibrary::ProfileSetting(const ProfileStorageSetting* setting) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_ProfileSetting)>(Address(VtrEntry::ProfileSetting))) {
    return fn(setting);
  }
  return nullptr;
}

void CVtrLibrary::InitialProfile(ProfileRecord* record) const {
  if (auto fn = As<decltype(&VTR_InitialProfile)>(Address(VtrEntry::InitialProfile))) {
    fn(record);
  }
}

VtrBool CVtrLibrary::ReadSingleProfile(const char* name, ProfileRecord* record) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_ReadSingleProfile)>(Address(VtrEntry::ReadSingleProfile))) {
    return fn(name, record);
  }
  return 0;
}

int32_t CVtrLibrary::ReadProfileList(int32_t max, ProfileRecord* list) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_ReadProfileList)>(Address(VtrEntry::ReadProfileList))) {
    return fn(max, list);
  }
  return -1;
}

VtrBool CVtrLibrary::WriteSingleProfile(const char* name, const ProfileRecord* record) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_WriteSingleProfile)>(Address(VtrEntry::WriteSingleProfile))) {
    return fn(name, record);
  }
  return 0;
}

int32_t CVtrLibrary::WriteProfileList(int32_t count, const ProfileRecord* list) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_WriteProfileList)>(Address(VtrEntry::WriteProfileList))) {
    return fn(count, list);
  }
  return -1;
}

VtrBool CVtrLibrary::SetDefaultProfile(int32_t count, const char* name, ProfileRecord* list) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_SetDefaultProfile)>(Address(VtrEntry::SetDefaultProfile))) {
    return fn(count, name, list);
  }
  return 0;
}

int32_t CVtrLibrary::AddProfile(int32_t max, const char* name, const ProfileRecord* record) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_AddProfile)>(Address(VtrEntry::AddProfile))) {
    return fn(max, name, record);
  }
  // 3 is the add call's own failure code, so callers need no extra case for a missing entry.
  return 3;
}

VtrBool CVtrLibrary::DeleteProfile(const char* name) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_DeleteProfile)>(Address(VtrEntry::DeleteProfile))) {
    return fn(name);
  }
  return 0;
}

int32_t CVtrLibrary::FindProfile(int32_t count, const char* name, const ProfileRecord* list) const {
  if (auto fn = As<decltype(&VTR_FindProfile)>(Address(VtrEntry::FindProfile))) {
    return fn(count, name, list);
  }
  return -1;
}

int32_t CVtrLibrary::FindDefaultProfile(int32_t count, const ProfileRecord* list) const {
  if (auto fn = As<decltype(&VTR_FindDefaultProfile)>(Address(VtrEntry::FindDefaultProfile))) {
    return fn(count, list);
  }
  return -1;
}

int32_t CVtrLibrary::ImportProfile(const char* path, int32_t max) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_ImportProfile)>(Address(VtrEntry::ImportProfile))) {
    return fn(path, max);
  }
  // As for AddProfile: 3 is already one of the import call's failure codes.
  return 3;
}

VtrBool CVtrLibrary::ExportProfile(const char* path) const {
  const std::lock_guard turn(storeTurn_);
  if (auto fn = As<decltype(&VTR_ExportProfile)>(Address(VtrEntry::ExportProfile))) {
    return fn(path);
  }
  return 0;
}

void CVtrLibrary::APLinkInformation(VtrLinkInfo* link, uint32_t flags) const {
  if (auto fn = As<decltype(&VTR_APLinkInformation)>(Address(VtrEntry::APLinkInformation))) {
    fn(link, flags);
  }
}

void CVtrLibrary::APInternetInformation(VtrIpInfo* ip) const {
  if (auto fn =
          As<decltype(&VTR_APInternetInformation)>(Address(VtrEntry::APInternetInformation))) {
    fn(ip);
  }
}

int32_t CVtrLibrary::WPSInitialize() const {
  if (auto fn = As<decltype(&VTR_WPSInitialize)>(Address(VtrEntry::WPSInitialize))) return fn();
  return -1;
}

int32_t CVtrLibrary::WPSUninitialize() const {
  if (auto fn = As<decltype(&VTR_WPSUninitialize)>(Address(VtrEntry::WPSUninitialize))) {
    return fn();
  }
  return -1;
}

int32_t CVtrLibrary::WPSStartEngine(WpsRequest request, VtrWpsCallback callback,
                                    uintptr_t context) const {
  if (auto fn = As<decltype(&VTR_WPSStartEngine)>(Address(VtrEntry::WPSStartEngine))) {
    return fn(request, callback, context);
  }
  return -1;
}

int32_t CVtrLibrary::WPSStopEngine() const {
  if (auto fn = As<decltype(&VTR_WPSStopEngine)>(Address(VtrEntry::WPSStopEngine))) return fn();
  return -1;
}

int32_t CVtrLibrary::WPSGetProfile(ProfileRecord* record) const {
  if (auto fn = As<decltype(&VTR_WPSGetProfile)>(Address(VtrEntry::WPSGetProfile))) {
    return fn(record);
  }
  return -1;
}

int32_t CVtrLibrary::WPSGeneratePin(char* text) const {
  if (auto fn = As<decltype(&VTR_WPSGeneratePin)>(Address(VtrEntry::WPSGeneratePin))) {
    return fn(text);
  }
  return -1;
}

void CVtrLibrary::DriverParameter(VtrAdapterInfo* info) const {
  if (auto fn = As<decltype(&VTR_DriverParameter)>(Address(VtrEntry::DriverParameter))) {
    fn(info);
  }
}

VtrBool CVtrLibrary::IsZeroConfigON() const {
  if (auto fn = As<decltype(&VTR_IsZeroConfigON)>(Address(VtrEntry::IsZeroConfigON))) {
    return fn();
  }
  return 0;
}

VtrBool CVtrLibrary::EnableZeroConfig(uint32_t enable) const {
  if (auto fn = As<decltype(&VTR_EnableZeroConfig)>(Address(VtrEntry::EnableZeroConfig))) {
    return fn(enable);
  }
  return 0;
}

VtrBool CVtrLibrary::IsZeroConfigServiceON() const {
  if (auto fn =
          As<decltype(&VTR_IsZeroConfigServiceON)>(Address(VtrEntry::IsZeroConfigServiceON))) {
    return fn();
  }
  return 0;
}

VtrBool CVtrLibrary::EnableZeroConfigService(uint32_t mode) const {
  if (auto fn =
          As<decltype(&VTR_EnableZeroConfigService)>(Address(VtrEntry::EnableZeroConfigService))) {
    return fn(mode);
  }
  return 0;
}

VtrBool CVtrLibrary::SetZeroConfigControlMode(uint32_t mode) const {
  if (auto fn = As<decltype(&VTR_SetZeroConfigControlMode)>(
          Address(VtrEntry::SetZeroConfigControlMode))) {
    return fn(mode);
  }
  return 0;
}

VtrBool CVtrLibrary::GetRegistryString(const char* key, const char* name, char* buffer,
                                       uint32_t bufferSize, const char* defaultText, uint32_t root,
                                       uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_GetRegistryString)>(Address(VtrEntry::GetRegistryString))) {
    return fn(key, name, buffer, bufferSize, defaultText, root, wow64);
  }
  return 0;
}

VtrBool CVtrLibrary::SetRegistryString(const char* key, const char* name, const char* text,
                                       uint32_t root, uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_SetRegistryString)>(Address(VtrEntry::SetRegistryString))) {
    return fn(key, name, text, root, wow64);
  }
  return 0;
}

// The export has no 64-bit-view flag: multi-string values are written in the caller's own view.
// The wrapper still takes one so that every registry writer is called the same way, and drops it.
VtrBool CVtrLibrary::SetRegistryMultiStr(const char* key, const char* name, const char* data,
                                         uint32_t size, uint32_t root, uint32_t /*wow64*/) const {
  if (auto fn = As<decltype(&VTR_SetRegistryMultiStr)>(Address(VtrEntry::SetRegistryMultiStr))) {
    return fn(key, name, data, size, root);
  }
  return 0;
}

VtrBool CVtrLibrary::GetRegistryDWORD(const char* key, const char* name, uint32_t* result,
                                      uint32_t defaultValue, uint32_t root, uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_GetRegistryDWORD)>(Address(VtrEntry::GetRegistryDWORD))) {
    return fn(key, name, result, defaultValue, root, wow64);
  }
  return 0;
}

VtrBool CVtrLibrary::SetRegistryDWORD(const char* key, const char* name, uint32_t value,
                                      uint32_t root, uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_SetRegistryDWORD)>(Address(VtrEntry::SetRegistryDWORD))) {
    return fn(key, name, value, root, wow64);
  }
  return 0;
}

VtrBool CVtrLibrary::SetRegistryWORD(const char* key, const char* name, uint16_t value,
                                     uint32_t root, uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_SetRegistryWORD)>(Address(VtrEntry::SetRegistryWORD))) {
    return fn(key, name, value, root, wow64);
  }
  return 0;
}

VtrBool CVtrLibrary::SetRegistryBYTE(const char* key, const char* name, uint8_t value,
                                     uint32_t root, uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_SetRegistryBYTE)>(Address(VtrEntry::SetRegistryBYTE))) {
    return fn(key, name, value, root, wow64);
  }
  return 0;
}

// As SetRegistryMultiStr: the flag is taken for a uniform call and not passed on.
VtrBool CVtrLibrary::SetRegistryBinary(const char* key, const char* name, const uint8_t* data,
                                       uint32_t size, uint32_t root, uint32_t /*wow64*/) const {
  if (auto fn = As<decltype(&VTR_SetRegistryBinary)>(Address(VtrEntry::SetRegistryBinary))) {
    return fn(key, name, data, size, root);
  }
  return 0;
}

VtrBool CVtrLibrary::GetRegEnumerator(const char* key, uint32_t index, char* buffer,
                                      uint32_t bufferSize, const char* defaultText, uint32_t root,
                                      uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_GetRegEnumerator)>(Address(VtrEntry::GetRegEnumerator))) {
    return fn(key, index, buffer, bufferSize, defaultText, root, wow64);
  }
  return 0;
}

// As SetRegistryMultiStr: the export deletes in the caller's own view and takes no flag.
VtrBool CVtrLibrary::DeleteRegistry(const char* key, uint32_t root, uint32_t /*wow64*/) const {
  if (auto fn = As<decltype(&VTR_DeleteRegistry)>(Address(VtrEntry::DeleteRegistry))) {
    return fn(key, root);
  }
  return 0;
}

VtrBool CVtrLibrary::DeleteRegistryValue(const char* key, const char* name, uint32_t root,
                                         uint32_t wow64) const {
  if (auto fn = As<decltype(&VTR_DeleteRegistryValue)>(Address(VtrEntry::DeleteRegistryValue))) {
    return fn(key, name, root, wow64);
  }
  return 0;
}

namespace {
// Built while the program's static objects are constructed, before its own start-up code runs,
// as the utility expects; every later caller finds the entry points already resolved.
const CVtrLibrary processLibrary;
}  // namespace

const CVtrLibrary& VtrLibrary() {
  return processLibrary;
}

}  // namespace core
