// The certificate stores of the machine, from its description.
#pragma once

#include "platform/certificate_store.h"
#include "sim/machine_description.h"

namespace sim {

class SimCertificates : public platform::CertificateStorePort {
 public:
  explicit SimCertificates(const MachineDescription& machine) : machine_(machine) {}
  std::vector<platform::StoredCertificate> PersonalCertificates() override;

 private:
  const MachineDescription& machine_;
};

}  // namespace sim
