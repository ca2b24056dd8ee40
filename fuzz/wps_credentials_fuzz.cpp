// ReadCredentialTable over any bytes, and the profiles made from each credential: the reads stay
// within the bytes given, and every profile field the connect sizes a request by stays within
// its width.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lib/common/wps_credentials.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vtr::wps::CredentialList list = vtr::wps::ReadCredentialTable(data, size);
  if (list.count > platform::kWpsMaxCredentials) __builtin_trap();
  WpsRequest request;
  std::memset(&request, 0, sizeof request);
  std::memcpy(request.ssid, "HomeNet", 7);
  if (list.count > 0 && vtr::wps::ChooseCredential(list, request) >= list.count) __builtin_trap();
  for (uint32_t i = 0; i < 2 * list.count; ++i) {
    // Each credential as both builds count a pre-shared key's length.
    const auto rule = i % 2 == 0 ? vtr::wps::PskLength::kCountedCharacters
                                 : vtr::wps::PskLength::kCredentialKeyLength;
    ProfileRecord profile;
    std::memset(&profile, 0, sizeof profile);
    vtr::wps::ApplyCredential(list.items[i / 2], profile, rule);
    if (strnlen(profile.ssid, sizeof profile.ssid) > 32) __builtin_trap();
    if (profile.pskLength > 64 || profile.psk[64] != '\0') __builtin_trap();
    if (profile.wepKeyIndex > 3) __builtin_trap();
    const uint32_t bytes = profile.wepKeyLength[profile.wepKeyIndex];
    if (bytes != 0 && bytes != 5 && bytes != 13 && bytes != 16) __builtin_trap();
    if (profile.wepKey[profile.wepKeyIndex][32] != '\0') __builtin_trap();
  }
  return 0;
}
