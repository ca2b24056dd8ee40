// Export of the store to a file of the user's choice, and the merge of such a file back into it.
// The exchanged file is a store file; an export is a byte copy of the store.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "lib/common/export_boundary.h"
#include "lib/common/profile_file_mode.h"
#include "lib/common/profile_record_rules.h"
#include "lib/common/profile_storage_mode.h"
#include "lib/common/profile_store_format.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace vtr::profile {

namespace {

constexpr int32_t kImported = 0;
constexpr int32_t kNothingToImport = 1;
constexpr int32_t kImportFailed = 3;

std::optional<std::filesystem::path> HostPathOf(const char* path) {
  if (path == nullptr || path[0] == '\0') return std::nullopt;
  return platform::Current().Files().HostPath(path);
}

// The same file as the store: the same path without regard to case, or the same file reached by
// another name.
bool IsStore(const std::filesystem::path& path, const std::filesystem::path& store) {
  std::error_code error;
  const auto a = std::filesystem::absolute(path, error).lexically_normal().string();
  const auto b = std::filesystem::absolute(store, error).lexically_normal().string();
  if (strcasecmp(a.c_str(), b.c_str()) == 0) return true;
  return std::filesystem::equivalent(path, store, error);
}

// Appends the store's records, up to max and no more than its header counts.
void AppendRecords(const std::vector<uint8_t>& store, int32_t max,
                   std::vector<ProfileRecord>& records) {
  const size_t limit =
      std::min<size_t>(max < 0 ? 0 : static_cast<size_t>(max), HeaderCount(store.data()));
  if (limit == 0) return;
  size_t taken = 0;
  ForEachEntry(store.data(), store.size(), [&](const StoredEntry& entry) {
    records.push_back(entry.record);
    return ++taken < limit;
  });
}

std::vector<ProfileRecord> Records(const std::vector<uint8_t>& store, int32_t max) {
  std::vector<ProfileRecord> records;
  AppendRecords(store, max, records);
  return records;
}

int32_t Import(const char* path, int32_t max) {
  // No import takes place into the registry; the caller hears that it failed.
  if (!CurrentStorage().fileMode) return kImportFailed;
  const auto location = LocateStore();
  if (!location) return kImportFailed;
  const auto source = HostPathOf(path);
  if (!source) return kNothingToImport;
  if (IsStore(*source, location->store)) return kImportFailed;
  if (!FileExists(location->store) || !FileExists(*source)) return kNothingToImport;
  auto session = FileSession::Begin();
  if (!session) return kImportFailed;

  // The source is only read: an older headerless file is upgraded for this reading, and the
  // user's file stays as it was.
  std::vector<uint8_t> incoming;
  if (ReadStoreFile(*source, incoming) != kSuccess || HeaderCount(incoming.data()) < 1) {
    return kNothingToImport;
  }
  const auto& stored = session->StoreBytes();
  if (session->OpenAndCheck() != kSuccess || HeaderCount(stored.data()) < 1) {
    return session->Replace(incoming) == kSuccess ? kImported : kImportFailed;
  }

  auto& merged = session->Records();
  merged.clear();
  // Sized by the files, not by their headers: a header may claim more than its entries.
  merged.reserve((stored.size() + incoming.size()) / kEntrySize);
  AppendRecords(stored, max, merged);
  for (ProfileRecord record : Records(incoming, max)) {
    // The program's own working profile is never taken from another store.
    if (NameEquals(record, "<Default>")) continue;
    const int32_t at =
        VTR_FindProfile(static_cast<int32_t>(merged.size()), record.profileName, merged.data());
    if (at >= 0) {
      if (merged[at].isDefault != 0) record.isDefault = 1;
      merged[at] = record;
    } else {
      record.isDefault = 0;
      merged.push_back(record);
    }
  }
  const int32_t written = WriteListIn(*session, static_cast<int32_t>(merged.size()), merged.data());
  return written > 0 ? kImported : kImportFailed;
}

bool Export(const char* path) {
  if (!CurrentStorage().fileMode) return false;
  const auto location = LocateStore();
  const auto target = HostPathOf(path);
  if (!location || !target || IsStore(*target, location->store)) return false;
  if (!FileExists(location->store)) return false;
  auto session = FileSession::Begin();
  if (!session) return false;
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(location->store, bytes) != kSuccess) return false;
  return PutInPlaceBeside(*target, bytes) == kSuccess;
}

}  // namespace

}  // namespace vtr::profile

int32_t VTR_ImportProfile(const char* path, int32_t max) try {
  return vtr::profile::Import(path, max);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{3});
}

VtrBool VTR_ExportProfile(const char* path) try {
  return vtr::profile::Export(path) ? 1 : 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
