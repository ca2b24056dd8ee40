// The fixed part of a file's version resource (VS_VERSIONINFO with its VS_FIXEDFILEINFO).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/files.h"

namespace platform {

inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// Finds the VS_VERSIONINFO block in a file's bytes and reads its fixed file version. Never
// reads outside [data, data + length).
std::optional<FixedFileVersion> FindFixedFileVersion(const uint8_t* data, size_t length);

// A VS_VERSIONINFO block carrying just the fixed file info, as a resource compiler lays it out.
std::vector<uint8_t> BuildVersionInfoBlock(const FixedFileVersion& version);

}  // namespace platform
