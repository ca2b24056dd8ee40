#include "lib/nativewifi/base_vista_lib.h"

#include <cstdio>
#include <cstring>

#include "lib/common/driver_version.h"
#include "lib/common/internet_information.h"
#include "lib/nativewifi/callback_notification.h"
#include "lib/nativewifi/chipset_codes.h"
#include "lib/nativewifi/protocol_channel.h"
#include "lib/nativewifi/vista_state.h"
#include "lib/nativewifi/wlan_memory.h"
#include "platform/protocol_driver.h"
#include "platform/services.h"

namespace vtr {
namespace {

using platform::WlanGuid;

constexpr uint32_t kPowerMaximumSaving = 3;
constexpr uint32_t kPowerNoSaving = 0;
constexpr uint32_t kDisconnectWaitMs = 10'000;
constexpr const char* kNetworkConnectionsFolder =
    "::{20d04fe0-3aea-1069-a2d8-08002b30309d}\\::{21ec2020-3aea-1069-a2dd-08002b30309d}\\::{"
    "38A98528-6CBF-4CA9-8DC0-B1E1D10F7B1B}";

platform::NativeWifiPort& Wlan() {
  return platform::Current().NativeWifi();
}

platform::EventsPort& Events() {
  return platform::Current().Events();
}

void CopyText(char* field, size_t size, const std::string& text) {
  std::snprintf(field, size, "%s", text.c_str());
}

std::string MacText(const uint8_t* mac, const char* separator) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X%s%02X%s%02X%s%02X%s%02X%s%02X", mac[0], separator, mac[1],
                separator, mac[2], separator, mac[3], separator, mac[4], separator, mac[5]);
  return text;
}

uint32_t LinkPhyMode(uint32_t phyType) {
  switch (phyType) {
    case platform::kDot11PhyOfdm:
      return 6;
    case platform::kDot11PhyHrDsss:
      return 2;
    case platform::kDot11PhyErp:
      return 4;
    default:
      return 10;
  }
}

uint32_t LinkAuthMode(uint32_t algorithm) {
  switch (algorithm) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 3:
      return 16;
    case 4:
      return 4;
    case 6:
      return 32;
    case 7:
      return 8;
    default:
      return 0x80000000;
  }
}

uint32_t LinkCipher(uint32_t algorithm) {
  switch (algorithm) {
    case 0:
      return 0;
    case 1:
    case 5:
    case 0x101:
      return 1;
    case 2:
      return 2;
    case 4:
      return 4;
    default:
      return 0x80000000;
  }
}

uint32_t RegionCodeOfDomain(uint32_t domain) {
  switch (domain) {
    case 0x10:
      return 1;
    case 0x20:
      return 2;
    case 0x30:
      return 3;
    case 0x31:
      return 4;
    case 0x32:
      return 5;
    case 0x40:
      return 6;
    default:
      return 0;
  }
}

}  // namespace

CBaseVistaLib::CBaseVistaLib() : driverHandle_(kNoDriverHandle) {
  for (const ChipsetGroup& group : ChipsetGroups()) {
    hardwareIds_.insert(hardwareIds_.end(), group.hardwareIds.begin(), group.hardwareIds.end());
  }
  auto& state = VistaState();
  state.scanComplete = Events().CreateEvent(true, false);
  state.connectComplete = Events().CreateEvent(true, false);
  state.disconnected = Events().CreateEvent(true, false);
}

CBaseVistaLib::~CBaseVistaLib() = default;

bool CBaseVistaLib::DiscoverAdapter() {
  std::vector<std::string> ids;
  {
    std::lock_guard lock(listMutex_);
    ids = hardwareIds_;
  }
  std::string lastPnpInstanceId;
  const auto found = SearchAdapter(ids, lastPnpInstanceId);
  auto& state = VistaState();
  std::lock_guard lock(state.mutex);
  if (!found) return false;
  state.adapter = *found;
  state.hardwareId = found->pnpInstanceId;
  return true;
}

bool CBaseVistaLib::FindInterface() {
  platform::WlanInterfaceList* raw = nullptr;
  if (Wlan().WlanEnumInterfaces(wlanHandle_, &raw) != 0) return false;
  const WlanMemory<platform::WlanInterfaceList> list(raw);
  const std::string guidText = VistaAdapter().name;
  for (const auto& info : list->interfaces) {
    if (platform::GuidText(info.interfaceGuid) != guidText) continue;
    std::lock_guard lock(VistaState().mutex);
    VistaState().interfaceGuid = info.interfaceGuid;
    return true;
  }
  return false;
}

