// Walking the variable information elements of a beacon: an id byte, a length byte and that
// many bytes of body, back to back.
//
// The walk never leaves the element area. An element whose body would run past the end of the
// area ends the walk: the rest of the area is ignored, because once one length is wrong the
// bytes after it can no longer be told apart from noise. A body length of 0 is an ordinary
// element of two bytes, so the walk always moves forward.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtr {

inline constexpr uint8_t kElementRsn = 48;
inline constexpr uint8_t kElementHtCapabilities = 45;
inline constexpr uint8_t kElementHtOperation = 61;
inline constexpr uint8_t kElementVendor = 221;
inline constexpr size_t kElementHeaderSize = 2;

struct Element {
  const uint8_t* start;  // the id byte; the body starts kElementHeaderSize bytes later
  uint8_t id;
  uint8_t length;  // of the body

  const uint8_t* Body() const { return start + kElementHeaderSize; }
  const uint8_t* End() const { return Body() + length; }
};

// Hands each whole element of the area to visit, in order, for as long as visit returns true.
// Inline, so that a walk costs no call per element: the survey reads all it needs from a beacon
// in one walk.
template <typename Visit>
inline void WalkElements(const uint8_t* area, size_t length, Visit&& visit) {
  if (area == nullptr) return;
  // offset never passes length: an element is taken only when its whole body lies inside.
  for (size_t offset = 0; length - offset >= kElementHeaderSize;) {
    const uint8_t bodyLength = area[offset + 1];
    if (length - offset - kElementHeaderSize < bodyLength) return;
    const Element element{area + offset, area[offset], bodyLength};
    offset += kElementHeaderSize + bodyLength;
    if (!visit(element)) return;
  }
}

inline uint16_t LoadLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}
inline uint16_t LoadBe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

}  // namespace vtr
