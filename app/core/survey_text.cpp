#include "app/core/survey_text.h"

namespace core {

std::string SecurityText(uint32_t authMask, uint32_t cipherMask) {
  switch (authMask) {
    case VTR_AUTH_OPEN:
    case VTR_AUTH_SHARED:
    case VTR_AUTH_AUTO_SWITCH:
      if (cipherMask == VTR_CIPHER_NONE) return "None";
      return cipherMask == VTR_CIPHER_WEP ? "WEP" : "WPA-PSK";
    case VTR_AUTH_WPA_PSK:
      return "WPA-PSK";
    case VTR_AUTH_WPA2_PSK:
      return "WPA2-PSK";
    case VTR_AUTH_WPA_PSK | VTR_AUTH_WPA2_PSK:
      return "WPA-PSK/WPA2-PSK";
    case VTR_AUTH_WPA:
      return "WPA Radius";
    case VTR_AUTH_WPA2:
      return "WPA2 Radius";
    case VTR_AUTH_WPA | VTR_AUTH_WPA2:
      return "WPA/WPA2 Radius";
    default:
      return "Error !";
  }
}

std::string WpsText(const VtrSurveyEntry& entry) {
  if (entry.hasWps == 0) return "---";
  return entry.wpsPbcActive != 0 ? "Y+" : "Y";
}

}  // namespace core
