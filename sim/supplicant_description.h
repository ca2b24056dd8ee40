// What machine.json says about the 802.1X side of the machine: the user's personal certificate
// store (the certificates an EAP-TLS profile may name; the machine holds their private keys) and
// the supplicant library installed with the driver.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct CertificateDescription {
  std::array<uint8_t, 20> thumbprint{};  // SHA-1 of the certificate, as Windows shows it
  std::string subject;                   // "CN=alice, O=Halvorn"

  bool operator==(const CertificateDescription&) const = default;
};

struct SupplicantDescription {
  // The initialisation call that fails on this machine ("acEapTLSInit"); empty: none fails.
  std::string failingCall;
};

// "certificates": {"personal": [{"thumbprint", "subject"}, ...]}; faults name the field.
std::vector<CertificateDescription> ReadPersonalCertificates(const nlohmann::json& value,
                                                             const std::string& where);
// "supplicant": {"failingCall": "acEapTLSInit"}.
SupplicantDescription ReadSupplicantDescription(const nlohmann::json& value,
                                                const std::string& where);

// The names of the initialisation calls, in the order the library makes them.
const std::vector<std::string>& SupplicantInitialisationCalls();

}  // namespace sim
