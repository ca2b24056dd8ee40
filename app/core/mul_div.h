// MulDiv as Windows has it: a * b in 64 bits, divided by c, rounded half away from zero; -1 when
// c is 0 or the result does not fit in 32 bits.
#pragma once

#include <cstdint>
#include <limits>

namespace core {

constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * b;
  const bool negative = (product < 0) != (c < 0);
  const uint64_t magnitude = product < 0 ? uint64_t(-product) : uint64_t(product);
  const uint64_t divisor = c < 0 ? uint64_t(-int64_t{c}) : uint64_t(c);
  const uint64_t rounded = (magnitude + divisor / 2) / divisor;
  const int64_t result = negative ? -int64_t(rounded) : int64_t(rounded);
  if (result > std::numeric_limits<int32_t>::max() ||
      result < std::numeric_limits<int32_t>::min()) {
    return -1;
  }
  return static_cast<int32_t>(result);
}

}  // namespace core
