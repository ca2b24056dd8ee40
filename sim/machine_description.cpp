#include "sim/machine_description.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <set>

#include "sim/description_fields.h"

namespace sim {
namespace {

using namespace fields;

OsDescription ReadOs(const json& value, const std::string& where) {
  if (!value.is_object()) throw FieldError(where + ": expected an object");
  OsDescription os;
  os.platformId = Number<uint32_t>(Required(value, where, "platformId"), where + ".platformId");
  os.major = Number<uint32_t>(Required(value, where, "major"), where + ".major");
  os.minor = Number<uint32_t>(Required(value, where, "minor"), where + ".minor");
  Optional(value, where, "build",
           [&](const json& v, const std::string& w) { os.build = Number<uint32_t>(v, w); });
  Optional(value, where, "servicePack", [&](const json& v, const std::string& w) {
    os.servicePack = Text(v, w);
    if (os.servicePack.size() > 127) throw FieldError(w + ": at most 127 characters");
  });
  Optional(value, where, "extendedVersionInfo",
           [&](const json& v, const std::string& w) { os.extendedVersionInfo = Flag(v, w); });
  return os;
}

DriverDescription ReadDriver(const json& value, const std::string& where) {
  if (!value.is_object()) throw FieldError(where + ": expected an object");
  DriverDescription driver;
  Optional(value, where, "version",
           [&](const json& v, const std::string& w) { driver.version = Text(v, w); });
  Optional(value, where, "date",
           [&](const json& v, const std::string& w) { driver.date = Text(v, w); });
  Optional(value, where, "service",
           [&](const json& v, const std::string& w) { driver.service = Text(v, w); });
  Optional(value, where, "imagePath",
           [&](const json& v, const std::string& w) { driver.imagePath = Text(v, w); });
  Optional(value, where, "file", [&](const json& v, const std::string& w) {
    if (!v.is_object()) throw FieldError(w + ": expected an object");
    DriverFileDescription file;
    file.version = Text(Required(v, w, "version"), w + ".version");
    file.lastWrite = Text(Required(v, w, "lastWrite"), w + ".lastWrite");
    driver.file = file;
  });
  if (driver.file && driver.imagePath.empty()) {
    throw FieldError(where + ": a driver file needs an \"imagePath\"");
  }
  return driver;
}

// "1.5": the firmware's major and minor numbers, as the driver reports them in one word.
uint16_t VersionWord(const json& value, const std::string& where) {
  const std::string text = Text(value, where);
  unsigned major = 0, minor = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%u.%u%c", &major, &minor, &tail) != 2 || major > 255 ||
      minor > 255) {
    throw FieldError(where + ": expected \"major.minor\" like \"1.5\"");
  }
  return static_cast<uint16_t>(major << 8 | minor);
}

RadioDescription ReadRadio(const json& value, const std::string& where) {
  ExpectObject(value, where);
  RadioDescription radio;
  Optional(value, where, "dualBand",
           [&](const json& v, const std::string& w) { radio.dualBand = Flag(v, w); });
  Optional(value, where, "firmwareVersion",
           [&](const json& v, const std::string& w) { radio.firmwareVersion = VersionWord(v, w); });
  Optional(value, where, "ndisVersion",
           [&](const json& v, const std::string& w) { radio.ndisVersion = VersionWord(v, w); });
  Optional(value, where, "region", [&](const json& v, const std::string& w) {
    radio.region = Number<uint32_t>(v, w);
    if (radio.region > 0x7F) throw FieldError(w + ": expected 0 to 127");
  });
  Optional(value, where, "radioOn",
           [&](const json& v, const std::string& w) { radio.radioOn = Flag(v, w); });
  Optional(value, where, "scanTimeMs", [&](const json& v, const std::string& w) {
    radio.scanTimeMs = Number<uint32_t>(v, w);
    if (radio.scanTimeMs > 60000) throw FieldError(w + ": at most 60000");
  });
  Optional(value, where, "associationTimeMs", [&](const json& v, const std::string& w) {
    radio.associationTimeMs = Number<uint32_t>(v, w);
    if (radio.associationTimeMs > 60000) throw FieldError(w + ": at most 60000");
  });
  Optional(value, where, "protocolDriver", [&](const json& v, const std::string& w) {
    radio.protocolDriver = Text(v, w);
    if (radio.protocolDriver.empty() || radio.protocolDriver.size() > 64 ||
        radio.protocolDriver.find('\\') != std::string::npos) {
      throw FieldError(w + ": expected a device name of 1 to 64 characters without \"\\\"");
    }
  });
  return radio;
}

AdapterDescription ReadAdapter(const json& value, const std::string& where) {
  if (!value.is_object()) throw FieldError(where + ": expected an object");
  AdapterDescription adapter;
  adapter.name = Text(Required(value, where, "name"), where + ".name");
  adapter.description = Text(Required(value, where, "description"), where + ".description");
  adapter.index = Number<uint32_t>(Required(value, where, "index"), where + ".index");
  adapter.mac = MacAddress(Required(value, where, "mac"), where + ".mac");
  if (adapter.name.size() > 259) throw FieldError(where + ".name: at most 259 characters");
  if (adapter.description.size() > 131) {
    throw FieldError(where + ".description: at most 131 characters");
  }
  Optional(value, where, "type", [&](const json& v, const std::string& w) {
    const std::string type = Text(v, w);
    if (type == "ethernet") {
      adapter.type = 6;
    } else if (type == "wireless") {
      adapter.type = kIfTypeIeee80211;
    } else {
      throw FieldError(w + ": expected \"ethernet\" or \"wireless\"");
    }
  });
  Optional(value, where, "pnpInstanceId",
           [&](const json& v, const std::string& w) { adapter.pnpInstanceId = Text(v, w); });
  Optional(value, where, "connectionName",
           [&](const json& v, const std::string& w) { adapter.connectionName = Text(v, w); });
  Optional(value, where, "classInstance",
           [&](const json& v, const std::string& w) { adapter.classInstance = Text(v, w); });
  Optional(value, where, "componentId",
           [&](const json& v, const std::string& w) { adapter.componentId = Text(v, w); });
  Optional(value, where, "driver",
           [&](const json& v, const std::string& w) { adapter.driver = ReadDriver(v, w); });
  Optional(value, where, "dhcpEnabled",
           [&](const json& v, const std::string& w) { adapter.dhcpEnabled = Flag(v, w); });
  Optional(value, where, "ipAddress",
           [&](const json& v, const std::string& w) { adapter.ipAddress = Text(v, w); });
  Optional(value, where, "subnetMask",
           [&](const json& v, const std::string& w) { adapter.subnetMask = Text(v, w); });
  Optional(value, where, "gateway",
           [&](const json& v, const std::string& w) { adapter.gateway = Text(v, w); });
  Optional(value, where, "dhcpServer",
           [&](const json& v, const std::string& w) { adapter.dhcpServer = Text(v, w); });
  Optional(value, where, "dnsServers", [&](const json& v, const std::string& w) {
    if (!v.is_array() || v.size() > 7)
      throw FieldError(w + ": expected a list of up to 7 addresses");
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string at = w + "[" + std::to_string(i) + "]";
      adapter.dnsServers.push_back(Text(v[i], at));
      if (!IsIpv4Address(adapter.dnsServers.back())) {
        throw FieldError(at + ": expected an address like 192.168.1.1");
      }
    }
  });
  Optional(value, where, "autonet",
           [&](const json& v, const std::string& w) { adapter.autonet = Flag(v, w); });
  Optional(value, where, "autonetDelayMs", [&](const json& v, const std::string& w) {
    adapter.autonetDelayMs = Number<uint32_t>(v, w);
    if (adapter.autonetDelayMs > 3'600'000) throw FieldError(w + ": at most 3600000 (an hour)");
  });
  Optional(value, where, "adminStatus", [&](const json& v, const std::string& w) {
    const std::string status = Text(v, w);
    if (status != "up" && status != "down") throw FieldError(w + ": expected \"up\" or \"down\"");
    adapter.adminUp = status == "up";
  });
  Optional(value, where, "radio", [&](const json& v, const std::string& w) {
    if (adapter.type != kIfTypeIeee80211) throw FieldError(w + ": only a wireless adapter has one");
    adapter.radio = ReadRadio(v, w);
  });
  return adapter;
}

