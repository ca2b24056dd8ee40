#include "lib/common/information_elements_ht.h"

namespace vtr {

bool HasHtElements(const uint8_t* elements, size_t length) {
  HtReader reader;
  WalkElements(elements, length, [&reader](const Element& element) {
    reader.Read(element);
    return !reader.HasHt();
  });
  return reader.HasHt();
}

}  // namespace vtr
