// The user's and the machine's certificate stores, as Crypt32 opens them: what an EAP-TLS
// profile may name, and the chain from an issuing authority up to a trusted root.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct StoredCertificate {
  std::array<uint8_t, 20> thumbprint{};  // SHA-1 of the certificate
  std::string subject;                   // "CN=bob, O=Halvorn"
};

// One certificate of a system store, with the names CertGetNameStringA gives for the simple
// display type (the common name, else the first organisational unit, organisation or e-mail).
struct SystemStoreCertificate {
  std::string subjectName;             // "Halvorn Issuing CA"
  std::string issuerName;              // "Halvorn Root CA"
  std::array<uint8_t, 20> sha1Hash{};  // the certificate's SHA-1 hash property
};

class CertificateStorePort {
 public:
  virtual ~CertificateStorePort() = default;
  // The certificates of the user's personal store ("MY"), with their private keys.
  virtual std::vector<StoredCertificate> PersonalCertificates() = 0;
  // The certificates of a system store by its name ("MY", "CA", "Root"), in the store's order;
  // empty for a store that does not exist or holds nothing readable.
  virtual std::vector<SystemStoreCertificate> SystemStore(const std::string& storeName) = 0;
};

}  // namespace platform
