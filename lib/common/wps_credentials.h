// The credential table the driver hands out after a registration, the choice of one credential
// and the WPS profile made from it; and the start message made from the caller's request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wps_driver_records.h"
#include "vtrlib/profile_record.h"
#include "vtrlib/wps_request.h"

namespace vtr::wps {

struct CredentialList {
  uint32_t count = 0;
  platform::WpsCredential items[platform::kWpsMaxCredentials] = {};
};

// Reads a table of length bytes. The count is bounded by the eight credentials the 996-byte
// table can hold and by the credentials whose fields lie within length; an eighth credential
// lacks only padding.
CredentialList ReadCredentialTable(const uint8_t* data, std::size_t length);

// With fewer than two credentials the first; otherwise the first whose SSID begins with the
// request's SSID (its characters compared), else the first.
uint32_t ChooseCredential(const CredentialList& list, const WpsRequest& request);

// What a pre-shared key's pskLength says: the characters of the key taken (the driver build), or
// the credential's own key length (the Native Wi-Fi build), bounded by the key field.
enum class PskLength { kCountedCharacters, kCredentialKeyLength };

// Fills a profile that holds the record defaults with the credential: names, the access
// point's address bytes, authentication and key, encryption and WEP key.
void ApplyCredential(const platform::WpsCredential& credential, ProfileRecord& profile,
                     PskLength pskLength = PskLength::kCountedCharacters);

// The 56-byte start message of a request; false for a method the engine does not know.
bool BuildStartMessage(const WpsRequest& request, platform::WpsStartMessage& message);

}  // namespace vtr::wps
