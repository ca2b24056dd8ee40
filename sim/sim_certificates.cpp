#include "sim/sim_certificates.h"

namespace sim {

std::vector<platform::StoredCertificate> SimCertificates::PersonalCertificates() {
  std::vector<platform::StoredCertificate> certificates;
  for (const auto& held : machine_.personalCertificates) {
    certificates.push_back({held.thumbprint, held.subject});
  }
  return certificates;
}

// The PEM stores are read once their reader is in place.
std::vector<platform::SystemStoreCertificate> SimCertificates::SystemStore(const std::string&) {
  return {};
}

bool SimCertificates::TlsLogonAccepted(const std::vector<NetworkAccount>&,
                                       const std::array<uint8_t, 20>&) {
  return false;
}

}  // namespace sim
