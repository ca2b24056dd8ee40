// What the networks' side of the supplicant stand-in checks: the pairwise master key a WPA
// network and a station must share, and the 802.1X accounts of an authentication server.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/network_description.h"
#include "sim/supplicant_description.h"

namespace sim {

using Pmk = std::array<uint8_t, 32>;

// PBKDF2-HMAC-SHA1(passphrase, SSID, 4096 rounds, 32 bytes).
Pmk PassphrasePmk(const std::string& passphrase, const std::vector<uint8_t>& ssid);
// The network's key: its 64 hexadecimal digits, or the key of its passphrase; nothing for a
// network without a pre-shared key.
std::optional<Pmk> NetworkPmk(const NetworkDescription& network);

// Whether a network's security runs the pre-shared key handshake or 802.1X.
bool UsesPreSharedKey(NetworkSecurity security);
bool Uses8021x(NetworkSecurity security);

// "DOMAIN\user" or "user": the domain part is empty without a backslash.
struct Identity {
  std::string domain;
  std::string user;
};
Identity SplitIdentity(const std::string& text);

// PEAP: an account of that identity and domain (both compared as Windows compares account
// names, without regard to case) with exactly that password.
bool PasswordAccepted(const std::vector<NetworkAccount>& accounts, const std::string& identity,
                      const std::string& password);
// EAP-TLS: an account of that identity whose thumbprint is the certificate's, and the
// certificate is one the user holds (its private key is in the personal store).
bool CertificateAccepted(const std::vector<NetworkAccount>& accounts, const std::string& identity,
                         const std::array<uint8_t, 20>& thumbprint,
                         const std::vector<CertificateDescription>& personalStore);

}  // namespace sim