bool CBaseVistaLib::RegisterCallback() {
  uint32_t previous = 0;
  return Wlan().WlanRegisterNotification(
             wlanHandle_,
             platform::kWlanNotificationSourceAcm | platform::kWlanNotificationSourceMsm, true,
             CallbackNotification, nullptr, &previous) == 0;
}

void CBaseVistaLib::CloseDriver() {
  const platform::DeviceHandle handle = driverHandle_.exchange(kNoDriverHandle);
  if (handle != kNoDriverHandle) platform::Current().Devices().CloseHandle(handle);
}

void CBaseVistaLib::CloseWlan() {
  const platform::WlanHandle handle = wlanHandle_.exchange(0);
  if (handle != 0) Wlan().WlanCloseHandle(handle);
}

int32_t CBaseVistaLib::Initialize(uintptr_t /*ownerWindow*/) {
  if (!DiscoverAdapter()) {
    adapterIndex_ = -1;
    return -1;
  }
  const FoundAdapter adapter = VistaAdapter();
  adapterIndex_ = adapter.index;
  chipsetCode_ = vtr::ChipsetCode(adapter.pnpInstanceId);

  // A second start lets go of what the first one opened.
  CloseWlan();
  CloseDriver();
  uint32_t negotiated = 0;
  platform::WlanHandle handle = 0;
  if (Wlan().WlanOpenHandle(platform::kWlanClientVersionVista, &negotiated, &handle) != 0) {
    return adapterIndex_;
  }
  wlanHandle_ = handle;
  auto& state = VistaState();
  // An event the machine no longer knows (a process that changed machines) is made anew; one
  // that was closed after a failed registration stays missing.
  for (auto* event : {&state.scanComplete, &state.connectComplete, &state.disconnected}) {
    if (*event != 0 && !Events().ResetEvent(*event)) *event = Events().CreateEvent(true, false);
  }
  bool ready = FindInterface();
  if (ready) {
    driverHandle_ = OpenDriver(platform::kProtocolDriverName, adapter.name);
    ready = driverHandle_ != kNoDriverHandle;
  }
  if (ready && (state.scanComplete == 0 || state.connectComplete == 0 || state.disconnected == 0)) {
    CloseDriver();
    ready = false;
  }
  if (ready && !RegisterCallback()) {
    // Without the callback nothing would ever set the events.
    CloseDriver();
    for (auto* event : {&state.scanComplete, &state.connectComplete, &state.disconnected}) {
      Events().CloseEvent(event->exchange(0));
    }
    ready = false;
  }
  if (!ready) {
    adapterIndex_ = -1;
    CloseWlan();
    return -1;
  }
  const DriverFacts facts = ReadDriverVersion(adapter.name);
  {
    std::lock_guard lock(state.mutex);
    state.driverVersion = facts.version;
    state.driverDate = facts.date;
  }
  return adapterIndex_;
}

VtrBool CBaseVistaLib::UnInitialize() {
  CloseDriver();
  if (wlanHandle_ == 0) return 0;
  CloseWlan();
  return 1;
}

VtrBool CBaseVistaLib::IsCardConnect() {
  return DiscoverAdapter() ? 1 : 0;
}

bool CBaseVistaLib::SetPowerSetting(uint32_t value) {
  return Wlan().WlanSetAutoConfigParameter(wlanHandle_, platform::kWlanAutoconfPowerSetting,
                                           sizeof value, &value) == 0;
}

VtrBool CBaseVistaLib::SetSuspendMode() {
  return SetPowerSetting(kPowerMaximumSaving) ? 1 : 0;
}

VtrBool CBaseVistaLib::SetWakeUpMode() {
  return SetPowerSetting(kPowerNoSaving) ? 1 : 0;
}

VtrBool CBaseVistaLib::Reserved5() {
  return 0;
}

VtrBool CBaseVistaLib::Reserved6() {
  return 0;
}

VtrBool CBaseVistaLib::GetRadioMode(uint32_t* /*mode*/) {
  return 0;
}

