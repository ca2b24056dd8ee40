// The regulatory region, from the utility's region codes or from country codes.
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

uint32_t DriverRegionForCountry(uint32_t countryCode) {
  switch (countryCode) {
    case 2:
    case 4:
    case 9:
    case 11:
    case 13:
      return 1;
    case 5:
      return 3;
    case 6:
      return 2;
    case 7:
      return 4;
    case 8:
      return 5;
    default:
      return 0;
  }
}

VtrBool SetDriverRegion(uint32_t region) {
  return vtr::SetOid(vtr::kOidVendorRegionSet, &region, sizeof(region), nullptr) ? 1 : 0;
}

}  // namespace

VtrBool VTR_SetCountryDomain(uint32_t countryCode) {
  return SetDriverRegion(DriverRegionForCountry(countryCode));
}

VtrBool VTR_SetRegionalDomain(uint32_t regionCode) {
  return SetDriverRegion(DriverRegionForRegion(regionCode));
}
