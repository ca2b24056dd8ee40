#include "sim/service_state.h"

#include <charconv>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "sim/registry_file_store.h"
#include "sim/wmi_tcpip_values.h"

namespace sim {
namespace {

constexpr size_t kRoot = 2;  // HKEY_LOCAL_MACHINE in kRegistryRoots
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;

const RegistryKey* FindKey(const Hive& hive, std::string_view path) {
  return hive.Find(kRoot, SplitKeyPath(path));
}

RegistryKey& MakeKey(Hive& hive, std::string_view path) {
  RegistryKey* key = &hive.roots[kRoot];
  for (std::string_view part : SplitKeyPath(path)) key = &key->AddSubkey(part);
  return *key;
}

std::string ServiceKey(std::string_view name) {
  return "ServiceControl\\" + std::string(name);
}

ServiceRecord LoadService(const RegistryKey* key) {
  ServiceRecord record;
  if (key == nullptr) return record;
  record.state = DwordValue(key, "State").value_or(record.state);
  record.target = DwordValue(key, "Target").value_or(0);
  if (auto due = TextValue(key, "DueMs")) {
    std::from_chars(due->data(), due->data() + due->size(), record.dueMs);
  }
  record.startMs = DwordValue(key, "StartMs").value_or(record.startMs);
  record.stopMs = DwordValue(key, "StopMs").value_or(record.stopMs);
  if (auto fault = TextValue(key, "Fault")) {
    record.fault = ParseServiceFault(*fault).value_or(ServiceFault::kNone);
  }
  return record;
}

bool StoreService(RegistryKey& key, const ServiceRecord& record) {
  bool changed = SetDwordValue(key, "State", record.state);
  changed |= SetDwordValue(key, "Target", record.target);
  changed |= SetTextValue(key, "DueMs", std::to_string(record.dueMs));
  changed |= SetDwordValue(key, "StartMs", record.startMs);
  changed |= SetDwordValue(key, "StopMs", record.stopMs);
  changed |= SetTextValue(key, "Fault", ServiceFaultName(record.fault));
  return changed;
}

WmiFaults LoadWmiFaults(const RegistryKey* key) {
  WmiFaults faults;
  faults.connectResult = static_cast<int32_t>(DwordValue(key, "ConnectResult").value_or(0));
  faults.execMethodResult = static_cast<int32_t>(DwordValue(key, "ExecMethodResult").value_or(0));
  faults.returnValue = DwordValue(key, "ReturnValue");
  return faults;
}

}  // namespace

std::string_view ServiceFaultName(ServiceFault fault) {
  switch (fault) {
    case ServiceFault::kNone:
      return "none";
    case ServiceFault::kHang:
      return "hang";
    case ServiceFault::kRefuse:
      return "refuse";
    case ServiceFault::kMissing:
      return "missing";
  }
  return "none";
}

std::optional<ServiceFault> ParseServiceFault(std::string_view name) {
  for (ServiceFault fault :
       {ServiceFault::kNone, ServiceFault::kHang, ServiceFault::kRefuse, ServiceFault::kMissing}) {
    if (ServiceFaultName(fault) == name) return fault;
  }
  return std::nullopt;
}

ServiceRecord SettledAt(ServiceRecord record, uint64_t nowMs) {
  const bool pending = record.state == kServiceStartPending || record.state == kServiceStopPending;
  if (pending && record.target != 0 && nowMs >= record.dueMs) {
    record.state = record.target;
    record.target = 0;
    record.dueMs = 0;
  }
  return record;
}

ServiceStateStore::ServiceStateStore(const std::filesystem::path& machineDirectory)
    : store_(std::make_shared<RegistryFileStore>(machineDirectory / kServicesStateFile)) {}

long ServiceStateStore::ReadService(std::string_view name, ServiceRecord& record) {
  return store_->Read([&](const Hive& hive) {
    record = LoadService(FindKey(hive, ServiceKey(name)));
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::ChangeService(std::string_view name,
                                      const std::function<void(ServiceRecord&)>& change) {
  return store_->Modify([&](Hive& hive, bool& changed) {
    ServiceRecord record = LoadService(FindKey(hive, ServiceKey(name)));
    const ServiceRecord before = record;
    change(record);
    if (record != before) changed = StoreService(MakeKey(hive, ServiceKey(name)), record);
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::ReadWmiFaults(WmiFaults& faults) {
  return store_->Read([&](const Hive& hive) {
    faults = LoadWmiFaults(FindKey(hive, "Wmi"));
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::ChangeWmiFaults(const std::function<void(WmiFaults&)>& change) {
  return store_->Modify([&](Hive& hive, bool& changed) {
    WmiFaults faults = LoadWmiFaults(FindKey(hive, "Wmi"));
    change(faults);
    RegistryKey& key = MakeKey(hive, "Wmi");
    changed = SetDwordValue(key, "ConnectResult", static_cast<uint32_t>(faults.connectResult));
    changed |=
        SetDwordValue(key, "ExecMethodResult", static_cast<uint32_t>(faults.execMethodResult));
    if (faults.returnValue) {
      changed |= SetDwordValue(key, "ReturnValue", *faults.returnValue);
    } else {
      changed |= key.RemoveValue("ReturnValue");
    }
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::ReadWow64(Wow64Answer& answer) {
  return store_->Read([&](const Hive& hive) {
    const auto text = TextValue(FindKey(hive, "Kernel32"), "IsWow64Process").value_or("native");
    answer = text == "wow64"    ? Wow64Answer::kWow64
             : text == "absent" ? Wow64Answer::kAbsent
                                : Wow64Answer::kNative;
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::SetWow64(Wow64Answer answer) {
  return store_->Modify([&](Hive& hive, bool& changed) {
    const char* text = answer == Wow64Answer::kWow64    ? "wow64"
                       : answer == Wow64Answer::kAbsent ? "absent"
                                                        : "native";
    changed = SetTextValue(MakeKey(hive, "Kernel32"), "IsWow64Process", text);
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::ReadDeletedRoutes(uint32_t ifIndex,
                                          std::vector<std::pair<std::string, std::string>>& rows) {
  return store_->Read([&](const Hive& hive) {
    rows.clear();
    const RegistryKey* key = FindKey(hive, "IpForward\\Deleted\\" + std::to_string(ifIndex));
    if (key == nullptr) return platform::kErrorSuccess;
    for (const RegistryValue& value : key->values) {
      if (value.type != platform::kRegSz || value.data.empty()) continue;
      rows.emplace_back(value.name, value.data.substr(0, value.data.size() - 1));
    }
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::AddDeletedRoute(uint32_t ifIndex, const std::string& route,
                                        const std::string& configuration) {
  return store_->Modify([&](Hive& hive, bool& changed) {
    changed = SetTextValue(MakeKey(hive, "IpForward\\Deleted\\" + std::to_string(ifIndex)), route,
                           configuration);
    return platform::kErrorSuccess;
  });
}

long ServiceStateStore::Reset() {
  return store_->Modify([&](Hive& hive, bool& changed) {
    RegistryKey& root = hive.roots[kRoot];
    changed = !root.subkeys.empty() || !root.values.empty();
    root.subkeys.clear();
    root.values.clear();
    return platform::kErrorSuccess;
  });
}

}  // namespace sim
