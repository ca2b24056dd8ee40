#include "platform/version_resource.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform {
namespace {

std::vector<uint8_t> Utf16Key() {
  std::vector<uint8_t> key;
  for (char c : kVersionInfoKey) {
    key.push_back(static_cast<uint8_t>(c));
    key.push_back(0);
  }
  key.push_back(0);
  key.push_back(0);
  return key;
}

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

std::optional<FixedFileVersion> FindFixedFileVersion(const uint8_t* data, size_t length) {
  if (data == nullptr) return std::nullopt;
  static const std::vector<uint8_t> key = Utf16Key();
  const uint8_t* end = data + length;
  const uint8_t* search = data;
  while (true) {
    const uint8_t* found = std::search(search, end, key.begin(), key.end());
    if (found == end) return std::nullopt;
    search = found + 1;
    const size_t keyOffset = static_cast<size_t>(found - data);
    if (keyOffset < kVersionInfoHeaderSize) continue;
    const size_t blockOffset = keyOffset - kVersionInfoHeaderSize;
    if (length - blockOffset < kVersionInfoFixedOffset + kFixedFileInfoSize) continue;
    const uint8_t* block = data + blockOffset;
    if (ReadU16(block + 2) < kFixedFileInfoSize) continue;
    const uint8_t* info = block + kVersionInfoFixedOffset;
    if (ReadU32(info) != kFixedFileInfoSignature) continue;
    return FixedFileVersion{ReadU32(info + 8), ReadU32(info + 12)};
  }
}

std::vector<uint8_t> BuildVersionInfoBlock(const FixedFileVersion& version) {
  const auto block = VersionInfoBlockBytes(version);
  return {block.begin(), block.end()};
}

}  // namespace platform
