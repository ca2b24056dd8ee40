// The WPS engine's requests in the Native Wi-Fi build: the chipset's own request codes, the sets
// through the adapter's device object and the queries through the protocol driver's channel; a
// first poll 1000 ms after the start and one every 1000 ms after it, and no trace. A start takes
// the adapter off its network through the backend; a stop waits 1200 ms, then disconnects.
#pragma once

#include <atomic>

#include "lib/common/wps_engine.h"
#include "lib/nativewifi/base_vista_lib.h"

namespace vtr {

class VistaWpsRequests : public wps::DriverRequests {
 public:
  // driverHandle: the backend's protocol-driver handle, read at each query.
  VistaWpsRequests(CBaseVistaLib& backend, const std::atomic<platform::DeviceHandle>& driverHandle);

  bool Set(wps::DriverStep step, void* data, uint32_t length) override;
  bool Query(wps::DriverStep step, void* data, uint32_t length) override;
  void PrepareAdapter() override;
  void Trace(const char* /*statusName*/) override {}
  uint32_t SurveyChannel() override { return 0; }
  wps::PskLength PskLengthRule() const override { return wps::PskLength::kCredentialKeyLength; }
  void AfterSuccess() override {}
  void AfterStop() override;
  uint32_t PollIntervalMs() const override { return 1000; }
  uint32_t FirstPollDelayMs() const override { return 1000; }

 private:
  CBaseVistaLib& backend_;
  const std::atomic<platform::DeviceHandle>& driverHandle_;
};

}  // namespace vtr
