// The Native Wi-Fi service (wlanapi) as the Vista build calls it. Results are Windows error codes
// (0 success). What the service hands out (interface lists, BSS lists, query answers,
// capabilities, profile texts) stays the service's until the caller gives it back with
// FreeMemory, as WlanFreeMemory does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

using WlanHandle = uint64_t;  // 0: none

struct WlanGuid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};

  bool operator==(const WlanGuid&) const = default;
};

// "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}".
inline std::string GuidText(const WlanGuid& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.data1,
                guid.data2, guid.data3, guid.data4[0], guid.data4[1], guid.data4[2], guid.data4[3],
                guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
  return text;
}

// Values of the service (DOT11_*, WLAN_*).
inline constexpr uint32_t kWlanClientVersionVista = 2;
inline constexpr uint32_t kDot11BssInfrastructure = 1;
inline constexpr uint32_t kDot11BssIndependent = 2;
inline constexpr uint32_t kDot11BssAny = 3;
inline constexpr uint32_t kDot11PhyOfdm = 4;
inline constexpr uint32_t kDot11PhyHrDsss = 5;
inline constexpr uint32_t kDot11PhyErp = 6;
inline constexpr uint32_t kDot11PhyHt = 7;
inline constexpr uint32_t kDot11RadioOn = 1;
inline constexpr uint32_t kDot11RadioOff = 2;
inline constexpr uint32_t kWlanInterfaceConnected = 1;
inline constexpr uint32_t kWlanInterfaceDisconnected = 4;
inline constexpr uint32_t kWlanInterfaceAssociating = 5;
inline constexpr uint32_t kWlanConnectionModeProfile = 0;
inline constexpr uint32_t kWlanConnectionModeTemporaryProfile = 1;
inline constexpr uint32_t kWlanProfileAllUser = 0;

// Interface opcodes of QueryInterface and SetInterface, and of the autoconfig parameters.
inline constexpr uint32_t kWlanIntfRadioState = 4;
inline constexpr uint32_t kWlanIntfCurrentConnection = 7;
inline constexpr uint32_t kWlanIntfChannelNumber = 8;
inline constexpr uint32_t kWlanIntfRssi = 0x10000102;
inline constexpr uint32_t kWlanAutoconfPowerSetting = 2;

// Notification sources and codes.
inline constexpr uint32_t kWlanNotificationSourceAcm = 0x08;
inline constexpr uint32_t kWlanNotificationSourceMsm = 0x10;
inline constexpr uint32_t kAcmScanComplete = 7;
inline constexpr uint32_t kAcmScanFail = 8;
inline constexpr uint32_t kAcmConnectionComplete = 10;
inline constexpr uint32_t kAcmDisconnected = 21;
inline constexpr uint32_t kMsmAssociated = 2;
inline constexpr uint32_t kMsmConnected = 4;
inline constexpr uint32_t kMsmDisconnected = 10;

// Errors the service returns beyond the common ones.
inline constexpr long kErrorNotFound = 1168;
inline constexpr long kErrorBadProfile = 1206;
inline constexpr long kErrorInvalidState = 5023;

struct WlanInterfaceInfo {
  WlanGuid interfaceGuid;
  std::string description;
  uint32_t state = kWlanInterfaceDisconnected;
};

struct WlanInterfaceList {
  std::vector<WlanInterfaceInfo> interfaces;
};

// One BSS of WLAN_BSS_LIST: what the last scan heard of it, with its information elements (the
// variable elements of the beacon or probe response, without the fixed fields).
struct WlanBssEntry {
  std::vector<uint8_t> ssid;  // up to 32 bytes
  uint32_t phyId = 0;
  uint8_t bssid[6] = {};
  uint32_t bssType = kDot11BssInfrastructure;
  uint32_t phyType = kDot11PhyErp;
  int32_t rssi = 0;          // dBm
  uint32_t linkQuality = 0;  // 0..100
  bool inRegDomain = true;
  uint16_t beaconPeriod = 100;
  uint64_t timestamp = 0;
  uint64_t hostTimestamp = 0;
  uint16_t capabilityInformation = 0;  // 0x0010: privacy
  uint32_t centerFrequencyKhz = 0;
  std::vector<uint8_t> rates;  // 500 kbit/s units, 0x80 marking basic rates
  std::vector<uint8_t> ies;
};

struct WlanBssList {
  std::vector<WlanBssEntry> entries;
};

// WLAN_PHY_RADIO_STATE, 12 bytes, as SetInterface takes it for the radio state.
struct WlanPhyRadioState {
  uint32_t phyIndex = 0;
  uint32_t softwareRadioState = kDot11RadioOn;
  uint32_t hardwareRadioState = kDot11RadioOn;
};
static_assert(sizeof(WlanPhyRadioState) == 12);

// WLAN_RADIO_STATE: one entry per PHY (at most 64).
struct WlanRadioState {
  uint32_t numberOfPhys = 0;
  WlanPhyRadioState phyRadioState[64];
};
static_assert(sizeof(WlanRadioState) == 4 + 64 * 12);

