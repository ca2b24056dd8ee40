#include "sim/network_accounts.h"

#include "sim/description_fields.h"

namespace sim {

using namespace fields;

bool ParseThumbprint(const std::string& text, std::array<uint8_t, 20>& thumbprint) {
  std::vector<uint8_t> bytes;
  try {
    bytes = HexBytes(json(text), "thumbprint");
  } catch (const FieldError&) {
    return false;
  }
  if (bytes.size() != thumbprint.size()) return false;
  std::copy(bytes.begin(), bytes.end(), thumbprint.begin());
  return true;
}

std::vector<NetworkAccount> ReadAccounts(const json& value, const std::string& where) {
  if (!value.is_array()) throw FieldError(where + ": expected a list of accounts");
  std::vector<NetworkAccount> accounts;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string at = where + "[" + std::to_string(i) + "]";
    ExpectObject(value[i], at);
    NetworkAccount account;
    account.identity = Text(Required(value[i], at, "identity"), at + ".identity");
    Optional(value[i], at, "password",
             [&](const json& v, const std::string& w) { account.password = Text(v, w); });
    Optional(value[i], at, "domain",
             [&](const json& v, const std::string& w) { account.domain = Text(v, w); });
    Optional(value[i], at, "thumbprint", [&](const json& v, const std::string& w) {
      std::array<uint8_t, 20> thumbprint{};
      if (!ParseThumbprint(Text(v, w), thumbprint)) {
        throw FieldError(w + ": expected 40 hexadecimal digits");
      }
      account.thumbprint = thumbprint;
    });
    if (account.password.empty() && !account.thumbprint) {
      throw FieldError(at + ": an account needs a password or a certificate thumbprint");
    }
    accounts.push_back(std::move(account));
  }
  return accounts;
}

json AccountsJson(const std::vector<NetworkAccount>& accounts) {
  json list = json::array();
  for (const auto& account : accounts) {
    json entry = {{"identity", account.identity}};
    if (!account.password.empty()) entry["password"] = account.password;
    if (!account.domain.empty()) entry["domain"] = account.domain;
    if (account.thumbprint) {
      entry["thumbprint"] = HexText(account.thumbprint->data(), account.thumbprint->size());
    }
    list.push_back(std::move(entry));
  }
  return list;
}

}  // namespace sim
