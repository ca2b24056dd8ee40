// CChipsetVistaLib: the backend of the shipped Vista build. It narrows the supported adapters to
// its own three USB ids and adds the chipset's driver requests: region, rates, the ad hoc
// channel, and the PHY probe that tells whether the adapter has 802.11a.
#pragma once

#include <atomic>

#include "lib/nativewifi/base_vista_lib.h"

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

  bool HasOfdm() const { return hasOfdm_; }

 private:
  void ProbePhys();

  std::vector<std::string> ownHardwareIds_;
  std::atomic<bool> hasOfdm_{false};
};

// The one backend object of the build.
CBaseVistaLib& Backend();

}  // namespace vtr
