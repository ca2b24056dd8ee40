// The library's WMI exports, which set the adapter's IPv4 configuration through methods of its
// Win32_NetworkAdapterConfiguration. The utility never calls them, so the binding has no
// wrappers: they are looked up by name in the very library the binding loaded. An export
// answers only whether the method ran; what the method answered (its ReturnValue) is in the
// progress line the library prints, so each call's standard output is caught and read, then
// passed on.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "vtrlib.h"

namespace core {
class CVtrLibrary;
}

namespace vtrctl {

struct WmiOutcome {
  std::string method;  // "EnableStatic", "SetGateways", ...
  bool ran = false;    // the export's result was 0
  // The method's ReturnValue, when the library's line gave one.
  std::optional<uint32_t> returnValue;

  // Ran, and answered 0 (done) or 1 (done once the machine restarts).
  bool Done() const { return ran && returnValue && *returnValue <= 1; }
  // "EnableStatic was refused: 70 (invalid IP address)", or why it did not run.
  std::string FailureText() const;
  nlohmann::json Json() const;
};

class WmiMethods {
 public:
  // Fails when the library lacks an export. progress receives the library's lines.
  WmiMethods(const core::CVtrLibrary& lib, std::ostream& progress);

  WmiOutcome EnableDhcp(int32_t index);
  WmiOutcome EnableStatic(int32_t index, const std::string& address, const std::string& mask);
  // An empty gateway removes the gateways.
  WmiOutcome SetGateway(int32_t index, const std::string& gateway);
  // No server leaves the servers to DHCP.
  WmiOutcome SetDns(int32_t index, const std::string& first, const std::string& second);

 private:
  template <typename Call>
  WmiOutcome Run(const char* method, Call call);

  std::ostream& progress_;
  decltype(&VTR_WMIEnableDHCP) enableDhcp_;
  decltype(&VTR_WMIEnableStatic) enableStatic_;
  decltype(&VTR_WMISetDefaultGateway) setGateway_;
  decltype(&VTR_WMISetDNSServerSearchOrder) setDns_;
};

}  // namespace vtrctl
