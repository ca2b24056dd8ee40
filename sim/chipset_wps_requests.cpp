#include "sim/chipset_wps_requests.h"

#include "platform/protocol_driver.h"

namespace sim {
namespace {

using namespace platform;

struct Route {
  uint32_t code;  // without the set bit
  bool set;
  VendorOid vendor;
};

constexpr uint32_t Plain(uint32_t code) {
  return code & ~kOidSetBit;
}

// The credential buffer is given with a code of its own and read back with another, where the
// vendor request uses one number for both.
constexpr Route kRoutes[] = {
    {Plain(kRequestWpsStart), true, kOidVendorWpsStart},
    {Plain(kRequestWpsCredentialBuffer), true, kOidVendorWpsCredentials},
    {Plain(kRequestWpsFirstValue), true, kOidVendorWpsFirstValue},
    {Plain(kRequestWpsSecondValue), true, kOidVendorWpsSecondValue},
    {kRequestWpsStatus, false, kOidVendorWpsStatus},
    {kRequestWpsCredentialTable, false, kOidVendorWpsCredentials},
};

}  // namespace

std::optional<VendorOid> ChipsetWpsRequest(uint32_t code, bool set) {
  for (const Route& route : kRoutes) {
    if (route.code == code && route.set == set) return route.vendor;
  }
  return std::nullopt;
}

}  // namespace sim
