#include "sim/supplicant_keys.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>

#include "sim/description_fields.h"

namespace sim {
namespace {

constexpr int kPbkdf2Rounds = 4096;

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool SameAccount(const NetworkAccount& account, const std::string& identity) {
  const Identity given = SplitIdentity(identity);
  return SameName(account.identity, given.user) && SameName(account.domain, given.domain);
}

}  // namespace

Pmk PassphrasePmk(const std::string& passphrase, const std::vector<uint8_t>& ssid) {
  Pmk pmk{};
  PKCS5_PBKDF2_HMAC_SHA1(passphrase.data(), static_cast<int>(passphrase.size()), ssid.data(),
                         static_cast<int>(ssid.size()), kPbkdf2Rounds, static_cast<int>(pmk.size()),
                         pmk.data());
  return pmk;
}

std::optional<Pmk> NetworkPmk(const NetworkDescription& network) {
  const std::string& key = network.credentials.passphrase;
  if (key.empty()) return std::nullopt;
  if (key.size() == 64) {
    std::vector<uint8_t> bytes;
    try {
      bytes = fields::HexBytes(nlohmann::json(key), "passphrase");
    } catch (const fields::FieldError&) {
      // 64 characters that are not all hexadecimal digits cannot be a passphrase (at most 63).
      return std::nullopt;
    }
    if (bytes.size() != 32) return std::nullopt;
    Pmk pmk{};
    std::copy(bytes.begin(), bytes.end(), pmk.begin());
    return pmk;
  }
  return PassphrasePmk(key, network.ssid);
}

bool UsesPreSharedKey(NetworkSecurity security) {
  return security == NetworkSecurity::kWpaPsk || security == NetworkSecurity::kWpa2Psk ||
         security == NetworkSecurity::kWpaWpa2Psk;
}

bool Uses8021x(NetworkSecurity security) {
  return security == NetworkSecurity::kWpa || security == NetworkSecurity::kWpa2 ||
         security == NetworkSecurity::kWpaWpa2;
}

Identity SplitIdentity(const std::string& text) {
  const auto slash = text.find('\\');
  if (slash == std::string::npos) return {"", text};
  return {text.substr(0, slash), text.substr(slash + 1)};
}

bool PasswordAccepted(const std::vector<NetworkAccount>& accounts, const std::string& identity,
                      const std::string& password) {
  return std::any_of(accounts.begin(), accounts.end(), [&](const NetworkAccount& account) {
    return !account.password.empty() && SameAccount(account, identity) &&
           account.password == password;
  });
}

bool CertificateAccepted(const std::vector<NetworkAccount>& accounts, const std::string& identity,
                         const std::array<uint8_t, 20>& thumbprint,
                         const std::vector<CertificateDescription>& personalStore) {
  const bool held =
      std::any_of(personalStore.begin(), personalStore.end(),
                  [&](const auto& stored) { return stored.thumbprint == thumbprint; });
  if (!held) return false;
  return std::any_of(accounts.begin(), accounts.end(), [&](const NetworkAccount& account) {
    // A certificate account names the user without a domain; the certificate proves who it is.
    return account.thumbprint == thumbprint &&
           SameName(account.identity, SplitIdentity(identity).user);
  });
}

}  // namespace sim
