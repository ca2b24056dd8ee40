// The WPS engine's requests in the driver build: vendor OIDs through the driver channel, a
// trace line per polled status in the diagnostic log, and a poll every 200 ms.
#pragma once

#include "lib/common/wps_engine.h"

namespace vtr {

class OidWpsRequests : public wps::DriverRequests {
 public:
  bool Set(wps::DriverStep step, void* data, uint32_t length) override;
  bool Query(wps::DriverStep step, void* data, uint32_t length) override;
  void PrepareAdapter() override;
  void Trace(const char* statusName) override;
  uint32_t SurveyChannel() override;
  wps::PskLength PskLengthRule() const override { return wps::PskLength::kCountedCharacters; }
  void AfterSuccess() override;
  void AfterStop() override;
  uint32_t PollIntervalMs() const override { return 200; }
  uint32_t FirstPollDelayMs() const override { return 0; }
};

}  // namespace vtr
