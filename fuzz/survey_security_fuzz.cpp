// ParseSecurity over any element area: it must read only inside it.
#include <cstddef>
#include <cstdint>

// The parsers live inside the adapter library with hidden visibility; the fuzz target compiles
// its own instrumented copy of them.
#include "lib/common/information_elements.h"
#include "lib/common/information_elements_security.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vtr::SecurityMasks masks = vtr::ParseSecurity(data, size);
  // Only the published bits can come out, and a cipher is always named.
  if ((masks.authMask & ~60u) != 0 || (masks.cipherMask & ~7u) != 0 || masks.cipherMask == 0) {
    __builtin_trap();
  }
  return 0;
}
