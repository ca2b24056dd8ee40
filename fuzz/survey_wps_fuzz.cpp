// ParseWps over any element area: the element walk and the attribute walk inside the first
// WPS element must stay inside their bounds and end.
#include <cstddef>
#include <cstdint>

// The parsers live inside the adapter library with hidden visibility; the fuzz target compiles
// its own instrumented copy of them.
#include "lib/common/information_elements.h"
#include "lib/common/information_elements_wps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vtr::WpsFlags flags = vtr::ParseWps(data, size);
  if (flags.hasWps > 1 || flags.wpsPbcActive > flags.hasWps) __builtin_trap();
  return 0;
}
