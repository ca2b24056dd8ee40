// WEP keys from a passphrase: the widely used 40-bit generator and the MD5-based 104-bit key.
#include <openssl/evp.h>

#include <cstring>

#include "lib/common/export_boundary.h"
#include "vtrlib.h"

namespace {

constexpr size_t kKeySlotSize = 16;
constexpr size_t kKey64Length = 5;
constexpr size_t kKey128Length = 13;
constexpr size_t kRepeatedLength = 64;

bool IsEmpty(const char* passphrase) {
  return passphrase == nullptr || passphrase[0] == '\0';
}

}  // namespace

void VTR_Passphrase64(const char* passphrase, uint8_t* keys) try {
  if (IsEmpty(passphrase) || keys == nullptr) return;
  // Fold the passphrase into four seed bytes, then run the linear congruential generator.
  uint8_t seed[4] = {};
  for (size_t i = 0; passphrase[i] != '\0'; ++i) seed[i % 4] ^= static_cast<uint8_t>(passphrase[i]);
  uint32_t x = seed[0] | seed[1] << 8 | seed[2] << 16 | static_cast<uint32_t>(seed[3]) << 24;
  for (size_t key = 0; key < 4; ++key) {
    for (size_t i = 0; i < kKey64Length; ++i) {
      x = x * 214013u + 2531011u;
      keys[key * kKeySlotSize + i] = static_cast<uint8_t>(x >> 16);
    }
  }
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}

void VTR_Passphrase128(const char* passphrase, uint8_t* key) try {
  if (IsEmpty(passphrase) || key == nullptr) return;
  const size_t length = std::strlen(passphrase);
  uint8_t repeated[kRepeatedLength];
  for (size_t i = 0; i < kRepeatedLength; ++i) {
    repeated[i] = static_cast<uint8_t>(passphrase[i % length]);
  }
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned digestLength = 0;
  if (EVP_Digest(repeated, sizeof(repeated), digest, &digestLength, EVP_md5(), nullptr) != 1) {
    return;
  }
  std::memcpy(key, digest, kKey128Length);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}
