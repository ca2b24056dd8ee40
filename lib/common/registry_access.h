// Text reads and subkey enumeration for the library's own registry look-ups, with the same
// rules as the exported registry functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vtr {

// The value as text (read with a buffer of maxBytes), or nothing when the key or value cannot
// be read.
std::optional<std::string> ReadRegistryText(const std::string& key, const char* name,
                                            uint32_t maxBytes, uint32_t root);
// The name of the subkey at index (names up to maxChars characters), or nothing past the end.
std::optional<std::string> EnumerateSubkey(const std::string& key, uint32_t index,
                                           uint32_t maxChars, uint32_t root);

}  // namespace vtr
