#include "sim/machine_description.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <limits>

namespace sim {
namespace {

using nlohmann::json;

// Reading a description reports the first fault with the path of the field, so that a user who
// edits machine.json by hand knows which line to look at.
class FieldError {
 public:
  explicit FieldError(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

const json& Required(const json& object, const std::string& where, const char* field) {
  auto it = object.find(field);
  if (it == object.end()) throw FieldError(where + ": missing required field \"" + field + "\"");
  return *it;
}

std::string Text(const json& value, const std::string& where) {
  if (!value.is_string()) throw FieldError(where + ": expected a text");
  return value.get<std::string>();
}

template <typename T>
T Number(const json& value, const std::string& where) {
  if (!value.is_number_integer()) throw FieldError(where + ": expected a whole number");
  const auto n = value.get<int64_t>();
  if (n < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
      n > static_cast<int64_t>(std::numeric_limits<T>::max())) {
    throw FieldError(where + ": number out of range");
  }
  return static_cast<T>(n);
}

bool Flag(const json& value, const std::string& where) {
  if (!value.is_boolean()) throw FieldError(where + ": expected true or false");
  return value.get<bool>();
}

template <typename Read>
void Optional(const json& object, const std::string& where, const char* field, Read read) {
  auto it = object.find(field);
  if (it != object.end()) read(*it, where + "." + field);
}

std::vector<uint8_t> MacAddress(const json& value, const std::string& where) {
  const std::string text = Text(value, where);
  std::vector<uint8_t> bytes;
  size_t pos = 0;
  while (pos < text.size()) {
    uint8_t byte = 0;
    auto [end, ec] =
        std::from_chars(text.data() + pos, text.data() + std::min(pos + 2, text.size()), byte, 16);
    if (ec != std::errc() || end != text.data() + pos + 2) {
      throw FieldError(where + ": expected an address like 00-0C-43-12-34-56");
    }
    bytes.push_back(byte);
    pos += 2;
    if (pos < text.size()) {
      if (text[pos] != '-' && text[pos] != ':') {
        throw FieldError(where + ": expected an address like 00-0C-43-12-34-56");
      }
      ++pos;
    }
  }
  if (bytes.empty() || bytes.size() > 8)
    throw FieldError(where + ": expected 1 to 8 address bytes");
  return bytes;
}

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
      adapter.type = 71;
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
  return adapter;
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
  return machine;
}

}  // namespace

std::variant<MachineDescription, std::string> ParseMachineDescription(std::string_view text) {
  try {
    return ReadMachine(json::parse(text));
  } catch (const json::parse_error& error) {
    // The library's message reads "[json.exception.parse_error.101] parse error at line ...".
    std::string detail = error.what();
    const auto at = detail.find("parse error");
    if (at != std::string::npos) detail = detail.substr(at);
    return "machine.json: not valid JSON: " + detail;
  } catch (const FieldError& error) {
    return error.message();
  }
}

std::string UserTempPath(const MachineDescription& machine) {
  if (machine.os.platformId == 2 && machine.os.major >= 6) {
    return "C:\\Users\\" + machine.userName + "\\AppData\\Local\\Temp\\";
  }
  return "C:\\Documents and Settings\\" + machine.userName + "\\Local Settings\\Temp\\";
}

}  // namespace sim
