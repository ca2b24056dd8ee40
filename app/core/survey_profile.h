// A profile made from a survey entry: what the utility takes over from a network it found.
#pragma once

#include <cstdint>

#include "app/core/vtr_library.h"

namespace core {

inline constexpr const char* kDefaultProfileName = "<Default>";
inline constexpr const char* kAnySsid = "<ANY SSID>";

// The modes a survey entry offers become the one mode the profile asks for: both pre-shared-key
// modes (12) become WPA-PSK (4), both 802.1X modes (48) become WPA (16); TKIP and AES together
// (6) become TKIP (2); a WEP network (1) is joined with Auto Switch (2), or open (0) on an
// adapter of kind 5.
uint32_t ProfileAuthModeFromSurvey(uint32_t authMask, uint32_t cipherMask, uint32_t adapterKind);
uint32_t ProfileEncryptionFromSurvey(uint32_t cipherMask);

// Fills record from entry: the library's defaults first (the profile's name kept), then the
// network's name, address, channel, type, band and 802.11n flag, and its security.
void FillProfileFromSurvey(const CVtrLibrary& lib, ProfileRecord& record,
                           const VtrSurveyEntry& entry, uint32_t adapterKind);

// An ad hoc network prepared for joining: its band as the ad hoc wireless mode (2, 4 or 6; 8, "not
// determined", for any other), its channel as the ad hoc channel.
void PrepareAdHocFromSurvey(ProfileRecord& record, const VtrSurveyEntry& entry);

// The registry value "EnterpriseOff" exists (whatever it holds): the 802.1X modes are off.
bool EnterpriseModesOff();
// The network asks for 802.1X: WPA (16), WPA2 (32) or both (48).
bool IsEnterpriseNetwork(const VtrSurveyEntry& entry);
// With the setting "EnterpriseOff" present (any content), networks that need 802.1X (WPA, WPA2
// or both with a RADIUS server) are not joined: "Not support this connect mode !".
bool BlockedByEnterpriseOff(const VtrSurveyEntry& entry);

// The entry's SSID as text (the library does not terminate it).
std::string SurveySsid(const VtrSurveyEntry& entry);

}  // namespace core
