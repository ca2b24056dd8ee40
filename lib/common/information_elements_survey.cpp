#include "lib/common/information_elements_survey.h"

#include "lib/common/information_elements_ht.h"

namespace vtr {

SurveyElements ReadSurveyElements(const uint8_t* elements, size_t length, bool privacy) {
  SecurityReader security;
  HtReader ht;
  WpsReader wps;
  WalkElements(elements, length, [&](const Element& element) {
    if (privacy) security.Read(element);
    ht.Read(element);
    wps.Read(element);
    // The security masks take every element; the other two are settled early.
    return privacy || !ht.HasHt() || !wps.Done();
  });
  SurveyElements read;
  if (privacy) read.security = security.Masks();
  read.isHt = ht.HasHt();
  read.wps = wps.Flags();
  return read;
}

}  // namespace vtr
