// Arbitrary file bytes through the version-resource reader: it must stay inside the bytes and
// only ever report a block whose signature it checked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input, so reading one byte past it is caught.
  std::vector<uint8_t> bytes(data, data + size);
  const auto found = platform::FindFixedFileVersion(bytes.data(), bytes.size());
  if (found) {
    const auto block = platform::BuildVersionInfoBlock(*found);
    const auto again = platform::FindFixedFileVersion(block.data(), block.size());
    if (!again || again->fileVersionMs != found->fileVersionMs ||
        again->fileVersionLs != found->fileVersionLs) {
      std::abort();
    }
  }
  return 0;
}
