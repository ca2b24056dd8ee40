// File-mode operations of the store. Every change builds the complete new store in memory and
// only then replaces the store whole with it; the old store stays as it was whenever any step
// fails.
#include "lib/common/profile_file_mode.h"

#include <cstring>

#include "lib/common/profile_record_rules.h"
#include "lib/common/profile_store_format.h"

namespace vtr::profile {

namespace {

constexpr size_t kKeptBufferBytes = 4 * 1024 * 1024;

StoreBuffers& TheBuffers() {
  static StoreBuffers buffers;
  return buffers;
}

// The first entry of the checked store whose name matches, if the entries before it read.
std::optional<StoredEntry> FindEntry(const std::vector<uint8_t>& bytes, const char* name) {
  std::optional<StoredEntry> found;
  ForEachEntry(bytes.data(), bytes.size(), [&](const StoredEntry& entry) {
    if (NameEquals(entry.record, name)) found = entry;
    return !found;
  });
  return found;
}

// The shared rewrite: every entry passes through edit, which may change the record or drop the
// entry (false). A store that does not read to its end is left alone: rewriting it would lose
// the entries behind the damage.
template <typename Edit>
bool Rewrite(Edit&& edit) {
  auto session = FileSession::Begin();
  if (!session) return false;
  if (session->OpenAndCheck() != kSuccess) return false;
  const auto& bytes = session->StoreBytes();
  auto& rewritten = session->BuiltBytes();
  rewritten.clear();
  rewritten.reserve(bytes.size());
  const auto header = MakeHeader(0);
  rewritten.insert(rewritten.end(), header.begin(), header.end());
  uint32_t written = 0;
  const uint32_t stop = ForEachEntry(bytes.data(), bytes.size(), [&](StoredEntry& entry) {
    if (!edit(entry.record)) return true;
    // An entry its writer vouched for keeps that mark, or a rewrite would turn a readable entry
    // into one that hides everything behind it.
    AppendEntry(rewritten, entry.record, entry.trusted && !HoldsStoredInvariants(entry.record));
    ++written;
    return true;
  });
  if (stop != kNoMoreEntries) return false;
  SetHeaderCount(rewritten.data(), written);
  return session->Replace(rewritten) == kSuccess;
}

bool AllStorable(const ProfileRecord* list, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!HoldsStoredInvariants(list[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<BufferClaim> BufferClaim::Take(StoreBuffers& buffers) {
  bool taken = false;
  if (!buffers.taken.compare_exchange_strong(taken, true, std::memory_order_acquire)) {
    return std::nullopt;
  }
  return BufferClaim(buffers);
}

BufferClaim::~BufferClaim() {
  if (buffers_ == nullptr) return;
  // Kept for the next operation, unless an unusually large store would hold memory for good.
  for (auto* buffer : {&buffers_->store, &buffers_->built}) {
    if (buffer->capacity() > kKeptBufferBytes) std::vector<uint8_t>().swap(*buffer);
  }
  if (buffers_->records.capacity() * sizeof(ProfileRecord) > kKeptBufferBytes) {
    std::vector<ProfileRecord>().swap(buffers_->records);
  }
  buffers_->taken.store(false, std::memory_order_release);
}

std::optional<FileSession> FileSession::Begin() {
  auto claim = BufferClaim::Take(TheBuffers());
  if (!claim) return std::nullopt;
  auto location = LocateStore();
  if (!location) return std::nullopt;
  auto lock = StoreLock::Acquire(*location);
  if (!lock) return std::nullopt;
  return FileSession(std::move(*claim), std::move(*location), std::move(*lock));
}

uint32_t FileSession::OpenAndCheck() {
  auto& bytes = StoreBytes();
  for (int pass = 0; pass < 2; ++pass) {
    const uint32_t read = ReadWholeFile(location_.store, bytes);
    if (read != kSuccess) return read;
    const uint32_t checked = CheckHeader(bytes.data(), bytes.size());
    if (checked != kHeaderless) return checked;
    const auto upgraded = UpgradeHeaderless(bytes.data(), bytes.size());
    if (PutInPlace(location_.store, location_.staging, upgraded) != kSuccess) {
      return kUpgradeFailed;
    }
  }
  return kUpgradeFailed;
}

uint32_t FileSession::Replace(std::span<const uint8_t> bytes) const {
  return PutInPlace(location_.store, location_.staging, bytes);
}

uint32_t ReadStoreFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  const uint32_t read = ReadWholeFile(path, bytes);
  if (read != kSuccess) return read;
  const uint32_t checked = CheckHeader(bytes.data(), bytes.size());
  if (checked == kHeaderless) {
    bytes = UpgradeHeaderless(bytes.data(), bytes.size());
    return kSuccess;
  }
  return checked;
}

int32_t FileReadList(int32_t max, ProfileRecord* list) {
  if (max < 1 || list == nullptr) return 0;
  const auto location = LocateStore();
  if (!location || !FileExists(location->store)) return 0;
  auto session = FileSession::Begin();
  if (!session || session->OpenAndCheck() != kSuccess) return 0;
  const auto& bytes = session->StoreBytes();
  int32_t read = 0;
  ForEachEntry(bytes.data(), bytes.size(), [&](const StoredEntry& entry) {
    list[read++] = entry.record;
    return read < max;
  });
  return read;
}

bool FileReadSingle(const char* name, ProfileRecord& record) {
  const auto location = LocateStore();
  if (!location || !FileExists(location->store)) return false;
  auto session = FileSession::Begin();
  if (!session || session->OpenAndCheck() != kSuccess) return false;
  const auto found = FindEntry(session->StoreBytes(), name);
  if (!found) return false;
  record = found->record;
  return true;
}

bool FileWriteSingle(const char* name, const ProfileRecord& record) {
  if (!HoldsStoredInvariants(record)) return false;
  return Rewrite([&](ProfileRecord& stored) {
    if (NameEquals(stored, name)) stored = record;
    return true;
  });
}

bool FileDelete(const char* name) {
  return Rewrite([&](const ProfileRecord& stored) { return !NameEquals(stored, name); });
}

bool FileSetDefault(const char* name) {
  return Rewrite([&](ProfileRecord& stored) {
    stored.isDefault = NameEquals(stored, name) ? 1 : 0;
    return true;
  });
}

int32_t FileAdd(int32_t max, const char* name, const ProfileRecord& record) {
  constexpr int32_t kAdded = 0;
  constexpr int32_t kExists = 1;
  constexpr int32_t kNotCreated = 2;
  constexpr int32_t kNotWritten = 3;
  constexpr int32_t kFull = 4;
  if (!HoldsStoredInvariants(record)) return kNotWritten;
  auto session = FileSession::Begin();
  if (!session) return kNotWritten;
  const auto& location = session->Location();
  if (!FileExists(location.store)) {
    const auto header = MakeHeader(0);
    if (PutInPlace(location.store, location.staging, header) != kSuccess) return kNotCreated;
  }
  const bool opened = session->OpenAndCheck() == kSuccess;
  auto& bytes = session->StoreBytes();
  // The header's count, not the entries, is what the capacity is measured by.
  const int64_t count = opened ? static_cast<int64_t>(HeaderCount(bytes.data())) : -1;
  if (count >= max) return kFull;
  if (!opened) return kNotWritten;
  if (count > 0 && name != nullptr && FindEntry(bytes, name)) {
    return kExists;
  }
  // Appended behind whatever the file holds, a damaged entry included.
  AppendEntry(bytes, record);
  SetHeaderCount(bytes.data(), static_cast<uint32_t>(count + 1));
  switch (session->Replace(bytes)) {
    case kSuccess:
      return kAdded;
    case kCreateFailed:
      return kNotCreated;
    default:
      return kNotWritten;
  }
}

int32_t WriteListIn(FileSession& session, int32_t count, const ProfileRecord* list) {
  if (count < 1 || list == nullptr) return 0;
  if (!AllStorable(list, static_cast<size_t>(count))) return 0;
  auto& bytes = session.BuiltBytes();
  BuildStoreInto(bytes, list, static_cast<size_t>(count));
  return session.Replace(bytes) == kSuccess ? count : 0;
}

int32_t FileWriteList(int32_t count, const ProfileRecord* list) {
  if (count < 1 || list == nullptr) return 0;
  auto session = FileSession::Begin();
  if (!session) return 0;
  return WriteListIn(*session, count, list);
}

}  // namespace vtr::profile
