// Everything the survey takes from a beacon's elements, read in one walk over them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/common/information_elements_security.h"
#include "lib/common/information_elements_wps.h"

namespace vtr {

struct SurveyElements {
  SecurityMasks security;  // both 0 without privacy
  bool isHt = false;
  WpsFlags wps;
};

// What ParseSecurity (only when privacy is set), HasHtElements and ParseWps each find in the
// area, from a single walk that ends as soon as nothing more can change.
SurveyElements ReadSurveyElements(const uint8_t* elements, size_t length, bool privacy);

}  // namespace vtr
