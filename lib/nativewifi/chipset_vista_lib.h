// CChipsetVistaLib: the backend of the shipped Vista build. It narrows the supported adapters to
// its own three USB ids and adds the chipset's driver requests: region, rates, the ad hoc
// channel, and the PHY probe that tells whether the adapter has 802.11a.
#pragma once

#include <atomic>

#include "lib/common/wps_engine.h"
#include "lib/nativewifi/base_vista_lib.h"
#include "lib/nativewifi/vista_wps_requests.h"

namespace vtr {

class CChipsetVistaLib : public CBaseVistaLib {
 public:
  CChipsetVistaLib();

  int32_t Initialize(uintptr_t ownerWindow) override;
  VtrBool GetRadioMode(uint32_t* mode) override;
  VtrBool SetCountryDomain(uint32_t countryCode) override;
  VtrBool SetRegionalDomain(uint32_t regionCode) override;
  VtrBool GetAdapterCapability(VtrCapability* capability) override;
  void APLinkInformation(VtrLinkInfo* link, uint32_t flags) override;
  void DriverParameter(VtrAdapterInfo* info) override;
  VtrBool SetAdhocChannel(const ProfileRecord& profile) override;
  // Wi-Fi Protected Setup (chipset_vista_wps.cpp).
  int32_t WPSInitialize() override;
  int32_t WPSUninitialize() override;
  int32_t WPSStartEngine(const WpsRequest& request, VtrWpsCallback callback,
                         uintptr_t context) override;
  int32_t WPSStopEngine() override;
  int32_t WPSGetProfile(ProfileRecord* record) override;
  int32_t WPSGeneratePin(char* text) override;

  bool HasOfdm() const { return hasOfdm_; }

 private:
  void ProbePhys();

  std::vector<std::string> ownHardwareIds_;
  std::atomic<bool> hasOfdm_{false};
  std::mutex wpsMutex_;  // guards wpsRequest_
  // The engine keeps the running flag (one per run) and the received profile; it is made after
  // its requests and ends before them.
  VistaWpsRequests wpsRequests_{*this, driverHandle_};
  wps::Engine wpsEngine_{wpsRequests_};
};

// The one backend object of the build.
CBaseVistaLib& Backend();

}  // namespace vtr
