// Whether a network announces 802.11n: the HT elements of the standard or the pre-standard
// vendor element.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lib/common/information_elements.h"

namespace vtr {

// Decides one element at a time, so that a single walk over a beacon can serve it and the
// other readers of the survey together.
//
// A capabilities element anywhere marks the network. Without one, an operation element
// (standard or pre-standard) that is long enough to be real also marks it, but only when it
// comes before the first element with an empty body after the first element: the survey has
// always looked for operation elements only that far, and shown networks that list theirs
// later as legacy ones.
class HtReader {
 public:
  void Read(const Element& element) {
    if (element.id == kElementHtCapabilities) capabilities_ = true;
    if (element.length == 0 && !first_) operationLookEnded_ = true;
    first_ = false;
    if (!operationLookEnded_ && IsOperation(element)) operation_ = true;
  }
  bool HasHt() const { return capabilities_ || operation_; }

 private:
  static constexpr uint8_t kHtOperationMinBody = 22;
  static constexpr uint8_t kPreStandardHtInfo[4] = {0x00, 0x90, 0x4C, 0x34};
  static constexpr uint8_t kPreStandardHtInfoMinBody = 26;

  static bool IsOperation(const Element& element) {
    if (element.id == kElementHtOperation) return element.length >= kHtOperationMinBody;
    return element.id == kElementVendor && element.length >= kPreStandardHtInfoMinBody &&
           std::memcmp(element.Body(), kPreStandardHtInfo, sizeof(kPreStandardHtInfo)) == 0;
  }

  bool capabilities_ = false;
  bool operation_ = false;
  bool operationLookEnded_ = false;
  bool first_ = true;
};

bool HasHtElements(const uint8_t* elements, size_t length);

}  // namespace vtr
