#include "sim/wmi_service.h"

#include <cstdio>

#include "platform/win_errors.h"
#include "sim/ip_forward_table.h"
#include "sim/registry_file_store.h"
#include "sim/registry_hive.h"
#include "sim/wmi_tcpip_values.h"

namespace sim {
namespace {

using platform::HResult;
using platform::WmiObject;
using platform::WmiValue;

constexpr uint32_t kStringArray = platform::kCimString | platform::kCimFlagArray;
constexpr size_t kMostGateways = 5;
constexpr uint32_t kMostGatewayMetric = 9999;

std::string HexResult(HResult result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(result));
  return text;
}

class SimWmiServices : public platform::WmiServices {
 public:
  explicit SimWmiServices(SimWmi& wmi) : wmi_(wmi) {}
  HResult SetProxyBlanket(const platform::WmiProxySecurity& security) override {
    return wmi_.SetProxyBlanket(security);
  }
  HResult GetClass(std::string_view className, platform::WmiClass& wmiClass) override {
    return wmi_.GetClass(className, wmiClass);
  }
  HResult ExecMethod(std::string_view objectPath, std::string_view method,
                     const WmiObject* inParameters, WmiObject& outParameters) override {
    return wmi_.ExecMethod(objectPath, method, inParameters, outParameters);
  }

 private:
  SimWmi& wmi_;
};

// "Class.Index='3'" or "Class.Index=3": the class name and the index.
std::optional<std::pair<std::string, uint32_t>> ParseObjectPath(std::string_view path) {
  const size_t dot = path.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view className = path.substr(0, dot);
  std::string_view key = path.substr(dot + 1);
  const size_t equals = key.find('=');
  if (equals == std::string_view::npos || !RegistryNamesEqual(key.substr(0, equals), "Index")) {
    return std::nullopt;
  }
  std::string_view value = key.substr(equals + 1);
  if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.empty() || value.size() > 9) return std::nullopt;
  uint32_t index = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + static_cast<uint32_t>(c - '0');
  }
  return std::make_pair(std::string(className), index);
}

// The strings of an in-parameter; nothing while it is NULL.
std::optional<std::vector<std::string>> Strings(const WmiObject* in, std::string_view name) {
  std::optional<WmiValue> value;
  if (in == nullptr || in->Get(name, value) != platform::kSOk || !value) return std::nullopt;
  return value->strings;
}

std::optional<std::vector<uint32_t>> Numbers(const WmiObject* in, std::string_view name) {
  std::optional<WmiValue> value;
  if (in == nullptr || in->Get(name, value) != platform::kSOk || !value) return std::nullopt;
  return value->numbers;
}

// A unicast address a host may take: dotted, not 0.0.0.0, not the broadcast address.
bool IsHostAddress(const std::string& text) {
  const auto address = ParseIpv4(text);
  return address && *address != 0 && *address != 0xFFFFFFFFu;
}

// A subnet mask: contiguous ones from the top, not empty.
bool IsSubnetMask(const std::string& text) {
  const auto mask = ParseIpv4(text);
  if (!mask || *mask == 0) return false;
  const uint32_t host = __builtin_bswap32(*mask);
  return (~host & (~host + 1)) == 0;
}

uint32_t EnableStatic(RegistryKey& key, const WmiObject* in, bool& changed) {
  const auto addresses = Strings(in, "IPAddress");
  const auto masks = Strings(in, "SubnetMask");
  if (!addresses || !masks || addresses->empty() || addresses->size() != masks->size()) {
    return kWmiInvalidInput;
  }
  for (const std::string& address : *addresses) {
    if (!IsHostAddress(address)) return kWmiInvalidAddress;
  }
  for (const std::string& mask : *masks) {
    if (!IsSubnetMask(mask)) return kWmiInvalidSubnetMask;
  }
  changed |= SetDwordValue(key, kEnableDhcp, 0);
  changed |= SetMultiTextValue(key, kIpAddress, *addresses);
  changed |= SetMultiTextValue(key, kSubnetMask, *masks);
  return kWmiDone;
}

