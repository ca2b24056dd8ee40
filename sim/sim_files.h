// Files of the machine: drive C: is the machine's drive_c folder.
#pragma once

#include "platform/files.h"

namespace sim {

class SimFiles : public platform::FilesPort {
 public:
  SimFiles(std::filesystem::path driveC, int32_t utcOffsetMinutes)
      : driveC_(std::move(driveC)), utcOffsetMinutes_(utcOffsetMinutes) {}
  std::optional<std::filesystem::path> HostPath(std::string_view windowsPath) override;
  std::optional<platform::FixedFileVersion> FileVersion(std::string_view windowsPath) override;
  std::optional<VtrSystemTime> LastWriteLocalTime(std::string_view windowsPath) override;

 private:
  const std::filesystem::path driveC_;
  const int32_t utcOffsetMinutes_;
};

}  // namespace sim
