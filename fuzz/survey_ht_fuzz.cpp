// HasHtElements over any element area: its walk must stay inside it and end.
#include <cstddef>
#include <cstdint>

// The parsers live inside the adapter library with hidden visibility; the fuzz target compiles
// its own instrumented copy of them.
#include "lib/common/information_elements.h"
#include "lib/common/information_elements_ht.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool ht = vtr::HasHtElements(data, size);
  // A whole capabilities element at the start marks the network, whatever follows it.
  if (size >= 2 && data[0] == vtr::kElementHtCapabilities && data[1] <= size - 2 && !ht) {
    __builtin_trap();
  }
  return 0;
}