uint32_t EnableDhcp(RegistryKey& key, bool& changed) {
  // The fixed address is dropped; the gateways stay, as Windows leaves them.
  changed |= SetDwordValue(key, kEnableDhcp, 1);
  changed |= SetMultiTextValue(key, kIpAddress, {"0.0.0.0"});
  changed |= SetMultiTextValue(key, kSubnetMask, {"0.0.0.0"});
  return kWmiDone;
}

uint32_t SetGateways(RegistryKey& key, const WmiObject* in, bool& changed) {
  const auto gateways = Strings(in, "DefaultIPGateway").value_or(std::vector<std::string>{});
  const auto metrics = Numbers(in, "GatewayCostMetric").value_or(std::vector<uint32_t>{});
  if (gateways.size() > kMostGateways) return kWmiTooManyGateways;
  if (metrics.size() > gateways.size()) return kWmiInvalidInput;
  std::vector<std::string> metricTexts;
  for (size_t i = 0; i < gateways.size(); ++i) {
    if (!IsHostAddress(gateways[i])) return kWmiInvalidGateway;
    const uint32_t metric = i < metrics.size() ? metrics[i] : 1;
    if (metric == 0 || metric > kMostGatewayMetric) return kWmiInvalidInput;
    metricTexts.push_back(std::to_string(metric));
  }
  changed |= SetMultiTextValue(key, kDefaultGateway, gateways);
  changed |= SetMultiTextValue(key, kDefaultGatewayMetric, metricTexts);
  return kWmiDone;
}

uint32_t SetDnsServers(RegistryKey& key, const WmiObject* in, bool& changed) {
  const auto servers = Strings(in, "DNSServerSearchOrder").value_or(std::vector<std::string>{});
  std::string list;
  for (const std::string& server : servers) {
    if (!IsHostAddress(server)) return kWmiInvalidAddress;
    list += (list.empty() ? "" : ",") + server;
  }
  // An empty list leaves the servers to DHCP.
  changed |= SetTextValue(key, kNameServer, list);
  return kWmiDone;
}

}  // namespace

platform::WmiClass AdapterConfigurationClass() {
  using platform::WmiProperty;
  platform::WmiClass wmiClass;
  wmiClass.name = kAdapterConfigurationClass;
  wmiClass.methods = {
      {"EnableDHCP", {}},
      {"EnableStatic",
       {WmiProperty{"IPAddress", kStringArray}, WmiProperty{"SubnetMask", kStringArray}}},
      {"SetGateways",
       {WmiProperty{"DefaultIPGateway", kStringArray},
        WmiProperty{"GatewayCostMetric", platform::kCimUint16 | platform::kCimFlagArray}}},
      {"SetDNSServerSearchOrder", {WmiProperty{"DNSServerSearchOrder", kStringArray}}},
  };
  return wmiClass;
}

SimWmi::SimWmi(const std::filesystem::path& hiveFile, const MachineDescription& machine,
               ServiceStateStore& store)
    : hive_(std::make_shared<RegistryFileStore>(hiveFile)), machine_(machine), store_(store) {}

HResult SimWmi::Log(std::string line, HResult result) {
  if (result != platform::kSOk) line += " -> " + HexResult(result);
  calls_.Add(std::move(line));
  return result;
}

std::vector<std::string> SimWmi::Calls() const {
  return calls_.All();
}

std::vector<WmiMethodCall> SimWmi::MethodCalls() const {
  return methodCalls_.All();
}

HResult SimWmi::ConnectServer(std::string_view nameSpace,
                              std::unique_ptr<platform::WmiServices>& services) {
  const std::string call = "ConnectServer " + std::string(nameSpace);
  WmiFaults faults;
  if (store_.ReadWmiFaults(faults) != 0) return Log(call, platform::kWbemEFailed);
  if (faults.connectResult != 0) return Log(call, faults.connectResult);
  if (!RegistryNamesEqual(nameSpace, "root\\cimv2")) {
    return Log(call, platform::kWbemEInvalidNamespace);
  }
  services = std::make_unique<SimWmiServices>(*this);
  return Log(call, platform::kSOk);
}

