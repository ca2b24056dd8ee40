// The one way to the adapter's driver: a query or a set of one OID, as a device request on the
// adapter's device object, opened and closed for every request.
#pragma once

#include <cstdint>

#include "platform/ndis_802_11.h"
#include "platform/vendor_oids.h"

namespace vtr {

using enum platform::VendorOid;

// The set numbers the library passes for vendor sets.
inline constexpr uint32_t kOidVendorStartSettingSet = VendorSetNumber(kOidVendorStartSetting);
inline constexpr uint32_t kOidVendorWirelessModeSet =
    VendorSetNumber(kOidVendorWirelessModeSetting);
inline constexpr uint32_t kOidVendorPowerSaveCompanionSet =
    VendorSetNumber(kOidVendorPowerSaveCompanion);
inline constexpr uint32_t kOidVendorRegionSet = VendorSetNumber(kOidVendorRegion);
inline constexpr uint32_t kOidVendorRadioSet = VendorSetNumber(kOidVendorRadio);
inline constexpr uint32_t kOidVendorPreambleSet = VendorSetNumber(kOidVendorPreamble);
inline constexpr uint32_t kOidVendorWpsModeSet = VendorSetNumber(kOidVendorWpsMode);
inline constexpr uint32_t kOidVendorAdhocRatesSet = VendorSetNumber(kOidVendorAdhocRates);
inline constexpr uint32_t kOidVendorHtSettingsSet = VendorSetNumber(kOidVendorHtSettings);
inline constexpr uint32_t kOidVendorOptionsSet = VendorSetNumber(kOidVendorOptions);
static_assert(kOidVendorRadioSet == 0x0DF10108);

// 1 when the driver completed the request, 0 otherwise. A request that cannot reach the
// device leaves the buffer and the returned count untouched.
int QueryOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned);
int SetOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned);

}  // namespace vtr
