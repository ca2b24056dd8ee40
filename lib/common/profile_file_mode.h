// The store in file mode: "Profile.dll" beside the program, held exclusively for each operation.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "lib/common/profile_file_io.h"
#include "vtrlib/profile_record.h"

namespace vtr::profile {

// Working memory of the store's operations. A store is hundreds of kilobytes: buffers of that size
// taken afresh at every operation cost more in page faults than the work itself, so the process
// keeps one set, used by the one session that holds the store.
struct StoreBuffers {
  // Taken by one session at a time, and by nobody who waits: an operation started while another
  // runs, in this thread or another, fails as the store's lock would make it fail.
  std::atomic<bool> taken{false};
  std::vector<uint8_t> store;          // the store as read
  std::vector<uint8_t> built;          // a complete new store before it is put in place
  std::vector<ProfileRecord> records;  // records being merged into a new list
};

// A session's claim on the process's store buffers, given back when it ends.
class BufferClaim {
 public:
  // Nothing when another session holds them.
  static std::optional<BufferClaim> Take(StoreBuffers& buffers);
  BufferClaim(BufferClaim&& other) noexcept : buffers_(std::exchange(other.buffers_, nullptr)) {}
  BufferClaim& operator=(BufferClaim&&) = delete;
  ~BufferClaim();
  StoreBuffers& Buffers() const { return *buffers_; }

 private:
  explicit BufferClaim(StoreBuffers& buffers) : buffers_(&buffers) {}
  StoreBuffers* buffers_;
};

// One operation's hold on the store: the store's place, its lock and the working memory.
class FileSession {
 public:
  // Nothing when the store's folder is unknown or another operation holds the store.
  static std::optional<FileSession> Begin();
  FileSession(FileSession&&) noexcept = default;
  FileSession& operator=(FileSession&&) = delete;

  const StoreLocation& Location() const { return location_; }
  // Opens and checks the store, upgrading an older headerless list in place first. On kSuccess,
  // StoreBytes() holds the whole checked store.
  uint32_t OpenAndCheck();
  // Puts the complete new contents in place of the store whole (PutInPlace). kSuccess,
  // kCreateFailed (no new file beside the store) or kWriteFailed.
  uint32_t Replace(std::span<const uint8_t> bytes) const;

  // The session's buffers for the store as read, for a new store being built and for a list of
  // records; each keeps whatever the session's previous user left in it.
  std::vector<uint8_t>& StoreBytes() { return claim_.Buffers().store; }
  std::vector<uint8_t>& BuiltBytes() { return claim_.Buffers().built; }
  std::vector<ProfileRecord>& Records() { return claim_.Buffers().records; }

 private:
  FileSession(BufferClaim claim, StoreLocation location, StoreLock lock)
      : claim_(std::move(claim)), location_(std::move(location)), lock_(std::move(lock)) {}
  BufferClaim claim_;  // given back last, after the store's lock
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
int32_t WriteListIn(FileSession& session, int32_t count, const ProfileRecord* list);

}  // namespace vtr::profile
