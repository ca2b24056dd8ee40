#include "app/core/radiodesk_app.h"

#include <QDir>
#include <array>
#include <cstring>
#include <filesystem>

#include "app/core/app_state.h"
#include "app/core/first_run_wait.h"
#include "app/core/language.h"
#include "app/core/message_box.h"
#include "app/core/os_version_code.h"
#include "app/core/settings.h"
#include "lib/common/private_profile.h"
#include "platform/services.h"

namespace core {

namespace {

constexpr uint32_t kAdapterKindLegacy = 1;
constexpr uint32_t kAdapterKindUsb2000 = 3;
constexpr uint32_t kAdapterKindXp = 4;
constexpr uint32_t kAdapterKindOpenWep = 5;
constexpr uint32_t kPhyMode11a = 2;
constexpr uint32_t kLinkAssociated = 1;
constexpr size_t kBrandingBufferSize = 1024;

struct LanguageName {
  const char* value;
  LanguageChoice choice;
};

constexpr std::array<LanguageName, 5> kLanguages = {{
    {"English", {"Lang/United_States.lng", "US"}},
    {"Chinese (Traditional)", {"Lang/Chinese_Traditional.lng", "TW"}},
    {"Chinese (Simplified)", {"Lang/Chinese_Simplified.lng", "CN"}},
    {"German", {"Lang/German.lng", "DE"}},
    {"Japanese", {"Lang/Japanese.lng", "JP"}},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Field(const char* text, size_t size) {
  return std::string_view(text, strnlen(text, size));
}

std::string Branding(const std::string& file, std::string_view section, std::string_view key) {
  std::string value = vtr::PrivateProfileStringFromFile(file, section, key, "");
  if (value.size() > kBrandingBufferSize - 1) value.resize(kBrandingBufferSize - 1);
  return value;
}

}  // namespace

LanguageChoice ChooseLanguage(const std::optional<std::string>& value) {
  if (value) {
    for (const LanguageName& language : kLanguages) {
      if (EqualsIgnoringCase(*value, language.value)) return language.choice;
    }
  }
  return kLanguages[0].choice;
}

CRadiodeskApp::CRadiodeskApp(const CVtrLibrary& lib, Options options)
    : lib_(lib), options_(std::move(options)) {}

CRadiodeskApp::~CRadiodeskApp() = default;

void CRadiodeskApp::SettleProgramFolder() {
  std::string dir = options_.programDir;
  if (dir.empty()) {
    dir = std::filesystem::path(platform::Current().Process().ProgramFileName())
              .parent_path()
              .string();
  }
  if (dir.empty() || dir.back() != '/') dir += '/';
  State().programDir = dir;
  QDir::setCurrent(ToQString(dir));
}

void CRadiodeskApp::ReadBranding() {
  AppState& state = State();
  const std::string productIni = state.programDir + "Product.ini";
  state.productCorp = Branding(productIni, "Information", "Corp");
  state.productName = Branding(productIni, "Information", "Name");
  state.settingsKey = FormatSettingsKey(state.productCorp, state.productName);
}

void CRadiodeskApp::ChooseLanguageFile() {
  AppState& state = State();
  std::string value;
  const bool read = ReadSetting("Language", value) == 0;
  const LanguageChoice choice = ChooseLanguage(read ? std::optional(value) : std::nullopt);
  state.languageFilePath = state.programDir + choice.file;
  state.languageCode = choice.code;
  state.corpInfoPath = state.programDir + "res/CorpInfo.ini";
  state.corpDisplayName = Branding(state.corpInfoPath, state.languageCode, "Corp");
}

bool CRadiodeskApp::WaitOnFirstRun() {
  std::string firstRun;
  if (ReadSetting("FirstRun", firstRun) == 0 && firstRun == kFirstRunDone) return true;
  FirstRunWait wait(lib_, ToQString(State().windowTitle));
  // Given up: the next start waits again, so "FirstRun" is not written.
  if (!wait.WaitForAdapter()) return false;
  WriteSetting("FirstRun", kFirstRunDone);
  return true;
}

void CRadiodeskApp::TakeAdapterFromWindows() {
  const int32_t os = State().osVersionCode;
  if (os != kOsWindows2000 && os != kOsWindowsXp && os != kOsWindowsServer2003) return;
  const uint32_t kind = State().adapterCapability.Get().adapterKind;
  if (kind == kAdapterKindOpenWep) return;
  if (os == kOsWindows2000 && (kind == kAdapterKindUsb2000 || kind == kAdapterKindXp)) return;
  if (!lib_.IsZeroConfigServiceON()) lib_.EnableZeroConfigService(1);
  if (lib_.IsZeroConfigON()) {
    lib_.EnableZeroConfig(0);
    lib_.SetZeroConfigControlMode(0);
  }
}

void CRadiodeskApp::DropStrayLink() {
  // The utility holds its own links while it runs: a link holder that vtrctl left behind gives
  // the adapter up first, and the links its supplicant kept end with it.
  platform::Current().LinkHolder().EndLinkHolder();
  AppState& state = State();
  auto profiles = std::make_unique<ProfileArray>();
  const int32_t count = lib_.ReadProfileList(kListCapacity, profiles->data());
  state.profileCount = std::max(count, 0);
  state.profileList.Set(*profiles);
  const int32_t index = lib_.FindDefaultProfile(count, profiles->data());
  if (index < 0 || index >= kListCapacity) return;
  VtrLinkInfo link{};
  lib_.APLinkInformation(&link, 0);
  if (link.linkState != kLinkAssociated) return;
  const ProfileRecord& profile = (*profiles)[static_cast<size_t>(index)];
  const bool foreign = !EqualsIgnoringCase(Field(link.ssid, sizeof link.ssid),
                                           Field(profile.ssid, sizeof profile.ssid)) ||
                       link.networkType != profile.networkType || link.cipher != profile.encryption;
  if (!foreign) return;
  if (state.adapterCapability.Get().adapterKind == kAdapterKindLegacy) {
    auto survey = std::make_unique<SurveyArray>();
    state.surveyCount = std::max(lib_.SiteSurveyEx(0, 5, 1, 1, survey->data(), 0), 0);
    state.surveyList.Set(*survey);
  }
  lib_.DisConnectToAP();
}

bool CRadiodeskApp::InitInstance() {
  AppState& state = State();
  SettleProgramFolder();
  ReadBranding();
  ChooseLanguageFile();
  const std::string firstPart =
      LangLookup("CONTROL_CENTER", "10000", "<%CORP_NAME%> Wireless Utility");
  state.windowTitle = firstPart + " - " + state.productName;
  const QString title = ToQString(state.windowTitle);

  instance_ = std::make_unique<InstanceGuard>(
      InstanceGuard::ServerName(title, platform::Current().SystemInfo().MachineGuid()));
  const bool only = instance_->TryBecomeInstance([this] {
    if (sheet_) sheet_->RunCommand(kCommandRestore);
  });
  if (!only) return false;

  if (!lib_.IsLoaded()) {
    ShowMessage(nullptr, kLoadFailureText, MessageIcon::Exclamation);
    return false;
  }
  if (!WaitOnFirstRun()) return false;
  std::string encryption;
  if (ReadSetting("Encryption", encryption) != 0) WriteSetting("Encryption", "1");

  state.libraryHandle = 0;
  state.libraryHandle = lib_.Initialize(0);
  VtrCapability capability{};
  lib_.GetAdapterCapability(&capability);
  capability.phyModeMask &= ~kPhyMode11a;
  state.adapterCapability.Set(capability);
  state.osVersionCode = OsVersionCode();
  TakeAdapterFromWindows();
  DropStrayLink();

  // The lists start empty; their counts keep what start-up found.
  state.surveyList.Set(SurveyArray{});
  state.defaultProfileRecord.Set(ProfileRecord{});
  state.profileList.Set(ProfileArray{});

  sheet_ = std::make_unique<CVantrelPropertySheet>(lib_, title, std::move(options_.pages));
  sheet_->Initialise();
  return true;
}

}  // namespace core
