#include "lib/common/information_elements.h"

namespace vtr {

std::optional<Element> ElementAt(const uint8_t* area, size_t length, size_t offset) {
  if (area == nullptr || offset >= length || length - offset < kElementHeaderSize) return {};
  const uint8_t* start = area + offset;
  const uint8_t bodyLength = start[1];
  if (length - offset - kElementHeaderSize < bodyLength) return {};
  return Element{start, start[0], bodyLength, offset + kElementHeaderSize + bodyLength};
}

std::optional<Element> ElementWalk::Next() {
  auto element = ElementAt(area_, length_, offset_);
  // A broken element ends the walk for good, even if Next is called again.
  offset_ = element ? element->next : length_;
  return element;
}

std::optional<uint8_t> ElementWalk::FollowingLength() const {
  if (area_ == nullptr || offset_ + 1 >= length_) return {};
  return area_[offset_ + 1];
}

}  // namespace vtr
