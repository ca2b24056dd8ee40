// Files of the profile store: where the store lives, the lock that makes an operation exclusive,
// and putting new contents in place whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vtr::profile {

// Thrown when the write gate stops the process at a step; the exports catch it at the boundary.
class SimulatedCrash : public std::runtime_error {
 public:
  SimulatedCrash() : std::runtime_error("profile store stopped at a write") {}
};

struct StoreLocation {
  std::filesystem::path store;    // "Profile.dll"
  std::filesystem::path staging;  // "Profile.dll.tmp", the new contents before the rename
  std::filesystem::path lock;     // "Profile.dll.lock", never replaced
};

// "Profile.dll" beside the program: in the folder of this library's own file, or in the folder
// RADIODESK_PROFILE_DIR names (read at every operation). Nothing when neither can be found.
std::optional<StoreLocation> LocateStore();

// Holds the store for one operation. Another holder, in this process or another, makes
// Acquire fail at once.
class StoreLock {
 public:
  static std::optional<StoreLock> Acquire(const StoreLocation& location);
  StoreLock(StoreLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  StoreLock& operator=(StoreLock&&) = delete;
  ~StoreLock();

 private:
  explicit StoreLock(int fd) : fd_(fd) {}
  int fd_;
};

// Reads a whole file: kSuccess with its bytes, kOpenFailed when it cannot be opened,
// kReadFailed when reading fails.
uint32_t ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);

bool FileExists(const std::filesystem::path& path);

// Puts bytes in place of target whole: staging (created exclusively, owner-only) gets them in
// one write and is flushed, renamed over target, and the folder is flushed, so target holds the
// old contents or the new ones at every moment. kSuccess, kCreateFailed when staging cannot be
// created, or kWriteFailed when a later step failed; staging is then removed.
uint32_t PutInPlace(const std::filesystem::path& target, const std::filesystem::path& staging,
                    std::span<const uint8_t> bytes);

// As PutInPlace, with a staging file of a fresh unique name beside target.
uint32_t PutInPlaceBeside(const std::filesystem::path& target, std::span<const uint8_t> bytes);

}  // namespace vtr::profile
