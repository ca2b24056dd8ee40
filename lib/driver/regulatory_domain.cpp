// The regulatory region, from the utility's region codes or from country codes.
#include "lib/common/driver_region.h"
#include "lib/common/export_boundary.h"
#include "lib/driver/oid_channel.h"
#include "vtrlib.h"

namespace {

uint32_t DriverRegionForRegion(uint32_t regionCode) {
  switch (regionCode) {
    case 3:
      return 1;
    case 4:
      return 2;
    case 5:
      return 3;
    case 6:
      return 5;
    default:
      return 0;
  }
}

VtrBool SetDriverRegion(uint32_t region) {
  return vtr::SetOid(vtr::kOidVendorRegionSet, &region, sizeof(region), nullptr) ? 1 : 0;
}

}  // namespace

VtrBool VTR_SetCountryDomain(uint32_t countryCode) try {
  return SetDriverRegion(vtr::DriverRegionForCountry(countryCode));
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegionalDomain(uint32_t regionCode) try {
  return SetDriverRegion(DriverRegionForRegion(regionCode));
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
