// Files of the machine: Windows paths on drive C: map into the machine's drive_c folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "vtrlib/vtr_base.h"

namespace platform {

// VS_FIXEDFILEINFO's version words.
struct FixedFileVersion {
  uint32_t fileVersionMs = 0;
  uint32_t fileVersionLs = 0;
};

class FilesPort {
 public:
  virtual ~FilesPort() = default;
  // The host path of a Windows path. "C:\..." (any case) lands in the machine's drive_c, each
  // component matched without regard to case where it exists; other drives have no host path.
  // Paths without a drive are host paths already and come back unchanged.
  virtual std::optional<std::filesystem::path> HostPath(std::string_view windowsPath) = 0;
  // The fixed file version of a file's version resource; nothing when it has none.
  virtual std::optional<FixedFileVersion> FileVersion(std::string_view windowsPath) = 0;
  // The file's last-write time in the machine's local time.
  virtual std::optional<VtrSystemTime> LastWriteLocalTime(std::string_view windowsPath) = 0;
};

}  // namespace platform