bool CBaseVistaLib::QueryRadioState(platform::WlanRadioState& radio) {
  uint32_t size = 0;
  void* raw = nullptr;
  if (Wlan().WlanQueryInterface(wlanHandle_, VistaInterfaceGuid(), platform::kWlanIntfRadioState,
                                &size, &raw) != 0) {
    return false;
  }
  const WlanMemory<platform::WlanRadioState> answer(static_cast<platform::WlanRadioState*>(raw));
  if (size < sizeof radio) return false;
  radio = *answer;
  return true;
}

VtrBool CBaseVistaLib::SetRadioMode(uint32_t mode) {
  if (mode == 0) DisConnectToAP();
  platform::WlanRadioState radio{};
  if (!QueryRadioState(radio)) return 0;
  const uint32_t phys = radio.numberOfPhys < 64 ? radio.numberOfPhys : 64;
  for (uint32_t i = 0; i < phys; ++i) {
    platform::WlanPhyRadioState phy = radio.phyRadioState[i];
    phy.softwareRadioState = mode == 1 ? platform::kDot11RadioOn : platform::kDot11RadioOff;
    phy.hardwareRadioState = platform::kDot11RadioOn;
    if (Wlan().WlanSetInterface(wlanHandle_, VistaInterfaceGuid(), platform::kWlanIntfRadioState,
                                sizeof phy, &phy) != 0) {
      return 0;
    }
  }
  return 1;
}

VtrBool CBaseVistaLib::SetCountryDomain(uint32_t /*countryCode*/) {
  return 0;
}

VtrBool CBaseVistaLib::SetRegionalDomain(uint32_t /*regionCode*/) {
  return 0;
}

VtrBool CBaseVistaLib::GetAdapterCapability(VtrCapability* capability) {
  if (capability == nullptr) return 0;
  static constexpr uint32_t kPairs[] = {0x00010001, 0x00010002, 0x00020002, 0x00040001, 0x00040002,
                                        0x00100004, 0x00200008, 0x00400004, 0x00800008};
  const int32_t code = chipsetCode_;
  capability->adapterKind = static_cast<uint32_t>(code);
  capability->phyModeMask = 13;
  std::memset(capability->authCipherPairs, 0, sizeof capability->authCipherPairs);
  std::memcpy(capability->authCipherPairs, kPairs, sizeof kPairs);
  capability->keyEntryMask = 0x01000307;
  capability->eapMask = 3;
  capability->featureMask = 55;
  capability->maxRtsThreshold = 2346;
  capability->maxFragThreshold = 2346;
  capability->optionFlag = 0;
  std::memset(capability->reserved157, 0, 16);
  capability->extraMask = 0x80000000;
  capability->wpsSupported = 0;
  capability->wpsModeMask = 0;
  return 1;
}

bool CBaseVistaLib::CurrentlyConnected() {
  uint32_t size = 0;
  void* raw = nullptr;
  if (Wlan().WlanQueryInterface(wlanHandle_, VistaInterfaceGuid(),
                                platform::kWlanIntfCurrentConnection, &size, &raw) != 0) {
    return false;
  }
  const WlanMemory<platform::WlanConnectionAttributes> attributes(
      static_cast<platform::WlanConnectionAttributes*>(raw));
  return attributes->state == platform::kWlanInterfaceConnected;
}

VtrBool CBaseVistaLib::DisConnectToAP() {
  if (!CurrentlyConnected()) return 0;
  const platform::EventHandle event = VistaState().disconnected;
  Events().ResetEvent(event);
  if (Wlan().WlanDisconnect(wlanHandle_, VistaInterfaceGuid()) != 0) return 0;
  return Events().WaitForSingleObject(event, kDisconnectWaitMs) == platform::kWaitObject0 ? 1 : 0;
}

