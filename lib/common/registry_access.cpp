#include "lib/common/registry_access.h"

#include <vector>

#include "vtrlib.h"

namespace vtr {

std::optional<std::string> ReadRegistryText(const std::string& key, const char* name,
                                            uint32_t maxBytes, uint32_t root) {
  std::vector<char> buffer(maxBytes, '\0');
  if (!VTR_GetRegistryString(key.c_str(), name, buffer.data(), maxBytes, "", root, 0)) {
    return std::nullopt;
  }
  return std::string(buffer.data());
}

std::optional<std::string> EnumerateSubkey(const std::string& key, uint32_t index,
                                           uint32_t maxChars, uint32_t root) {
  std::vector<char> buffer(maxChars + 1, '\0');
  if (!VTR_GetRegEnumerator(key.c_str(), index, buffer.data(), maxChars + 1, "", root, 0)) {
    return std::nullopt;
  }
  return std::string(buffer.data());
}

}  // namespace vtr
