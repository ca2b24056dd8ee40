// The vendor requests of the wireless adapter's driver. Each has a query number in the
// 0x0D71xxxx range; its set number carries the set bit as well (0x0DF1xxxx).
#pragma once

#include <cstdint>

#include "platform/ndis_802_11.h"

namespace platform {

enum VendorOid : uint32_t {
  kOidVendorPreamble = 0x0D710101,
  kOidVendorLinkStatistics = 0x0D710102,  // u32 rate in 500 kbit/s, u32 link quality, ...
  kOidVendorPowerSaveCompanion = 0x0D710104,
  kOidVendorRegion = 0x0D710107,
  kOidVendorRadio = 0x0D710108,
  kOidVendorWirelessModeSetting = 0x0D71010C,
  kOidVendorRxRate = 0x0D71011B,
  kOidVendorTxRate = 0x0D71011C,
  kOidVendorStartSetting = 0x0D710126,
  kOidVendorAdhocRates = 0x0D710127,
  kOidVendorFirmwareVersion = 0x0D710129,
  kOidVendorOptions = 0x0D710137,
  kOidVendorHtSettings = 0x0D71013B,
  kOidVendorWpsStart = 0x0D710140,
  kOidVendorWpsStatus = 0x0D710141,
  kOidVendorWpsCredentials = 0x0D710142,
  kOidVendorWpsMode = 0x0D710143,
  kOidVendorWpsFirstValue = 0x0D710144,
  kOidVendorWpsSecondValue = 0x0D710146,
  kOidVendorWpsControl = 0x0D710151,
  kOidVendorWpsChannel = 0x0D710152,
};

// The set number of a vendor request, as the library passes it.
constexpr uint32_t VendorSetNumber(VendorOid query) {
  return query | kOidSetBit;
}

}  // namespace platform
