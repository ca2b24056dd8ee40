#include "lib/common/driver_version.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "lib/common/network_keys.h"
#include "lib/common/registry_access.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace vtr {
namespace {

std::optional<std::string> ReadText(const std::string& key, const char* name, uint32_t maxBytes) {
  return ReadRegistryText(key, name, maxBytes, VTR_HKEY_LOCAL_MACHINE);
}

// The class-key subkey whose NetCfgInstanceId is exactly the adapter's name.
std::optional<std::string> AdapterClassKey(const std::string& adapterName) {
  for (uint32_t index = 0;; ++index) {
    const auto subkey =
        EnumerateSubkey(kNetworkClassKey, index, kClassSubkeyNameChars, VTR_HKEY_LOCAL_MACHINE);
    if (!subkey) return std::nullopt;
    const std::string key = std::string(kNetworkClassKey) + "\\" + *subkey;
    if (ReadText(key, "NetCfgInstanceId", 260) == adapterName) return key;
  }
}

// "6-21-2008" (month, day, year) as the class key keeps it; "/" separators are read as well.
void ReadDriverDate(std::string text, VtrSystemTime& date) {
  std::replace(text.begin(), text.end(), '-', '/');
  int month = 0;
  int day = 0;
  int year = 0;
  const int read = std::sscanf(text.c_str(), "%d/%d/%d", &month, &day, &year);
  if (read >= 1) date.month = static_cast<uint16_t>(month);
  if (read >= 2) date.day = static_cast<uint16_t>(day);
  if (read >= 3) date.year = static_cast<uint16_t>(year);
}

// The version resource and the last-write date of the service's driver file.
DriverFacts DriverFileFacts(const std::string& service) {
  DriverFacts facts;
  const auto imagePath = ReadText(kServicesKey + service, "ImagePath", 256);
  if (!imagePath) return facts;
  auto& machine = platform::Current();
  const std::string path = machine.SystemInfo().WindowsDirectory() + "\\" + *imagePath;
  if (const auto version = machine.Files().FileVersion(path)) {
    char text[64];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", version->fileVersionMs >> 16,
                  version->fileVersionMs & 0xFFFF, version->fileVersionLs >> 16,
                  version->fileVersionLs & 0xFFFF);
    facts.version = text;
  }
  if (const auto written = machine.Files().LastWriteLocalTime(path)) {
    facts.date.year = written->year;
    facts.date.month = written->month;
    facts.date.day = written->day;
  }
  return facts;
}

}  // namespace

DriverFacts ReadDriverVersion(const std::string& adapterName) {
  DriverFacts facts;
  const auto classKey = AdapterClassKey(adapterName);
  if (!classKey) return facts;
  const std::string version = ReadText(*classKey, "DriverVersion", 128).value_or("");
  std::string date;
  if (!version.empty()) {
    date = ReadText(*classKey, "DriverDate", 128).value_or("");
    ReadDriverDate(date, facts.date);
  }
  const std::string service = ReadText(*classKey + "\\Ndi", "Service", 128).value_or("");
  if (!version.empty() && !date.empty()) {
    facts.version = version;
    return facts;
  }
  if (service.empty()) return facts;
  return DriverFileFacts(service);
}

}  // namespace vtr
