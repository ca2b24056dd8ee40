// The store in file mode: "Profile.dll" beside the program, held exclusively for each operation.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "lib/common/profile_file_io.h"
#include "vtrlib/profile_record.h"

namespace vtr::profile {

// One operation's hold on the store: the store's place and its lock.
class FileSession {
 public:
  // Nothing when the store's folder is unknown or another operation holds the store.
  static std::optional<FileSession> Begin();

  const StoreLocation& Location() const { return location_; }
  // Opens and checks the store, upgrading an older headerless list in place first. On kSuccess,
  // bytes holds the whole checked store.
  uint32_t OpenAndCheck(std::vector<uint8_t>& bytes) const;
  // Puts the complete new contents in place of the store whole (PutInPlace). kSuccess,
  // kCreateFailed (no new file beside the store) or kWriteFailed.
  uint32_t Replace(std::span<const uint8_t> bytes) const;

 private:
  FileSession(StoreLocation location, StoreLock lock)
      : location_(std::move(location)), lock_(std::move(lock)) {}
  StoreLocation location_;
  StoreLock lock_;
};

// Reads a file that holds a store (the store itself or an export), upgrading an older headerless
// list in memory only. kSuccess with the checked store's bytes, else why not.
uint32_t ReadStoreFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);

int32_t FileReadList(int32_t max, ProfileRecord* list);
bool FileReadSingle(const char* name, ProfileRecord& record);
bool FileWriteSingle(const char* name, const ProfileRecord& record);
bool FileDelete(const char* name);
// Makes the profile of that name the one default of the store.
bool FileSetDefault(const char* name);
int32_t FileAdd(int32_t max, const char* name, const ProfileRecord& record);
int32_t FileWriteList(int32_t count, const ProfileRecord* list);
// The same, within a session the caller already holds.
int32_t WriteListIn(const FileSession& session, int32_t count, const ProfileRecord* list);

}  // namespace vtr::profile
