// The adapter's fixed capabilities and its identification.
#include <cstdio>
#include <cstring>

#include "lib/common/driver_region.h"
#include "lib/common/export_boundary.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "vtrlib.h"

namespace {

// Authentication bit in the high half, cipher bit in the low half.
constexpr uint32_t kAuthCipherPairs[] = {0x00010001, 0x00010002, 0x00020002, 0x00040001, 0x00040002,
                                         0x00100004, 0x00200008, 0x00400004, 0x00800008};

template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
  std::snprintf(field, N, "%s", text.c_str());
}

}  // namespace

VtrBool VTR_GetAdapterCapability(VtrCapability* capability) try {
  if (capability == nullptr) return 0;
  capability->adapterKind = 4;
  capability->phyModeMask = vtr::LibState().dualBand == 1 ? 15 : 13;
  std::memset(capability->authCipherPairs, 0, sizeof(capability->authCipherPairs));
  std::memcpy(capability->authCipherPairs, kAuthCipherPairs, sizeof(kAuthCipherPairs));
  capability->keyEntryMask = 0x03000307;
  capability->eapMask = 7;
  capability->featureMask = 0x1800000B;
  capability->maxRtsThreshold = 2346;
  capability->maxFragThreshold = 2346;
  capability->optionFlag = 1;
  std::memset(capability->reserved157, 0, 16);
  capability->extraMask = 0x80000000;
  capability->wpsSupported = 1;
  capability->wpsModeMask = 7;
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

void VTR_DriverParameter(VtrAdapterInfo* info) try {
  if (info == nullptr) return;
  info->description[0] = '\0';
  info->firmwareVersion[0] = '\0';
  info->driverVersion[0] = '\0';
  info->macAddress[0] = '\0';
  info->regionCode = 0;
  auto& state = vtr::LibState();
  if (!vtr::IsSupportedOsClass(state.osClass)) return;

  vtr::FoundAdapter adapter;
  {
    std::lock_guard lock(state.mutex);
    adapter = state.adapter;
    CopyText(info->driverVersion, state.driverVersion);
    info->driverDate = state.driverDate;
  }
  CopyText(info->description, adapter.description);
  uint32_t firmware = 0;
  if (vtr::QueryOid(vtr::kOidVendorFirmwareVersion, &firmware, sizeof(firmware), nullptr)) {
    std::snprintf(info->firmwareVersion, sizeof(info->firmwareVersion), "%u.%u",
                  (firmware >> 8) & 0xFF, firmware & 0xFF);
  }
  const uint8_t* mac = adapter.macAddress;
  std::snprintf(info->macAddress, sizeof(info->macAddress), "%02X:%02X:%02X:%02X:%02X:%02X", mac[0],
                mac[1], mac[2], mac[3], mac[4], mac[5]);
  uint32_t region = 0;
  if (vtr::QueryOid(vtr::kOidVendorRegion, &region, sizeof(region), nullptr)) {
    info->regionCode = vtr::RegionCodeFromDriver(region);
  }
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}