// WLAN_CONNECTION_ATTRIBUTES of the current connection.
struct WlanAssociationAttributes {
  std::vector<uint8_t> ssid;
  uint32_t bssType = kDot11BssInfrastructure;
  uint8_t bssid[6] = {};
  uint32_t phyType = kDot11PhyErp;
  uint32_t phyIndex = 0;
  uint32_t signalQuality = 0;  // 0..100
  uint32_t rxRateKbps = 0;
  uint32_t txRateKbps = 0;
};

struct WlanSecurityAttributes {
  bool securityEnabled = false;
  bool oneXEnabled = false;
  uint32_t authAlgorithm = 1;  // DOT11_AUTH_ALGORITHM: 1 open ... 7 RSNA-PSK
  uint32_t cipherAlgorithm = 0;
};

struct WlanConnectionAttributes {
  uint32_t state = kWlanInterfaceConnected;
  uint32_t connectionMode = kWlanConnectionModeTemporaryProfile;
  std::string profileName;
  WlanAssociationAttributes association;
  WlanSecurityAttributes security;
};

struct WlanInterfaceCapability {
  uint32_t interfaceType = 1;  // native 802.11
  bool dot11dSupported = false;
  uint32_t maxDesiredSsidListSize = 1;
  uint32_t maxDesiredBssidListSize = 1;
  std::vector<uint32_t> phyTypes;  // DOT11_PHY_TYPE of each PHY, by PHY index
};

// WLAN_CONNECTION_PARAMETERS: a temporary profile is the profile's XML text itself, a stored one
// its name.
struct WlanConnectionParameters {
  uint32_t connectionMode = kWlanConnectionModeTemporaryProfile;
  std::u16string profile;
  std::vector<uint8_t> ssid;  // empty: the profile's
  uint32_t bssType = kDot11BssInfrastructure;
  uint32_t flags = 0;
};

struct WlanNotificationData {
  uint32_t notificationSource = 0;
  uint32_t notificationCode = 0;
  WlanGuid interfaceGuid;
  uint32_t dataSize = 0;
  const void* data = nullptr;
};

// Runs on a thread of the service, never on a caller's.
using WlanNotificationCallback = void (*)(const WlanNotificationData* data, void* context);

class NativeWifiPort {
 public:
  virtual ~NativeWifiPort() = default;

  virtual long WlanOpenHandle(uint32_t clientVersion, uint32_t* negotiatedVersion,
                              WlanHandle* handle) = 0;
  // Also ends the handle's notification registration.
  virtual long WlanCloseHandle(WlanHandle handle) = 0;
  virtual long WlanEnumInterfaces(WlanHandle handle, WlanInterfaceList** list) = 0;
  // Starts a scan; its end is announced by ACM scan complete (or scan fail).
  virtual long WlanScan(WlanHandle handle, const WlanGuid& interfaceGuid) = 0;
  virtual long WlanGetNetworkBssList(WlanHandle handle, const WlanGuid& interfaceGuid,
                                     uint32_t bssType, bool securityEnabled,
                                     WlanBssList** list) = 0;
  // Starts a connection; its end is announced by ACM connection complete.
  virtual long WlanConnect(WlanHandle handle, const WlanGuid& interfaceGuid,
                           const WlanConnectionParameters& parameters) = 0;
  virtual long WlanDisconnect(WlanHandle handle, const WlanGuid& interfaceGuid) = 0;
  // Stores a profile (XML text) for the interface under the name the profile gives.
  virtual long WlanSetProfile(WlanHandle handle, const WlanGuid& interfaceGuid, uint32_t flags,
                              const std::u16string& profileXml, bool overwrite,
                              uint32_t* reasonCode) = 0;
  virtual long WlanGetProfile(WlanHandle handle, const WlanGuid& interfaceGuid,
                              const std::u16string& profileName, std::u16string** profileXml) = 0;
  // *data points at the opcode's record: WlanRadioState, WlanConnectionAttributes, a u32 channel
  // or an i32 RSSI in dBm.
  virtual long WlanQueryInterface(WlanHandle handle, const WlanGuid& interfaceGuid, uint32_t opcode,
                                  uint32_t* dataSize, void** data) = 0;
  // The radio state takes one WlanPhyRadioState.
  virtual long WlanSetInterface(WlanHandle handle, const WlanGuid& interfaceGuid, uint32_t opcode,
                                uint32_t dataSize, const void* data) = 0;
  virtual long WlanSetAutoConfigParameter(WlanHandle handle, uint32_t opcode, uint32_t dataSize,
                                          const void* data) = 0;
  virtual long WlanGetInterfaceCapability(WlanHandle handle, const WlanGuid& interfaceGuid,
                                          WlanInterfaceCapability** capability) = 0;
  // sourceMask 0 ends the registration.
  virtual long WlanRegisterNotification(WlanHandle handle, uint32_t sourceMask,
                                        bool ignoreDuplicate, WlanNotificationCallback callback,
                                        void* context, uint32_t* previousSources) = 0;
  virtual void WlanFreeMemory(const void* memory) = 0;
};

}  // namespace platform
