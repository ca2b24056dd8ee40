// The accounts an 802.1X network's authentication server knows: a PEAP account is an identity
// with its password (and the Windows domain it belongs to), an EAP-TLS account an identity with
// the thumbprint of the user certificate it must present.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct NetworkAccount {
  std::string identity;
  std::string password;                               // PEAP; empty for a certificate account
  std::string domain;                                 // empty: an account outside any domain
  std::optional<std::array<uint8_t, 20>> thumbprint;  // EAP-TLS

  bool operator==(const NetworkAccount&) const = default;
};

// Reads "accounts": [{"identity", "password", "domain"} or {"identity", "thumbprint"}, ...];
// faults name the field below where.
std::vector<NetworkAccount> ReadAccounts(const nlohmann::json& value, const std::string& where);
nlohmann::json AccountsJson(const std::vector<NetworkAccount>& accounts);

// A thumbprint as 40 hexadecimal digits (blanks between bytes allowed); false when it is not one.
bool ParseThumbprint(const std::string& text, std::array<uint8_t, 20>& thumbprint);

}  // namespace sim
