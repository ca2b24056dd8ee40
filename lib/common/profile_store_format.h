// The store file's bytes: header, entries, the older headerless lists, and the result codes the
// store's routines report. Everything here works on memory: a pointer and a length, never read
// outside them, so the same code checks the store, an export file and arbitrary input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vtrlib/profile_record.h"

namespace vtr::profile {

// Result codes of the store's routines; the exports turn them into their own small results.
inline constexpr uint32_t kSuccess = 1;
inline constexpr uint32_t kStoreMissing = 0x80010001;
inline constexpr uint32_t kStoreExists = 0x80010002;
inline constexpr uint32_t kStoreEmpty = 0x80010003;
inline constexpr uint32_t kNoMoreEntries = 0x80010005;
inline constexpr uint32_t kCreateFailed = 0x80010020;
inline constexpr uint32_t kOpenFailed = 0x80010021;
inline constexpr uint32_t kReadFailed = 0x80010022;
inline constexpr uint32_t kWriteFailed = 0x80010023;
inline constexpr uint32_t kHeaderless = 0x80010103;
inline constexpr uint32_t kDamaged = 0x80010104;
inline constexpr uint32_t kUpgradeFailed = 0x80010107;
inline constexpr uint32_t kInvalidArguments = 0x80000004;

inline constexpr size_t kHeaderSize = 128;
inline constexpr size_t kEntrySize = 2244;
inline constexpr size_t kEntryPrefixSize = 32;
inline constexpr size_t kRecordSize = sizeof(ProfileRecord);
inline constexpr size_t kCountOffset = 40;
inline constexpr size_t kOldRecordSize = 2184;
inline constexpr size_t kOldRecordSizeLonger = 2188;
static_assert(kEntryPrefixSize + kRecordSize == kEntrySize);

// A fresh header holding count.
std::array<uint8_t, kHeaderSize> MakeHeader(uint32_t count);

// Checks the first bytes of a file of size bytes: kSuccess, kStoreEmpty (no byte at all),
// kReadFailed (shorter than a header), kHeaderless (an older list to upgrade) or kDamaged.
uint32_t CheckHeader(const uint8_t* data, size_t size);

// The header's count; data must hold a checked header.
uint32_t HeaderCount(const uint8_t* data);
void SetHeaderCount(uint8_t* data, uint32_t count);

struct StoredEntry {
  ProfileRecord record;
  // The writer of the entry vouched for it; its fields were taken without the invariant check.
  bool trusted = false;
};

// Reads the entry at the start of data (size bytes remain in the file). On kSuccess the entry
// and the bytes it takes (an entry longer than this format's is read past) are filled in;
// kNoMoreEntries at the end of the file; kReadFailed or kDamaged otherwise.
uint32_t ReadEntry(const uint8_t* data, size_t size, StoredEntry& entry, size_t& consumed);

// Appends an entry: length 2244, the trust flag, zeros, the record.
void AppendEntry(std::vector<uint8_t>& out, const ProfileRecord& record, bool trusted = false);

// Reads the entries of a checked store in file order and hands each to visit, which returns
// whether to go on; visit may change the entry it is handed, a copy of the file's. kNoMoreEntries
// when the file's end was reached, kSuccess when visit stopped, else why reading stopped before the
// end (kReadFailed or kDamaged).
template <typename Visit>
uint32_t ForEachEntry(const uint8_t* data, size_t size, Visit&& visit) {
  size_t offset = kHeaderSize;
  for (;;) {
    StoredEntry entry;
    size_t consumed = 0;
    const uint32_t result = ReadEntry(data + offset, size - offset, entry, consumed);
    if (result != kSuccess) return result;
    if (!visit(entry)) return kSuccess;
    offset += consumed;
  }
}

// The entries of a checked store, in file order, up to limit of them. stop is kNoMoreEntries
// when the file's end was reached, else why reading stopped before it (kSuccess at the limit).
struct EntryScan {
  std::vector<StoredEntry> entries;
  uint32_t stop = kNoMoreEntries;
};
EntryScan ReadEntries(const uint8_t* data, size_t size, size_t limit = SIZE_MAX);

// Converts an older headerless list (CheckHeader said kHeaderless) into a store with a header:
// each old record over the defaults of a new profile; 2184-byte records get their position,
// counted from 0, as sequence.
std::vector<uint8_t> UpgradeHeaderless(const uint8_t* data, size_t size);

// A whole store of the records, in order: into out, which it replaces, or as a new buffer.
void BuildStoreInto(std::vector<uint8_t>& out, const ProfileRecord* records, size_t count);
std::vector<uint8_t> BuildStore(const ProfileRecord* records, size_t count);

}  // namespace vtr::profile
