// The WLAN service's stored profiles: one file in the machine directory holding every profile's
// text under its name, in the order they were first stored. The file is replaced whole (a new
// file renamed over it) and only its owner can read it, as the profiles carry network keys.
// Processes on one machine take turns through a lock file beside it.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace sim {

inline constexpr const char* kWlanProfilesFile = "wlan_profiles.json";

class WlanProfileStore {
 public:
  explicit WlanProfileStore(std::filesystem::path file);

  // The text stored under that name; nothing when none is (or the file cannot be read).
  std::optional<std::string> Find(const std::string& name) const;
  // Stores text under name: 0, kErrorAlreadyExists when the name is taken and overwrite is
  // false (nothing changes then), or the error that kept the file from being written.
  long Put(const std::string& name, const std::string& text, bool overwrite);

 private:
  const std::filesystem::path file_;
  const std::filesystem::path lockFile_;
  mutable std::mutex mutex_;
};

// Why the stored profiles cannot be read (the file and the fault), or nothing when they read
// whole or there are none.
std::optional<std::string> CheckWlanProfileFile(const std::filesystem::path& file);

}  // namespace sim