LogonCredentials ReadLogonCredentials(const json& value, const std::string& where) {
  ExpectObject(value, where);
  LogonCredentials credentials;
  credentials.identity = Text(Required(value, where, "identity"), where + ".identity");
  if (credentials.identity.empty()) throw FieldError(where + ".identity: expected a user name");
  credentials.password = Text(Required(value, where, "password"), where + ".password");
  Optional(value, where, "domain",
           [&](const json& v, const std::string& w) { credentials.domain = Text(v, w); });
  return credentials;
}

MachineDescription ReadMachine(const json& root) {
  const std::string where = "machine.json";
  if (!root.is_object()) throw FieldError(where + ": expected an object at the top");
  MachineDescription machine;
  machine.name = Text(Required(root, where, "name"), where + ".name");
  machine.os = ReadOs(Required(root, where, "os"), where + ".os");
  Optional(root, where, "windowsDirectory",
           [&](const json& v, const std::string& w) { machine.windowsDirectory = Text(v, w); });
  Optional(root, where, "userName",
           [&](const json& v, const std::string& w) { machine.userName = Text(v, w); });
  Optional(root, where, "utcOffsetMinutes", [&](const json& v, const std::string& w) {
    machine.utcOffsetMinutes = Number<int32_t>(v, w);
  });
  Optional(root, where, "timeScale", [&](const json& v, const std::string& w) {
    if (!v.is_number() || v.get<double>() <= 0)
      throw FieldError(w + ": expected a positive number");
    machine.timeScale = v.get<double>();
  });
  const json& adapters = Required(root, where, "adapters");
  if (!adapters.is_array()) throw FieldError(where + ".adapters: expected a list");
  for (size_t i = 0; i < adapters.size(); ++i) {
    machine.adapters.push_back(
        ReadAdapter(adapters[i], where + ".adapters[" + std::to_string(i) + "]"));
  }
  Optional(root, where, "neighbourhood", [&](const json& v, const std::string& w) {
    if (!v.is_array()) throw FieldError(w + ": expected a list");
    std::set<std::array<uint8_t, 6>> seen;
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string at = w + "[" + std::to_string(i) + "]";
      machine.neighbourhood.push_back(ReadNetwork(v[i], at));
      if (!seen.insert(machine.neighbourhood.back().bssid).second) {
        throw FieldError(at + ".bssid: another network has this address");
      }
    }
  });
  Optional(root, where, "logonDomain", [&](const json& v, const std::string& w) {
    machine.logonDomain = ReadLogonDomain(v, w);
  });
  Optional(root, where, "certificates", [&](const json& v, const std::string& w) {
    machine.personalCertificates = ReadPersonalCertificates(v, w);
  });
  Optional(root, where, "supplicant", [&](const json& v, const std::string& w) {
    machine.supplicant = ReadSupplicantDescription(v, w);
  });
  Optional(root, where, "logonCredentials", [&](const json& v, const std::string& w) {
    machine.logonCredentials = ReadLogonCredentials(v, w);
  });
  return machine;
}

}  // namespace

std::variant<MachineDescription, std::string> ParseMachineDescription(std::string_view text) {
  MachineDescription machine;
  if (auto fault = ParseDocument(text, "machine.json",
                                 [&](const json& root) { machine = ReadMachine(root); })) {
    return *fault;
  }
  return machine;
}

std::string UserTempPath(const MachineDescription& machine) {
  if (machine.os.platformId == 2 && machine.os.major >= 6) {
    return "C:\\Users\\" + machine.userName + "\\AppData\\Local\\Temp\\";
  }
  return "C:\\Documents and Settings\\" + machine.userName + "\\Local Settings\\Temp\\";
}

}  // namespace sim
