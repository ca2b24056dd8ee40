// The certificate stores of the machine: the personal store of its description, and the system
// stores "MY", "CA" and "Root" as PEM files in the machine's "certificates" folder.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/certificate_store.h"
#include "platform/x509_certificate.h"
#include "sim/machine_description.h"
#include "sim/network_accounts.h"

namespace sim {

class SimCertificates : public platform::CertificateStorePort {
 public:
  SimCertificates(const MachineDescription& machine, std::filesystem::path storeDirectory)
      : machine_(machine), storeDirectory_(std::move(storeDirectory)) {}
  std::vector<platform::StoredCertificate> PersonalCertificates() override;
  std::vector<platform::SystemStoreCertificate> SystemStore(const std::string& storeName) override;

  // The authentication server's side of EAP-TLS for the WLAN service: the station presents a
  // personal certificate ("MY") whose issuer chain through "CA" ends at the "Root" certificate
  // of that SHA-1 hash, and an account of the network holds that certificate's thumbprint.
  bool TlsLogonAccepted(const std::vector<NetworkAccount>& accounts,
                        const std::array<uint8_t, 20>& rootHash);

 private:
  // The certificates of a store's file, read afresh on every call: the files may be edited while
  // the machine runs, and nothing is kept that threads would share.
  std::vector<platform::X509Certificate> StoreCertificates(const std::string& storeName) const;

  const MachineDescription& machine_;
  const std::filesystem::path storeDirectory_;
};

}  // namespace sim
