// Start and stop of the driver build, the adapter re-check, and the found adapter's IP settings.
#include <cstring>

#include "lib/common/adapter_search.h"
#include "lib/common/driver_version.h"
#include "lib/common/export_boundary.h"
#include "lib/common/internet_information.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/os_class.h"
#include "lib/driver/supplicant_binding.h"
#include "vtrlib.h"

namespace {

// Every 2.4 GHz mode including 802.11n.
constexpr uint32_t kWirelessModeAll24GHz = 9;

void DetectBands() {
  auto& state = vtr::LibState();
  state.dualBand = 0;
  uint32_t types[5] = {};  // a count, then up to four network types
  if (!vtr::QueryOid(platform::kOid802_11NetworkTypesSupported, types, sizeof(types), nullptr))
    return;
  const uint32_t listed = types[0] < 4 ? types[0] : 4;
  for (uint32_t i = 1; i <= listed; ++i) {
    if (types[i] == platform::kNetworkOfdm5) state.dualBand = 1;
  }
}

void ClearStartSetting() {
  uint32_t value = 0;
  if (vtr::QueryOid(vtr::kOidVendorStartSetting, &value, sizeof(value), nullptr) && value != 0) {
    value = 0;
    vtr::SetOid(vtr::kOidVendorStartSettingSet, &value, sizeof(value), nullptr);
  }
}

void ReadNdisVersion() {
  uint16_t version = 0;
  vtr::QueryOid(platform::kOidGenDriverVersion, &version, sizeof(version), nullptr);
  vtr::LibState().ndisVersion = version;
}

void SelectAllWirelessModes() {
  uint32_t mode = kWirelessModeAll24GHz;
  vtr::SetOid(vtr::kOidVendorWirelessModeSet, &mode, sizeof(mode), nullptr);
}

// The supplicant is brought up once; its port is bound to the adapter's current address, which
// is asked for even when the supplicant could not be brought up.
void BindSupplicantPort() {
  if (!vtr::supplicant::Loaded()) vtr::supplicant::BringUp();
  vtr::supplicant::AttachPort();
}

// The adapter search over this build's hardware ids; the found adapter goes into the state.
int32_t FindAdapter() {
  auto& state = vtr::LibState();
  std::string lastPnpInstanceId;
  const auto found = vtr::SearchAdapter(state.hardwareIds, lastPnpInstanceId);
  std::lock_guard lock(state.mutex);
  if (!lastPnpInstanceId.empty()) state.adapter.pnpInstanceId = lastPnpInstanceId;
  if (!found) return -1;
  state.adapter = *found;
  return found->index;
}

void RememberDriverFacts() {
  const vtr::DriverFacts facts = vtr::ReadDriverVersion(vtr::AdapterName());
  auto& state = vtr::LibState();
  std::lock_guard lock(state.mutex);
  state.driverVersion = facts.version;
  state.driverDate = facts.date;
}

}  // namespace

int32_t VTR_Initialize(uintptr_t /*ownerWindow*/) try {
  auto& state = vtr::LibState();
  state.osClass = vtr::ClassifyOperatingSystem();
  state.adapterIndex = FindAdapter();
  if (!vtr::IsSupportedOsClass(state.osClass)) {
    state.adapterIndex = -1;
    return -1;
  }
  DetectBands();
  ClearStartSetting();
  ReadNdisVersion();
  SelectAllWirelessModes();
  BindSupplicantPort();
  RememberDriverFacts();
  return state.adapterIndex;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

VtrBool VTR_UnInitialize(void) try {
  auto& state = vtr::LibState();
  if (!vtr::IsSupportedOsClass(state.osClass)) return 1;
  if (vtr::supplicant::Loaded()) vtr::supplicant::StopAndDetach();
  state.adapterIndex = -1;
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_IsCardConnect(void) try {
  auto& state = vtr::LibState();
  state.adapterIndex = FindAdapter();
  return state.adapterIndex != -1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

void VTR_APInternetInformation(VtrIpInfo* ip) try {
  vtr::ReadInternetInformation(vtr::AdapterName(), vtr::LibState().adapterIndex, ip);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}
