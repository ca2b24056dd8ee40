#include "lib/nativewifi/chipset_vista_lib.h"

#include <cstring>

#include "lib/common/channel_table.h"
#include "lib/common/driver_region.h"
#include "lib/nativewifi/protocol_channel.h"
#include "lib/nativewifi/vista_state.h"
#include "lib/nativewifi/wlan_memory.h"
#include "platform/ndis_802_11.h"
#include "platform/protocol_driver.h"
#include "platform/services.h"

namespace vtr {
namespace {

constexpr int kPhyProbeAttempts = 5;
constexpr uint32_t kPhyProbePauseMs = 1000;
// Every id of this object's list belongs to the chipset family of group 5.
constexpr int32_t kOwnChipsetCode = 4;
constexpr uint32_t kRegionFactoryBit = 0x80;

uint32_t RegionOfDomain(uint32_t regionCode) {
  return regionCode >= 3 && regionCode <= 6 ? regionCode - 2 : 0;
}

}  // namespace

CChipsetVistaLib::CChipsetVistaLib()
    : ownHardwareIds_{"USB\\VID_148F&PID_2870", "USB\\VID_148F&PID_2770",
                      "USB\\VID_148F&PID_3070"} {
  // The adapter discovery of every slot searches this object's own list.
  std::lock_guard lock(listMutex_);
  hardwareIds_ = ownHardwareIds_;
}

int32_t CChipsetVistaLib::Initialize(uintptr_t ownerWindow) {
  const int32_t index = CBaseVistaLib::Initialize(ownerWindow);
  if (index >= 0 && chipsetCode_ < 0) chipsetCode_ = kOwnChipsetCode;
  ProbePhys();
  return index;
}

void CChipsetVistaLib::ProbePhys() {
  hasOfdm_ = false;
  auto& wlan = platform::Current().NativeWifi();
  for (int attempt = 0; attempt < kPhyProbeAttempts; ++attempt) {
    platform::WlanInterfaceCapability* raw = nullptr;
    const long result = wlan.WlanGetInterfaceCapability(WlanHandle(), VistaInterfaceGuid(), &raw);
    const WlanMemory<platform::WlanInterfaceCapability> capability(raw);
    if (result == 0) {
      for (uint32_t type : capability->phyTypes) {
        if (type == platform::kDot11PhyOfdm) hasOfdm_ = true;
      }
    }
    platform::Current().Clock().SleepMs(kPhyProbePauseMs);
    if (result == 0) return;
  }
}

VtrBool CChipsetVistaLib::GetRadioMode(uint32_t* mode) {
  platform::WlanRadioState radio{};
  if (mode == nullptr || !QueryRadioState(radio) || radio.numberOfPhys == 0) return 0;
  *mode = radio.phyRadioState[0].softwareRadioState == platform::kDot11RadioOn ? 1 : 0;
  return 1;
}

VtrBool CChipsetVistaLib::SetCountryDomain(uint32_t countryCode) {
  const uint32_t region = DriverRegionForCountry(countryCode);
  return ProtocolSet(DriverHandle(), platform::kRequestRegionWordSet, &region, sizeof region) ? 1
                                                                                              : 0;
}

VtrBool CChipsetVistaLib::SetRegionalDomain(uint32_t regionCode) {
  uint32_t word = 0;
  if (!ProtocolQuery(DriverHandle(), platform::kRequestRegionWord, &word, sizeof word)) return 0;
  // A region the factory fixed is not the library's to change.
  if ((word & kRegionFactoryBit) != 0) return 1;
  word = (word & ~0x7Fu) | RegionOfDomain(regionCode);
  return ProtocolSet(DriverHandle(), platform::kRequestRegionWordSet, &word, sizeof word) ? 1 : 0;
}

VtrBool CChipsetVistaLib::GetAdapterCapability(VtrCapability* capability) {
  if (!CBaseVistaLib::GetAdapterCapability(capability)) return 0;
  if (hasOfdm_) capability->phyModeMask |= 2;
  capability->keyEntryMask |= 1u << 25;
  capability->wpsSupported = 1;
  capability->wpsModeMask = 7;
  return 1;
}

void CChipsetVistaLib::APLinkInformation(VtrLinkInfo* link, uint32_t flags) {
  CBaseVistaLib::APLinkInformation(link, flags);
  if (link == nullptr || link->linkState != 1) return;
  double rate = 0;
  if (ProtocolQuery(DriverHandle(), platform::kRequestTxRate, &rate, sizeof rate)) {
    link->txRate = static_cast<uint32_t>(rate * 10);
  }
  if (ProtocolQuery(DriverHandle(), platform::kRequestRxRate, &rate, sizeof rate)) {
    link->rxRate = static_cast<uint32_t>(rate * 10);
  }
}

void CChipsetVistaLib::DriverParameter(VtrAdapterInfo* info) {
  CBaseVistaLib::DriverParameter(info);
  if (info == nullptr || DriverHandle() == kNoDriverHandle) return;
  uint32_t word = 0;
  if (ProtocolQuery(DriverHandle(), platform::kRequestRegionWord, &word, sizeof word)) {
    info->regionCode = RegionCodeFromDriver(word);
  }
}

VtrBool CChipsetVistaLib::SetAdhocChannel(const ProfileRecord& profile) {
  if (profile.networkType != 0 || profile.adhocChannel == 0 || profile.adhocChannel == 255) {
    return 0;
  }
  uint32_t block[platform::kAdhocConfigurationSize / 4] = {};
  if (!ProtocolQuery(DriverHandle(), platform::kRequestAdhocConfiguration, block, sizeof block)) {
    return 0;
  }
  for (const ChannelRow& row : ChannelTable()) {
    if (row.channel == profile.adhocChannel) {
      block[3] = row.frequencyKhz;
      break;
    }
  }
  return ProtocolSet(DriverHandle(), platform::kRequestAdhocConfiguration, block, sizeof block) ? 1
                                                                                                : 0;
}

CBaseVistaLib& Backend() {
  // Lives as long as the process, like the library: an export may be running on a worker
  // thread while the process ends.
  static CBaseVistaLib& backend = *new CChipsetVistaLib;
  return backend;
}

}  // namespace vtr