void CBaseVistaLib::APLinkInformation(VtrLinkInfo* link, uint32_t flags) {
  if (link == nullptr) return;
  std::memset(link, 0, sizeof *link);
  link->linkState = 2;
  link->phyMode = 8;
  link->cipher = 0x80000000;
  if (!IsCardConnect()) {
    link->linkState = 3;
    return;
  }
  const WlanGuid guid = VistaInterfaceGuid();
  uint32_t size = 0;
  void* raw = nullptr;
  if (Wlan().WlanQueryInterface(wlanHandle_, guid, platform::kWlanIntfCurrentConnection, &size,
                                &raw) == 0) {
    const WlanMemory<platform::WlanConnectionAttributes> attributes(
        static_cast<platform::WlanConnectionAttributes*>(raw));
    const auto& association = attributes->association;
    if (attributes->state == platform::kWlanInterfaceConnected) link->linkState = 1;
    if (!association.ssid.empty()) {
      std::memcpy(link->ssid, association.ssid.data(),
                  association.ssid.size() < 32 ? association.ssid.size() : 32);
    }
    CopyText(link->bssid, sizeof link->bssid, MacText(association.bssid, "-"));
    link->networkType = association.bssType == platform::kDot11BssInfrastructure ? 1 : 0;
    link->phyMode = LinkPhyMode(association.phyType);
    link->authMode = LinkAuthMode(attributes->security.authAlgorithm);
    link->cipher = LinkCipher(attributes->security.cipherAlgorithm);
    link->txRate = association.txRateKbps / 100;
    link->rxRate = association.rxRateKbps / 100;
    link->signal = static_cast<int32_t>(association.signalQuality);
    if ((flags & 1) != 0) {
      void* rssi = nullptr;
      if (Wlan().WlanQueryInterface(wlanHandle_, guid, platform::kWlanIntfRssi, &size, &rssi) ==
          0) {
        const WlanMemory<int32_t> value(static_cast<int32_t*>(rssi));
        link->signal = *value;
      }
    }
  }
  void* channel = nullptr;
  if (Wlan().WlanQueryInterface(wlanHandle_, guid, platform::kWlanIntfChannelNumber, &size,
                                &channel) == 0) {
    const WlanMemory<uint32_t> value(static_cast<uint32_t*>(channel));
    link->channel = *value;
  }
}

void CBaseVistaLib::APInternetInformation(VtrIpInfo* ip) {
  ReadInternetInformation(VistaAdapter().name, adapterIndex_, ip);
}

void CBaseVistaLib::DriverParameter(VtrAdapterInfo* info) {
  if (info == nullptr) return;
  info->description[0] = '\0';
  info->regionCode = 0;
  info->reserved264[0] = '\0';
  info->firmwareVersion[0] = '\0';
  info->driverVersion[0] = '\0';
  info->macAddress[0] = '\0';
  if (driverHandle_ == kNoDriverHandle) return;
  const FoundAdapter adapter = VistaAdapter();
  CopyText(info->description, sizeof info->description, adapter.description);
  CopyText(info->macAddress, sizeof info->macAddress, MacText(adapter.macAddress, "-"));
  uint32_t domain = 0;
  if (ProtocolQuery(driverHandle_, platform::kRequestRegulatoryDomain, &domain, sizeof domain)) {
    info->regionCode = RegionCodeOfDomain(domain);
  }
  std::lock_guard lock(VistaState().mutex);
  CopyText(info->driverVersion, sizeof info->driverVersion, VistaState().driverVersion);
  CopyText(info->firmwareVersion, sizeof info->firmwareVersion, VistaState().driverVersion);
  info->driverDate = VistaState().driverDate;
}

VtrBool CBaseVistaLib::SetZeroConfigControlMode(uint32_t /*mode*/) {
  platform::Current().Shell().ShellExecute("open", kNetworkConnectionsFolder);
  return 1;
}

void CBaseVistaLib::Reserved19() {}

int32_t CBaseVistaLib::WPSInitialize() {
  return -1;
}

int32_t CBaseVistaLib::WPSUninitialize() {
  return -1;
}

int32_t CBaseVistaLib::WPSStartEngine(const WpsRequest& /*request*/, VtrWpsCallback /*callback*/,
                                      uintptr_t /*context*/) {
  return -1;
}

int32_t CBaseVistaLib::WPSStopEngine() {
  return -1;
}

int32_t CBaseVistaLib::WPSGetProfile(ProfileRecord* /*record*/) {
  return -1;
}

int32_t CBaseVistaLib::WPSGeneratePin(char* /*text*/) {
  return -1;
}

platform::DeviceHandle CBaseVistaLib::OpenDriver(const std::string& driverName,
                                                 const std::string& guidText) {
  return OpenProtocolDriver(driverName, guidText);
}

VtrBool CBaseVistaLib::SetAdhocChannel(const ProfileRecord& /*profile*/) {
  return 0;
}

}  // namespace vtr
