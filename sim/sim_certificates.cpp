#include "sim/sim_certificates.h"

namespace sim {

std::vector<platform::StoredCertificate> SimCertificates::PersonalCertificates() {
  std::vector<platform::StoredCertificate> certificates;
  for (const auto& held : machine_.personalCertificates) {
    certificates.push_back({held.thumbprint, held.subject});
  }
  return certificates;
}

}  // namespace sim
