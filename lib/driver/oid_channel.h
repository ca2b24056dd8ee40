// The one way to the adapter's driver: a query or a set of one OID, as a device request on the
// adapter's device object, opened and closed for every request.
#pragma once

#include <cstdint>

#include "platform/ndis_802_11.h"

namespace vtr {

// Vendor requests of the adapter's driver: query numbers, and set numbers 0x00800000 higher.
inline constexpr uint32_t kOidVendorStartSetting = 0x0D710126;
inline constexpr uint32_t kOidVendorStartSettingSet = 0x0DF10126;
inline constexpr uint32_t kOidVendorWirelessModeSet = 0x0DF1010C;
inline constexpr uint32_t kOidVendorPowerSaveCompanionSet = 0x0DF10104;
inline constexpr uint32_t kOidVendorRegion = 0x0D710107;
inline constexpr uint32_t kOidVendorRegionSet = 0x0DF10107;
inline constexpr uint32_t kOidVendorRadio = 0x0D710108;
inline constexpr uint32_t kOidVendorRadioSet = 0x0DF10108;
inline constexpr uint32_t kOidVendorFirmwareVersion = 0x0D710129;
// Connect: preamble, the WPS mode word, the ad hoc rate record, the 802.11n record and the
// 8-byte option setting.
inline constexpr uint32_t kOidVendorPreambleSet = 0x0DF10101;
inline constexpr uint32_t kOidVendorWpsModeSet = 0x0DF10143;
inline constexpr uint32_t kOidVendorAdhocRatesSet = 0x0DF10127;
inline constexpr uint32_t kOidVendorHtSettings = 0x0D71013B;
inline constexpr uint32_t kOidVendorHtSettingsSet = 0x0DF1013B;
inline constexpr uint32_t kOidVendorOptions = 0x0D710137;
inline constexpr uint32_t kOidVendorOptionsSet = 0x0DF10137;
// Link information: statistics (u32 current rate in 500 kbit/s, u32 link quality, ...) and the
// receive and transmit rate descriptors.
inline constexpr uint32_t kOidVendorLinkStatistics = 0x0D710102;
inline constexpr uint32_t kOidVendorRxRate = 0x0D71011B;
inline constexpr uint32_t kOidVendorTxRate = 0x0D71011C;

// 1 when the driver completed the request, 0 otherwise. A request that cannot reach the
// device leaves the buffer and the returned count untouched.
int QueryOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned);
int SetOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned);

}  // namespace vtr
