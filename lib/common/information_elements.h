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
#include <optional>

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
  size_t next;     // offset of the element after this one within the area

  const uint8_t* Body() const { return start + kElementHeaderSize; }
  const uint8_t* End() const { return Body() + length; }
};

// The element at offset within the area, when its header and its whole body lie inside it.
std::optional<Element> ElementAt(const uint8_t* area, size_t length, size_t offset);

// Walks the elements of an area in order:
//   for (ElementWalk walk(area, length); auto element = walk.Next();) ...
class ElementWalk {
 public:
  ElementWalk(const uint8_t* area, size_t length) : area_(area), length_(length) {}
  std::optional<Element> Next();
  // The length byte of the element after the last one returned, when that byte is in the area.
  std::optional<uint8_t> FollowingLength() const;

 private:
  const uint8_t* area_;
  size_t length_;
  size_t offset_ = 0;
};

inline uint16_t LoadLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}
inline uint16_t LoadBe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

}  // namespace vtr
