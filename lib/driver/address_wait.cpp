// After the SSID: the old DHCP address is given back, and a connect that waits
// watches for the address of the new network.
#include <cstring>
#include <string_view>
#include <vector>

#include "lib/driver/connect_steps.h"
#include "lib/driver/lib_state.h"
#include "platform/services.h"
#include "platform/win_errors.h"
#include "vtrlib.h"

namespace vtr::connect {
namespace {

// The driver has had time to associate and DHCP to start before the first look.
constexpr uint32_t kFirstLookDelayMs = 5000;
constexpr uint32_t kPassDelayMs = 1000;
constexpr uint64_t kWaitLimitSeconds = 90;
constexpr uint32_t kAddressChangeTimeoutMs = 120000;
// Systems without the notification look at the address itself; an automatic
// 169.254 address gets three more chances, 3 seconds apart, for DHCP to answer
// after all.
constexpr uint32_t kLinkLocalRetryDelayMs = 3000;
constexpr int kLinkLocalSightings = 3;
constexpr int kEmptySightings = 5;

uint64_t NowSeconds() {
  return platform::Current().Clock().NowMs() / 1000;
}
void Sleep(uint32_t ms) {
  platform::Current().Clock().SleepMs(ms);
}

}  // namespace

// Only the adapter's own entry is released; an adapter IP Helper does not list
// has no address.
void ReleaseAdapterAddress() {
  const int32_t index = LibState().adapterIndex;
  if (index < 0) return;
  auto& ipHelper = platform::Current().IpHelper();
  uint32_t size = 0;
  if (ipHelper.GetInterfaceInfo(nullptr, &size) != platform::kErrorInsufficientBuffer ||
      size < sizeof(platform::IpInterfaceInfo)) {
    return;
  }
  std::vector<platform::IpInterfaceInfo> buffer(size / sizeof(platform::IpInterfaceInfo) + 1);
  auto* info = buffer.data();
  if (ipHelper.GetInterfaceInfo(info, &size) != platform::kErrorSuccess) return;
  const std::size_t room = (buffer.size() * sizeof(platform::IpInterfaceInfo) -
                            offsetof(platform::IpInterfaceInfo, adapter)) /
                           sizeof(platform::IpAdapterIndexMap);
  const std::size_t listed =
      info->numAdapters < 0 ? 0 : static_cast<std::size_t>(info->numAdapters);
  for (std::size_t i = 0; i < listed && i < room; ++i) {
    if (info->adapter[i].index == static_cast<uint32_t>(index)) {
      ipHelper.IpReleaseAddress(&info->adapter[i]);
      return;
    }
  }
}

bool WaitForAddress(const ProfileRecord& profile, AddressChangeWait& change) {
  Sleep(kFirstLookDelayMs);
  const uint64_t start = NowSeconds();
  int linkLocal = 0;
  int empty = 0;
  for (;;) {
    Sleep(kPassDelayMs);
    if (NowSeconds() - start >= kWaitLimitSeconds) {
      VTR_DisConnectToAP();
      return false;
    }
    VtrIpInfo ip{};
    VTR_APInternetInformation(&ip);
    if (IsSupportedOsClass(LibState().osClass)) {
      if (change.Wait(kAddressChangeTimeoutMs)) return true;
      VTR_DisConnectToAP();
      return false;
    }
    const std::string_view address(ip.ipAddress, strnlen(ip.ipAddress, sizeof(ip.ipAddress)));
    if (address.substr(0, 7) == "169.254") {
      if (linkLocal++ >= kLinkLocalSightings) return false;
      Sleep(kLinkLocalRetryDelayMs);
      continue;
    }
    if (address.empty()) {
      if ((profile.authMode & VTR_AUTH_SHARED) != 0 && empty++ >= kEmptySightings) return false;
      continue;
    }
    if (address == "0.0.0.0") continue;
    return true;
  }
}

}  // namespace vtr::connect
