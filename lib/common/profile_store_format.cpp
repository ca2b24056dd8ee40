// The store file's layout, read and written in memory.
#include "lib/common/profile_store_format.h"

#include <algorithm>
#include <cstring>

#include "lib/common/profile_record_rules.h"

namespace vtr::profile {

namespace {

constexpr char kMagic[4] = {'V', 'L', 'P', 'F'};
constexpr size_t kVersionOffset = 4;
constexpr size_t kTextOffset = 8;
constexpr size_t kTextField = 24;
constexpr char kHeaderText[] = "Vantrel Library Profile";
static_assert(sizeof(kHeaderText) == kTextField);
constexpr size_t kTrustOffset = 4;

uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::array<uint8_t, kHeaderSize> MakeHeader(uint32_t count) {
  std::array<uint8_t, kHeaderSize> header{};
  std::memcpy(header.data(), kMagic, sizeof(kMagic));
  header[kVersionOffset] = 1;
  header[kVersionOffset + 1] = 0x20;
  std::memcpy(header.data() + kTextOffset, kHeaderText, sizeof(kHeaderText));
  StoreLe32(header.data() + kCountOffset, count);
  return header;
}

uint32_t CheckHeader(const uint8_t* data, size_t size) {
  if (size == 0) return kStoreEmpty;
  if (size < kHeaderSize) return kReadFailed;
  if (std::memcmp(data, kMagic, sizeof(kMagic)) != 0) {
    return size % kOldRecordSize == 0 || size % kOldRecordSizeLonger == 0 ? kHeaderless : kDamaged;
  }
  if (data[kVersionOffset] == 0) return kDamaged;
  const char* text = reinterpret_cast<const char*>(data + kTextOffset);
  if (std::memcmp(text, kHeaderText, sizeof(kHeaderText)) != 0) return kDamaged;
  return kSuccess;
}

uint32_t HeaderCount(const uint8_t* data) {
  return LoadLe32(data + kCountOffset);
}

void SetHeaderCount(uint8_t* data, uint32_t count) {
  StoreLe32(data + kCountOffset, count);
}

uint32_t ReadEntry(const uint8_t* data, size_t size, StoredEntry& entry, size_t& consumed) {
  if (size == 0) return kNoMoreEntries;
  if (size < 4) return kReadFailed;
  const uint32_t length = LoadLe32(data);
  if (length < 4) return kReadFailed;
  const size_t supplied = std::min<size_t>(length, kEntrySize);
  if (size < supplied) return kReadFailed;
  // Bytes a shorter entry of an older writer does not supply read as zero; an entry of the
  // full length is read where it lies.
  const uint8_t* full = data;
  uint8_t padded[kEntrySize];
  if (supplied < kEntrySize) {
    std::memcpy(padded, data, supplied);
    std::memset(padded + supplied, 0, kEntrySize - supplied);
    full = padded;
  }
  std::memcpy(&entry.record, full + kEntryPrefixSize, kRecordSize);
  entry.trusted = LoadLe32(full + kTrustOffset) != 0;
  if (!entry.trusted && !HoldsStoredInvariants(entry.record)) return kDamaged;
  // A longer entry of a later format is read past; past the end of the file the next read
  // simply finds the end.
  consumed = std::min<size_t>(length, size);
  return kSuccess;
}

void AppendEntry(std::vector<uint8_t>& out, const ProfileRecord& record, bool trusted) {
  uint8_t prefix[kEntryPrefixSize] = {};
  StoreLe32(prefix, static_cast<uint32_t>(kEntrySize));
  StoreLe32(prefix + kTrustOffset, trusted ? 1u : 0u);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  // Appended as they are, without first filling the room with zeros.
  out.insert(out.end(), prefix, prefix + kEntryPrefixSize);
  out.insert(out.end(), bytes, bytes + kRecordSize);
}

EntryScan ReadEntries(const uint8_t* data, size_t size, size_t limit) {
  EntryScan scan;
  // Entries are large: growing the list one by one would copy and map it again several times.
  scan.entries.reserve(std::min(limit, size / kEntrySize));
  scan.stop = limit == 0 ? kSuccess : ForEachEntry(data, size, [&](const StoredEntry& entry) {
    scan.entries.push_back(entry);
    return scan.entries.size() < limit;
  });
  return scan;
}

std::vector<uint8_t> UpgradeHeaderless(const uint8_t* data, size_t size) {
  const size_t recordSize = size % kOldRecordSize == 0 ? kOldRecordSize : kOldRecordSizeLonger;
  const size_t count = size / recordSize;
  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + count * kEntrySize);
  const auto header = MakeHeader(static_cast<uint32_t>(count));
  out.insert(out.end(), header.begin(), header.end());
  for (size_t i = 0; i < count; ++i) {
    ProfileRecord record;
    std::memset(&record, 0, sizeof(record));
    ApplyDefaults(record);
    std::memcpy(&record, data + i * recordSize, recordSize);
    // The oldest lists kept no position; their order is their position in the file.
    if (recordSize == kOldRecordSize) record.sequence = static_cast<uint32_t>(i);
    AppendEntry(out, record);
  }
  return out;
}

void BuildStoreInto(std::vector<uint8_t>& out, const ProfileRecord* records, size_t count) {
  out.clear();
  out.reserve(kHeaderSize + count * kEntrySize);
  const auto header = MakeHeader(static_cast<uint32_t>(count));
  out.insert(out.end(), header.begin(), header.end());
  for (size_t i = 0; i < count; ++i) AppendEntry(out, records[i]);
}

std::vector<uint8_t> BuildStore(const ProfileRecord* records, size_t count) {
  std::vector<uint8_t> out;
  BuildStoreInto(out, records, count);
  return out;
}

}  // namespace vtr::profile
