// The user's certificate stores, as Crypt32 opens them: what an EAP-TLS profile may name.
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

class CertificateStorePort {
 public:
  virtual ~CertificateStorePort() = default;
  // The certificates of the user's personal store ("MY"), with their private keys.
  virtual std::vector<StoredCertificate> PersonalCertificates() = 0;
};

}  // namespace platform
