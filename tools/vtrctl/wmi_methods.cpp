#include "tools/vtrctl/wmi_methods.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "app/core/vtr_library.h"
#include "tools/vtrctl/cli.h"

namespace vtrctl {
namespace {

template <typename Function>
Function Export(const core::CVtrLibrary& lib, const char* name) {
  Dl_info info{};
  if (dladdr(lib.EntryAddress(core::VtrEntry::Initialize), &info) == 0 ||
      info.dli_fname == nullptr) {
    throw Failure("the adapter library's file cannot be found");
  }
  void* module = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  void* address = module != nullptr ? dlsym(module, name) : nullptr;
  if (address == nullptr) throw Failure(std::string("the adapter library lacks ") + name);
  return reinterpret_cast<Function>(address);
}

// What the library printed on standard output while call ran.
template <typename Call>
std::string CaughtOutput(Call call) {
  std::fflush(stdout);
  const int caught = ::memfd_create("wmi-progress", MFD_CLOEXEC);
  const int saved = ::dup(STDOUT_FILENO);
  if (caught < 0 || saved < 0 || ::dup2(caught, STDOUT_FILENO) < 0) {
    throw Failure("cannot read the library's progress lines");
  }
  call();
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  std::string text;
  char buffer[512];
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(caught, buffer, sizeof buffer, at);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    at += got;
  }
  ::close(caught);
  return text;
}

// The method's ReturnValue as the library's line tells it: "... succeeded" 0, "... succeeded,
// but reboot required" 1, "... failed with return code = N" N.
std::optional<uint32_t> ReturnValueOf(std::string_view lines) {
  constexpr std::string_view kFailed = "failed with return code = ";
  if (const auto at = lines.find(kFailed); at != std::string_view::npos) {
    uint32_t value = 0;
    bool digits = false;
    for (std::size_t i = at + kFailed.size(); i < lines.size(); ++i) {
      if (lines[i] < '0' || lines[i] > '9') break;
      value = value * 10 + static_cast<uint32_t>(lines[i] - '0');
      digits = true;
    }
    if (digits) return value;
    return std::nullopt;
  }
  if (lines.find("succeeded, but reboot required") != std::string_view::npos) return 1;
  if (lines.find("succeeded") != std::string_view::npos) return 0;
  return std::nullopt;
}

// The ReturnValues of Win32_NetworkAdapterConfiguration's methods that a user meets.
std::string_view ReturnValueMeaning(uint32_t value) {
  switch (value) {
    case 64:
      return "method not supported on this platform";
    case 65:
      return "unknown failure";
    case 66:
      return "invalid subnet mask";
    case 67:
      return "an error occurred while processing an instance";
    case 68:
      return "invalid input parameter";
    case 69:
      return "more than five gateways";
    case 70:
      return "invalid IP address";
    case 71:
      return "invalid gateway IP address";
    case 72:
      return "an error occurred while accessing the registry";
    case 84:
      return "IP not enabled on the adapter";
    case 91:
      return "access denied";
    case 92:
      return "out of memory";
    case 94:
      return "path, file or object not found";
    case 97:
      return "interface not configurable";
    case 100:
      return "DHCP not enabled on the adapter";
    default:
      return "";
  }
}

}  // namespace

std::string WmiOutcome::FailureText() const {
  if (!ran) {
    return method +
           " did not run: WMI, the adapter's configuration or the method could not "
           "be reached";
  }
  if (!returnValue) return method + " ran, but the library did not tell its result";
  const std::string_view meaning = ReturnValueMeaning(*returnValue);
  return method + " was refused: " + std::to_string(*returnValue) +
         (meaning.empty() ? "" : " (" + std::string(meaning) + ")");
}

nlohmann::json WmiOutcome::Json() const {
  nlohmann::json out = {{"method", method}, {"ran", ran}};
  out["returnValue"] = returnValue ? nlohmann::json(*returnValue) : nlohmann::json(nullptr);
  return out;
}

WmiMethods::WmiMethods(const core::CVtrLibrary& lib, std::ostream& progress)
    : progress_(progress),
      enableDhcp_(Export<decltype(enableDhcp_)>(lib, "VTR_WMIEnableDHCP")),
      enableStatic_(Export<decltype(enableStatic_)>(lib, "VTR_WMIEnableStatic")),
      setGateway_(Export<decltype(setGateway_)>(lib, "VTR_WMISetDefaultGateway")),
      setDns_(Export<decltype(setDns_)>(lib, "VTR_WMISetDNSServerSearchOrder")) {}

template <typename Call>
WmiOutcome WmiMethods::Run(const char* method, Call call) {
  int32_t result = 1;
  const std::string lines = CaughtOutput([&] { result = call(); });
  progress_ << lines << std::flush;
  WmiOutcome outcome;
  outcome.method = method;
  outcome.ran = result == 0;
  if (outcome.ran) outcome.returnValue = ReturnValueOf(lines);
  return outcome;
}

WmiOutcome WmiMethods::EnableDhcp(int32_t index) {
  return Run("EnableDHCP", [&] { return enableDhcp_(index); });
}

WmiOutcome WmiMethods::EnableStatic(int32_t index, const std::string& address,
                                    const std::string& mask) {
  return Run("EnableStatic", [&] { return enableStatic_(index, address.c_str(), mask.c_str()); });
}

WmiOutcome WmiMethods::SetGateway(int32_t index, const std::string& gateway) {
  return Run("SetGateways", [&] { return setGateway_(index, gateway.c_str()); });
}

WmiOutcome WmiMethods::SetDns(int32_t index, const std::string& first, const std::string& second) {
  return Run("SetDNSServerSearchOrder",
             [&] { return setDns_(index, first.c_str(), second.c_str()); });
}

}  // namespace vtrctl
