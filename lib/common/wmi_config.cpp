// The adapter's IPv4 configuration through WMI: each export runs one method of the adapter's
// Win32_NetWorkAdapterConfiguration instance and reports how far it got. The method's own
// verdict is only written to standard output; callers learn from the result whether the method
// ran at all.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lib/common/export_boundary.h"
#include "lib/common/zero_config_build.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace {

using platform::WmiValue;

constexpr const char* kNamespace = "root\\cimv2";
constexpr const char* kClass = "Win32_NetWorkAdapterConfiguration";
constexpr const char* kTcpipInterfacesKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
// "Path, file or object not found": EnableDHCP's answer when the interface's TCP/IP key is
// missing, which the library then creates itself.
constexpr uint32_t kObjectNotFound = 94;
constexpr int32_t kMethodRan = 0;
constexpr int32_t kMethodNotRun = 1;

struct Parameter {
  const char* name;
  WmiValue value;
};

void Progress(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

void ReportReturnValue(uint32_t returnValue) {
  // One wording for every method: callers only ever asked about EnableStatic.
  if (returnValue == 0) {
    Progress("EnableStatic succeeded\n");
  } else if (returnValue == 1) {
    Progress("EnableStatic succeeded, but reboot required\n");
  } else {
    std::printf("EnableStatic failed with return code = %" PRIu32 "\n", returnValue);
    std::fflush(stdout);
  }
}

// Runs method on the adapter's configuration with parameters; the method's ReturnValue, when it
// gave one, goes to returnValue.
int32_t CallAdapterMethod(int32_t adapterIndex, const char* method,
                          std::vector<Parameter> parameters, uint32_t* returnValue = nullptr) {
  char path[96];
  std::snprintf(path, sizeof path, "%s.Index='%d'", kClass, adapterIndex);

  std::unique_ptr<platform::WmiServices> services;
  if (!platform::Succeeded(platform::Current().Wmi().ConnectServer(kNamespace, services)) ||
      !services) {
    return kMethodNotRun;
  }
  Progress("Connected to WMI\n");
  const platform::WmiProxySecurity security{platform::kRpcAuthnWinNt, platform::kRpcAuthzNone,
                                            platform::kRpcAuthnLevelCall,
                                            platform::kRpcImpLevelImpersonate};
  if (!platform::Succeeded(services->SetProxyBlanket(security))) return kMethodNotRun;

  platform::WmiClass wmiClass;
  if (!platform::Succeeded(services->GetClass(kClass, wmiClass))) return kMethodNotRun;
  std::optional<platform::WmiObject> inParameters;
  if (!parameters.empty()) {
    std::optional<platform::WmiObject> signature;
    if (!platform::Succeeded(wmiClass.GetMethod(method, signature)) || !signature) {
      return kMethodNotRun;
    }
    inParameters = *signature;  // SpawnInstance
    for (Parameter& parameter : parameters) {
      if (!platform::Succeeded(inParameters->Put(parameter.name, std::move(parameter.value)))) {
        return kMethodNotRun;
      }
    }
  }

  platform::WmiObject outParameters;
  const platform::HResult executed =
      services->ExecMethod(path, method, inParameters ? &*inParameters : nullptr, outParameters);
  if (!platform::Succeeded(executed)) {
    std::printf("ExecMethod failed 0x%08" PRIX32 "\n", static_cast<uint32_t>(executed));
    std::fflush(stdout);
    return kMethodNotRun;
  }
  std::optional<WmiValue> result;
  if (platform::Succeeded(outParameters.Get("ReturnValue", result)) && result &&
      !result->numbers.empty()) {
    ReportReturnValue(result->numbers.front());
    if (returnValue != nullptr) *returnValue = result->numbers.front();
  }
  return kMethodRan;
}

// "" is no entry: callers pass empty text for a server or gateway they do not set.
bool Given(const char* text) {
  return text != nullptr && *text != '\0';
}

}  // namespace

int32_t VTR_WMIEnableDHCP(int32_t adapterIndex) try {
  uint32_t returnValue = 0;
  const int32_t result = CallAdapterMethod(adapterIndex, "EnableDHCP", {}, &returnValue);
  if (result == kMethodRan && returnValue == kObjectNotFound) {
    const std::string key = kTcpipInterfacesKey + vtr::ThisBuildZeroConfig().adapterName();
    VTR_SetRegistryDWORD(key.c_str(), "EnableDHCP", 1, VTR_HKEY_LOCAL_MACHINE, 0);
  }
  return result;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{1});
}

int32_t VTR_WMIEnableStatic(int32_t adapterIndex, const char* address, const char* mask) try {
  return CallAdapterMethod(
      adapterIndex, "EnableStatic",
      {{"IPAddress", WmiValue::StringArray({address != nullptr ? address : ""})},
       {"SubnetMask", WmiValue::StringArray({mask != nullptr ? mask : ""})}});
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{1});
}

int32_t VTR_WMISetDefaultGateway(int32_t adapterIndex, const char* gateway) try {
  std::vector<std::string> gateways;
  std::vector<uint8_t> metrics;
  if (Given(gateway)) {
    gateways.emplace_back(gateway);
    metrics.push_back(1);
  }
  return CallAdapterMethod(adapterIndex, "SetGateways",
                           {{"DefaultIPGateway", WmiValue::StringArray(std::move(gateways))},
                            {"GatewayCostMetric", WmiValue::Uint8Array(metrics)}});
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{1});
}

int32_t VTR_WMISetDNSServerSearchOrder(int32_t adapterIndex, const char* first,
                                       const char* second) try {
  std::vector<std::string> servers;
  if (Given(first)) servers.emplace_back(first);
  if (Given(second)) servers.emplace_back(second);
  return CallAdapterMethod(adapterIndex, "SetDNSServerSearchOrder",
                           {{"DNSServerSearchOrder", WmiValue::StringArray(std::move(servers))}});
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{1});
}
