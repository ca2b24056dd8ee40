// Look-ups in the network class key for installers: which class instance holds a hardware id or
// an adapter GUID.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "lib/common/export_boundary.h"
#include "lib/common/network_keys.h"
#include "lib/common/registry_access.h"
#include "vtrlib.h"

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// Walks the class key's subkeys in order until matches() accepts one; returns its name.
std::string FindClassInstance(const std::function<bool(const std::string&)>& matches) {
  for (uint32_t index = 0;; ++index) {
    const auto subkey = vtr::EnumerateSubkey(vtr::kNetworkClassKey, index,
                                             vtr::kClassSubkeyNameChars, VTR_HKEY_LOCAL_MACHINE);
    if (!subkey) return {};
    if (matches(std::string(vtr::kNetworkClassKey) + "\\" + *subkey)) return *subkey;
  }
}

// A value that is missing or empty matches nothing: an empty id is a prefix of every text.
bool IsPrefixOf(const std::optional<std::string>& value, const std::string& text) {
  return value && !value->empty() && text.rfind(Upper(*value), 0) == 0;
}

uint32_t InstanceNumber(const std::string& subkey) {
  return static_cast<uint32_t>(std::strtoul(subkey.c_str(), nullptr, 10));
}

}  // namespace

void VTR_GetIndexAndGUIDByVIDPID(const char* hardwareId, uint32_t* index, char* guid,
                                 uint32_t guidSize) try {
  if (hardwareId == nullptr || index == nullptr || guid == nullptr || guidSize == 0) return;
  const std::string wanted = Upper(hardwareId);
  const std::string subkey = FindClassInstance([&](const std::string& key) {
    return IsPrefixOf(vtr::ReadRegistryText(key, "ComponentId", 260, VTR_HKEY_LOCAL_MACHINE),
                      wanted);
  });
  if (subkey.empty()) return;
  const auto instanceId = vtr::ReadRegistryText(std::string(vtr::kNetworkClassKey) + "\\" + subkey,
                                                "NetCfgInstanceId", 260, VTR_HKEY_LOCAL_MACHINE);
  if (!instanceId || instanceId->size() >= guidSize) return;
  std::memcpy(guid, instanceId->c_str(), instanceId->size() + 1);
  *index = InstanceNumber(subkey);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}

void VTR_GetIndexByGUID(const char* guid, uint32_t* index) try {
  if (guid == nullptr || index == nullptr) return;
  const std::string wanted = Upper(guid);
  const std::string subkey = FindClassInstance([&](const std::string& key) {
    return IsPrefixOf(vtr::ReadRegistryText(key, "NetCfgInstanceId", 260, VTR_HKEY_LOCAL_MACHINE),
                      wanted);
  });
  if (!subkey.empty()) *index = InstanceNumber(subkey);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}
