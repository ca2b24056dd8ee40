#include "lib/common/information_elements_security.h"

#include <cstring>

#include "vtrlib/codes.h"

namespace vtr {
namespace {

constexpr uint8_t kWpaOui[3] = {0x00, 0x50, 0xF2};
constexpr uint8_t kRsnOui[3] = {0x00, 0x0F, 0xAC};
constexpr size_t kSuiteSize = 4;
constexpr uint16_t kMaxSuiteCount = 20;

// Offsets from the element's id byte. The vendor element has its OUI and type in front of the
// same layout the RSN element has after its id and length.
constexpr size_t kWpaVersionOffset = 6;
constexpr size_t kWpaPairwiseCountOffset = 12;
constexpr size_t kRsnVersionOffset = 2;
constexpr size_t kRsnPairwiseCountOffset = 8;

struct SuiteFamily {
  const uint8_t* oui;
  uint32_t authFor8021x;
  uint32_t authForPsk;
};

constexpr SuiteFamily kWpa{kWpaOui, VTR_AUTH_WPA, VTR_AUTH_WPA_PSK};
constexpr SuiteFamily kRsn{kRsnOui, VTR_AUTH_WPA2, VTR_AUTH_WPA2_PSK};

uint32_t CipherBit(const uint8_t* suite, const SuiteFamily& family) {
  if (std::memcmp(suite, family.oui, 3) != 0) return 0;
  switch (suite[3]) {
    case 1:  // WEP-40
    case 5:  // WEP-104
      return VTR_CIPHER_WEP;
    case 2:
      return VTR_CIPHER_TKIP;
    case 4:  // CCMP
      return VTR_CIPHER_AES;
    default:
      return 0;
  }
}

uint32_t AuthBit(const uint8_t* suite, const SuiteFamily& family) {
  if (std::memcmp(suite, family.oui, 3) != 0) return 0;
  if (suite[3] == 1) return family.authFor8021x;
  if (suite[3] == 2) return family.authForPsk;
  return 0;
}

// The pairwise list starts at countOffset (from the id byte), the key-management list follows
// it when bytes remain. A suite counts only when all its bytes lie inside the element.
void AddSuites(const Element& element, size_t countOffset, const SuiteFamily& family,
               SecurityMasks& masks) {
  const size_t size = kElementHeaderSize + element.length;
  const uint8_t* bytes = element.start;
  const uint16_t pairwiseCount = LoadLe16(bytes + countOffset);
  if (pairwiseCount > kMaxSuiteCount) return;
  size_t at = countOffset + 2;
  for (uint16_t i = 0; i < pairwiseCount && at + kSuiteSize <= size; ++i, at += kSuiteSize) {
    masks.cipherMask |= CipherBit(bytes + at, family);
  }
  const size_t akmCountOffset = countOffset + 2 + size_t{pairwiseCount} * kSuiteSize;
  if (akmCountOffset + 2 > size) return;
  const uint16_t akmCount = LoadLe16(bytes + akmCountOffset);
  if (akmCount < 1 || akmCount > kMaxSuiteCount) return;
  at = akmCountOffset + 2;
  for (uint16_t i = 0; i < akmCount && at + kSuiteSize <= size; ++i, at += kSuiteSize) {
    masks.authMask |= AuthBit(bytes + at, family);
  }
}

}  // namespace

void SecurityReader::ReadSuites(const Element& element) {
  if (element.id == kElementVendor) {
    // A WPA element is told by its version word 1 after the OUI and type; the WPS and the
    // pre-standard HT elements carry other values in that place.
    if (LoadLe16(element.start + kWpaVersionOffset) == 1) {
      AddSuites(element, kWpaPairwiseCountOffset, kWpa, masks_);
    }
  } else if (LoadLe16(element.start + kRsnVersionOffset) == 1) {
    AddSuites(element, kRsnPairwiseCountOffset, kRsn, masks_);
  }
}

SecurityMasks SecurityReader::Masks() const {
  SecurityMasks masks = masks_;
  if (masks.cipherMask == 0) masks.cipherMask = VTR_CIPHER_WEP;
  return masks;
}

SecurityMasks ParseSecurity(const uint8_t* elements, size_t length) {
  SecurityReader reader;
  WalkElements(elements, length, [&reader](const Element& element) {
    reader.Read(element);
    return true;
  });
  return reader.Masks();
}

}  // namespace vtr
