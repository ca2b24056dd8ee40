#include "platform/version_resource.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform {
namespace {

// VS_VERSIONINFO: u16 wLength, u16 wValueLength, u16 wType, WCHAR szKey[16]
// ("VS_VERSION_INFO" and its NUL), padding to a 4-byte boundary, then VS_FIXEDFILEINFO.
constexpr size_t kHeaderSize = 6;
constexpr size_t kKeyBytes = 32;
constexpr size_t kFixedInfoOffset = 40;
constexpr size_t kFixedInfoSize = 52;

constexpr std::string_view kKey = "VS_VERSION_INFO";

std::vector<uint8_t> Utf16Key() {
  std::vector<uint8_t> key;
  for (char c : kKey) {
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

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
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
    if (keyOffset < kHeaderSize) continue;
    const size_t blockOffset = keyOffset - kHeaderSize;
    if (length - blockOffset < kFixedInfoOffset + kFixedInfoSize) continue;
    const uint8_t* block = data + blockOffset;
    if (ReadU16(block + 2) < kFixedInfoSize) continue;
    const uint8_t* info = block + kFixedInfoOffset;
    if (ReadU32(info) != kFixedFileInfoSignature) continue;
    return FixedFileVersion{ReadU32(info + 8), ReadU32(info + 12)};
  }
}

std::vector<uint8_t> BuildVersionInfoBlock(const FixedFileVersion& version) {
  std::vector<uint8_t> block;
  PutU16(block, static_cast<uint16_t>(kFixedInfoOffset + kFixedInfoSize));
  PutU16(block, static_cast<uint16_t>(kFixedInfoSize));
  PutU16(block, 0);
  const std::vector<uint8_t> key = Utf16Key();
  block.insert(block.end(), key.begin(), key.end());
  static_assert(kHeaderSize + kKeyBytes + 2 == kFixedInfoOffset);
  block.resize(kFixedInfoOffset, 0);
  PutU32(block, kFixedFileInfoSignature);
  PutU32(block, 0x00010000);  // structure version 1.0
  PutU32(block, version.fileVersionMs);
  PutU32(block, version.fileVersionLs);
  PutU32(block, version.fileVersionMs);  // product version follows the file version
  PutU32(block, version.fileVersionLs);
  for (int i = 0; i < 7; ++i) PutU32(block, 0);  // flags, OS, type, subtype, date
  return block;
}

}  // namespace platform
