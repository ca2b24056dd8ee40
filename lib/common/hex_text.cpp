// Key bytes to hexadecimal text and back, right-aligned as the key fields keep them.
#include <cstring>

#include "lib/common/export_boundary.h"
#include "vtrlib.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Letters are not validated: a non-hexadecimal letter simply yields a value above 15.
int DigitValue(char c) {
  if (c >= 'a' && c <= 'z') return c - 87;
  if (c < 'A') return c - 48;
  return c - 55;
}

}  // namespace

char* VTR_HexToString(const uint8_t* bytes, uint32_t byteCount, char* text, uint32_t digitCount,
                      uint32_t reverseOrder) try {
  if (text == nullptr) return text;
  std::memset(text, '0', digitCount);
  text[digitCount] = '\0';
  if (bytes == nullptr) return text;
  for (uint32_t i = 0; i < byteCount; ++i) {
    // Order 0 shows byte 0 first; otherwise byte 0 stands at the right end.
    const uint64_t pairsFromRight = reverseOrder == 0 ? byteCount - i : i + 1;
    if (2 * pairsFromRight > digitCount) continue;
    const uint64_t position = digitCount - 2 * pairsFromRight;
    text[position] = kDigits[bytes[i] >> 4];
    text[position + 1] = kDigits[bytes[i] & 0x0F];
  }
  return text;
} catch (...) {
  return vtr::ExceptionAtBoundary<char*>(__func__, text);
}

uint8_t* VTR_StringToHex(const char* text, uint32_t textLength, uint8_t* bytes, uint32_t byteCount,
                         uint32_t reverseOrder) try {
  if (bytes == nullptr) return bytes;
  std::memset(bytes, 0, byteCount);
  if (text == nullptr) return bytes;
  // Never read past the text's end, whatever length the caller claims.
  int64_t end = static_cast<int64_t>(strnlen(text, textLength));
  for (uint32_t filled = 0; end > 0 && filled < byteCount; ++filled) {
    const int64_t start = end >= 2 ? end - 2 : 0;
    int value = DigitValue(text[start]);
    if (end - start == 2) value = 16 * value + DigitValue(text[start + 1]);
    const uint32_t index = reverseOrder == 0 ? byteCount - 1 - filled : filled;
    bytes[index] = static_cast<uint8_t>(value);
    end = start;
  }
  return bytes;
} catch (...) {
  return vtr::ExceptionAtBoundary<uint8_t*>(__func__, bytes);
}
