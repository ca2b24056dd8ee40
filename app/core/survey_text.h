// What the Site Survey page shows of a survey entry's security and WPS, in its own words; the
// utility's list and vtrctl survey show the same.
#pragma once

#include <cstdint>
#include <string>

#include "vtrlib.h"

namespace core {

// The security column, from the authentication mask and then the cipher mask: "None", "WEP",
// "WPA-PSK", "WPA2-PSK", "WPA-PSK/WPA2-PSK", "WPA Radius", "WPA2 Radius", "WPA/WPA2 Radius",
// and "Error !" for a mask outside those.
std::string SecurityText(uint32_t authMask, uint32_t cipherMask);
// "---" without WPS, "Y" with it, "Y+" while a push-button session is open.
std::string WpsText(const VtrSurveyEntry& entry);

}  // namespace core
