// The fixed part of a file's version resource (VS_VERSIONINFO with its VS_FIXEDFILEINFO).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace platform {

inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// Finds the VS_VERSIONINFO block in a file's bytes and reads its fixed file version. Never
// reads outside [data, data + length).
std::optional<FixedFileVersion> FindFixedFileVersion(const uint8_t* data, size_t length);

// VS_VERSIONINFO: u16 wLength, u16 wValueLength, u16 wType, WCHAR szKey[16]
// ("VS_VERSION_INFO" and its NUL), padding to a 4-byte boundary, then VS_FIXEDFILEINFO.
inline constexpr size_t kVersionInfoHeaderSize = 6;
inline constexpr size_t kVersionInfoFixedOffset = 40;
inline constexpr size_t kFixedFileInfoSize = 52;
inline constexpr size_t kVersionInfoBlockSize = kVersionInfoFixedOffset + kFixedFileInfoSize;
inline constexpr std::string_view kVersionInfoKey = "VS_VERSION_INFO";

// A VS_VERSIONINFO block carrying just the fixed file info, as a resource compiler lays it out;
// constant, so a program or library can carry its own.
constexpr std::array<uint8_t, kVersionInfoBlockSize> VersionInfoBlockBytes(
    const FixedFileVersion& version) {
  std::array<uint8_t, kVersionInfoBlockSize> block{};
  size_t at = 0;
  auto put16 = [&](uint16_t v) {
    block[at++] = static_cast<uint8_t>(v);
    block[at++] = static_cast<uint8_t>(v >> 8);
  };
  auto put32 = [&](uint32_t v) {
    put16(static_cast<uint16_t>(v));
    put16(static_cast<uint16_t>(v >> 16));
  };
  put16(static_cast<uint16_t>(kVersionInfoBlockSize));
  put16(static_cast<uint16_t>(kFixedFileInfoSize));
  put16(0);
  for (char c : kVersionInfoKey) put16(static_cast<uint16_t>(c));
  at = kVersionInfoFixedOffset;  // the key's NUL and the padding stay zero
  put32(kFixedFileInfoSignature);
  put32(0x00010000);  // structure version 1.0
  put32(version.fileVersionMs);
  put32(version.fileVersionLs);
  put32(version.fileVersionMs);  // product version follows the file version
  put32(version.fileVersionLs);
  return block;  // flags, OS, type, subtype and date stay zero
}
static_assert(kVersionInfoHeaderSize + 2 * (kVersionInfoKey.size() + 1) + 2 ==
              kVersionInfoFixedOffset);

std::vector<uint8_t> BuildVersionInfoBlock(const FixedFileVersion& version);

}  // namespace platform
