#include "sim/supplicant_description.h"

#include <algorithm>

#include "sim/description_fields.h"
#include "sim/network_accounts.h"

namespace sim {

using namespace fields;

const std::vector<std::string>& SupplicantInitialisationCalls() {
  static const std::vector<std::string> calls = {
      "acInit",        "ac8021xInit",   "acRsnInit",     "acEapFASTInit",
      "acEapGTCInit",  "acEapLEAPInit", "acEapMD5Init",  "acEapMSCHAPv2Init",
      "acEapPEAPInit", "acEapTLSInit",  "acEapTTLSInit", "acCcxInit"};
  return calls;
}

std::vector<CertificateDescription> ReadPersonalCertificates(const json& value,
                                                             const std::string& where) {
  ExpectObject(value, where);
  std::vector<CertificateDescription> certificates;
  Optional(value, where, "personal", [&](const json& v, const std::string& w) {
    if (!v.is_array()) throw FieldError(w + ": expected a list of certificates");
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string at = w + "[" + std::to_string(i) + "]";
      ExpectObject(v[i], at);
      CertificateDescription certificate;
      if (!ParseThumbprint(Text(Required(v[i], at, "thumbprint"), at + ".thumbprint"),
                           certificate.thumbprint)) {
        throw FieldError(at + ".thumbprint: expected 40 hexadecimal digits");
      }
      certificate.subject = Text(Required(v[i], at, "subject"), at + ".subject");
      certificates.push_back(std::move(certificate));
    }
  });
  return certificates;
}

SupplicantDescription ReadSupplicantDescription(const json& value, const std::string& where) {
  ExpectObject(value, where);
  SupplicantDescription supplicant;
  Optional(value, where, "failingCall", [&](const json& v, const std::string& w) {
    supplicant.failingCall = Text(v, w);
    const auto& calls = SupplicantInitialisationCalls();
    if (std::find(calls.begin(), calls.end(), supplicant.failingCall) == calls.end()) {
      throw FieldError(w + ": expected one of the initialisation calls, acInit to acCcxInit");
    }
  });
  return supplicant;
}

}  // namespace sim
