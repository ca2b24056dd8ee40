// Files of the profile store: where the store lives, the lock that makes an operation exclusive,
// the exclusive temporary files, and putting new contents in place whole.
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
  std::filesystem::path staging;  // "Profile.dll.tmp", where new contents are put together
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

// Writes bytes to staging (created exclusively, owner-only), flushes it and renames it over
// target, so target holds the old contents or the new ones at every moment. False when any step
// failed; staging is then removed.
bool PutInPlace(const std::filesystem::path& target, const std::filesystem::path& staging,
                std::span<const uint8_t> bytes);

// As PutInPlace, with a staging file of a fresh unique name beside target.
bool PutInPlaceBeside(const std::filesystem::path& target, std::span<const uint8_t> bytes);

// "~VTR_Profile.tmp" in the user's temporary folder: the new contents are completed there before
// the store is touched. Removed when the object goes, unless the process is being torn down by a
// simulated crash (a real crash leaves it behind too).
class UserTempFile {
 public:
  static std::optional<UserTempFile> Create();
  UserTempFile(UserTempFile&& other) noexcept;
  UserTempFile& operator=(UserTempFile&&) = delete;
  ~UserTempFile();

  // Writes a store into the file the way the format is written: the header with count 0, the
  // entries, then the count.
  bool WriteStore(std::span<const uint8_t> store);
  // The file's contents as they reached it.
  bool ReadBack(std::vector<uint8_t>& bytes) const;

 private:
  UserTempFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::filesystem::path path_;
};

}  // namespace vtr::profile
