// Any bytes as a store file: open and check the header, upgrade an older headerless list, read
// every entry. The reader must stay inside the bytes, end, and only hand out what it checked;
// whatever it reads must survive being written again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lib/common/profile_record_rules.h"
#include "lib/common/profile_store_format.h"

using namespace vtr::profile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the end is caught.
  std::vector<uint8_t> file(data, data + size);
  uint32_t checked = CheckHeader(file.data(), file.size());
  if (checked == kHeaderless) {
    file = UpgradeHeaderless(file.data(), file.size());
    checked = CheckHeader(file.data(), file.size());
    if (checked != kSuccess) __builtin_trap();
    const size_t old = size % kOldRecordSize == 0 ? kOldRecordSize : kOldRecordSizeLonger;
    if (HeaderCount(file.data()) != size / old) __builtin_trap();
  }
  if (checked != kSuccess) return 0;

  const EntryScan scan = ReadEntries(file.data(), file.size());
  if (scan.stop == kSuccess) __builtin_trap();  // no limit was given: it reads to the end or fails
  std::vector<ProfileRecord> records;
  for (const auto& entry : scan.entries) {
    if (!entry.trusted && !HoldsStoredInvariants(entry.record)) __builtin_trap();
    records.push_back(entry.record);
  }
  // Written back with the trust marks they came with, the records read back the same.
  std::vector<uint8_t> again(file.begin(), file.begin() + kHeaderSize);
  for (const auto& entry : scan.entries) AppendEntry(again, entry.record, entry.trusted);
  const EntryScan reread = ReadEntries(again.data(), again.size());
  if (reread.stop != kNoMoreEntries || reread.entries.size() != records.size()) __builtin_trap();
  for (size_t i = 0; i < records.size(); ++i) {
    if (std::memcmp(&reread.entries[i].record, &records[i], sizeof(ProfileRecord)) != 0) {
      __builtin_trap();
    }
  }
  return 0;
}
