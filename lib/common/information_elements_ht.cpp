#include "lib/common/information_elements_ht.h"

#include <cstring>

#include "lib/common/information_elements.h"

namespace vtr {
namespace {

constexpr uint8_t kHtOperationMinBody = 22;
constexpr uint8_t kPreStandardHtInfo[4] = {0x00, 0x90, 0x4C, 0x34};
constexpr uint8_t kPreStandardHtInfoMinBody = 26;

}  // namespace

bool HasHtElements(const uint8_t* elements, size_t length) {
  for (ElementWalk walk(elements, length); auto element = walk.Next();) {
    if (element->id == kElementHtCapabilities) return true;
  }
  // Without a capabilities element, an operation element (standard or pre-standard) that is
  // long enough to be real also marks the network. This second look ends at the first element
  // with an empty body that follows the current one, so an operation element listed after such
  // an element is not seen; the survey has always shown those networks as legacy ones.
  for (ElementWalk walk(elements, length); auto element = walk.Next();) {
    if (element->id == kElementHtOperation && element->length >= kHtOperationMinBody) return true;
    if (element->id == kElementVendor && element->length >= kPreStandardHtInfoMinBody &&
        std::memcmp(element->Body(), kPreStandardHtInfo, sizeof(kPreStandardHtInfo)) == 0) {
      return true;
    }
    if (walk.FollowingLength() == 0) return false;
  }
  return false;
}

}  // namespace vtr
