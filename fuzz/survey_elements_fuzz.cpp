// The survey's one walk over any element area: it must find what ParseSecurity, HasHtElements
// and ParseWps each find on their own, with privacy set and without.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// The parsers live inside the adapter library with hidden visibility; the fuzz target compiles
// its own instrumented copy of them.
#include "lib/common/information_elements_ht.h"
#include "lib/common/information_elements_security.h"
#include "lib/common/information_elements_survey.h"
#include "lib/common/information_elements_wps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vtr::SecurityMasks security = vtr::ParseSecurity(data, size);
  const bool ht = vtr::HasHtElements(data, size);
  const vtr::WpsFlags wps = vtr::ParseWps(data, size);
  for (const bool privacy : {false, true}) {
    const vtr::SurveyElements read = vtr::ReadSurveyElements(data, size, privacy);
    if (read.security.authMask != (privacy ? security.authMask : 0) ||
        read.security.cipherMask != (privacy ? security.cipherMask : 0) || read.isHt != ht ||
        read.wps.hasWps != wps.hasWps || read.wps.wpsPbcActive != wps.wpsPbcActive) {
      __builtin_trap();
    }
  }
  return 0;
}