HResult SimWmi::SetProxyBlanket(const platform::WmiProxySecurity& security) {
  return Log("SetProxyBlanket " + std::to_string(security.authnService) + " " +
                 std::to_string(security.authzService) + " " + std::to_string(security.authnLevel) +
                 " " + std::to_string(security.impLevel),
             platform::kSOk);
}

HResult SimWmi::GetClass(std::string_view className, platform::WmiClass& wmiClass) {
  const std::string call = "GetObject " + std::string(className);
  if (!RegistryNamesEqual(className, kAdapterConfigurationClass)) {
    return Log(call, platform::kWbemENotFound);
  }
  wmiClass = AdapterConfigurationClass();
  return Log(call, platform::kSOk);
}

HResult SimWmi::ExecMethod(std::string_view objectPath, std::string_view method,
                           const WmiObject* inParameters, WmiObject& outParameters) {
  WmiMethodCall record{
      std::string(objectPath), std::string(method),
      inParameters != nullptr ? std::optional<WmiObject>(*inParameters) : std::nullopt,
      platform::kSOk, std::nullopt};
  auto finish = [&](HResult result) {
    record.result = result;
    methodCalls_.Add(record);
    return Log("ExecMethod " + record.objectPath + " " + record.method, result);
  };

  WmiFaults faults;
  if (store_.ReadWmiFaults(faults) != 0) return finish(platform::kWbemEFailed);
  if (faults.execMethodResult != 0) return finish(faults.execMethodResult);
  const auto path = ParseObjectPath(objectPath);
  if (!path) return finish(platform::kWbemEInvalidObjectPath);
  if (!RegistryNamesEqual(path->first, kAdapterConfigurationClass)) {
    return finish(platform::kWbemEInvalidClass);
  }
  const AdapterDescription* adapter = nullptr;
  for (const AdapterDescription& candidate : machine_.adapters) {
    if (candidate.index == path->second) adapter = &candidate;
  }
  if (adapter == nullptr) return finish(platform::kWbemENotFound);
  std::optional<WmiObject> signature;
  if (AdapterConfigurationClass().GetMethod(method, signature) != platform::kSOk) {
    return finish(platform::kWbemEInvalidMethod);
  }
  if (signature && inParameters == nullptr) return finish(platform::kWbemEInvalidMethodParameters);

  uint32_t returnValue = 0;
  if (faults.returnValue) {
    returnValue = *faults.returnValue;
  } else {
    long error = 0;
    returnValue = Run(*adapter, method, inParameters, error);
    if (error != 0) return finish(platform::kWbemEFailed);
  }
  outParameters = WmiObject({platform::WmiProperty{"ReturnValue", platform::kCimUint32}});
  outParameters.Put("ReturnValue", WmiValue::Uint32(returnValue));
  record.returnValue = returnValue;
  return finish(platform::kSOk);
}

uint32_t SimWmi::Run(const AdapterDescription& adapter, std::string_view method,
                     const WmiObject* in, long& error) {
  uint32_t returnValue = kWmiObjectNotFound;
  error = hive_->Modify([&](Hive& hive, bool& changed) {
    RegistryKey* key = FindTcpipInterface(hive, adapter.name);
    if (key == nullptr) {
      returnValue = kWmiObjectNotFound;
    } else if (RegistryNamesEqual(method, "EnableDHCP")) {
      returnValue = EnableDhcp(*key, changed);
    } else if (RegistryNamesEqual(method, "EnableStatic")) {
      returnValue = EnableStatic(*key, in, changed);
    } else if (RegistryNamesEqual(method, "SetGateways")) {
      returnValue = SetGateways(*key, in, changed);
    } else {
      returnValue = SetDnsServers(*key, in, changed);
    }
    // A method that refuses its parameters leaves every setting as it was.
    if (returnValue != kWmiDone) changed = false;
    return platform::kErrorSuccess;
  });
  return returnValue;
}

}  // namespace sim
