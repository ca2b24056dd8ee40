#include "sim/sim_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/version_resource.h"
#include "sim/machine_clock.h"
#include "sim/machine_file.h"

namespace sim {

namespace {

// No Windows program or library file is larger: their images are addressed in 32 bits.
constexpr size_t kProgramFileLimit = size_t{4} << 30;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

// Windows finds "c:\WINDOWS\System32" in a folder called "system32"; the host's file system
// does not, so each component takes the spelling of an existing entry that matches it.
std::string ExistingSpelling(const std::filesystem::path& folder, const std::string& name) {
  std::error_code error;
  if (std::filesystem::exists(folder / name, error)) return name;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string candidate = entry.path().filename().string();
    if (SameIgnoringCase(candidate, name)) return candidate;
  }
  return name;
}

}  // namespace

std::optional<std::filesystem::path> SimFiles::HostPath(std::string_view windowsPath) {
  if (!HasDrive(windowsPath)) return std::filesystem::path(std::string(windowsPath));
  if (std::tolower(static_cast<unsigned char>(windowsPath[0])) != 'c') return std::nullopt;
  std::vector<std::string> resolved;
  for (std::string& part : Components(windowsPath.substr(2))) {
    if (part == ".") continue;
    if (part == "..") {
      if (!resolved.empty()) resolved.pop_back();
      continue;
    }
    resolved.push_back(std::move(part));
  }
  std::filesystem::path host = driveC_;
  for (const std::string& part : resolved) host /= ExistingSpelling(host, part);
  return host;
}

// A program file is read piece by piece up to its version resource: it may be far larger than a
// machine file (a build with debugging information), and the resource is seldom at its end. Each
// search keeps the last block's worth of the piece before, so a resource across two pieces is
// found.
std::optional<platform::FixedFileVersion> SimFiles::FileVersion(std::string_view windowsPath) {
  const auto host = HostPath(windowsPath);
  if (!host) return std::nullopt;
  std::optional<platform::FixedFileVersion> version;
  std::string window;
  const auto fault = ReadMachineFileInPieces(
      *host,
      [&](std::string_view piece) {
        window.append(piece);
        version = platform::FindFixedFileVersion(reinterpret_cast<const uint8_t*>(window.data()),
                                                 window.size());
        if (version) return false;
        if (window.size() > platform::kVersionInfoBlockSize) {
          window.erase(0, window.size() - platform::kVersionInfoBlockSize);
        }
        return true;
      },
      kProgramFileLimit);
  if (fault) return std::nullopt;
  return version;
}

std::optional<VtrSystemTime> SimFiles::LastWriteLocalTime(std::string_view windowsPath) {
  const auto host = HostPath(windowsPath);
  struct stat status {};
  if (!host || ::stat(host->c_str(), &status) != 0) return std::nullopt;
  const int64_t ms = int64_t{status.st_mtim.tv_sec} * 1000 + status.st_mtim.tv_nsec / 1'000'000;
  return ToSystemTime(ms, utcOffsetMinutes_);
}

}  // namespace sim
