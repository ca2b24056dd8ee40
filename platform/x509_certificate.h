// X.509 certificates read from PEM text, with the names Crypt32 gives them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct X509Certificate {
  // The simple display names, as CertGetNameStringA gives them: the first common name, else
  // the first organisational unit, organisation or e-mail address.
  std::string subjectName;  // "bob"
  std::string issuerName;   // "Halvorn Issuing CA"
  // The whole subject, most specific part first, as Crypt32 writes an X.500 name.
  std::string subject;                   // "CN=bob, OU=Engineering, O=Halvorn"
  std::array<uint8_t, 20> thumbprint{};  // SHA-1 of the DER encoding
};

// The certificates of the "CERTIFICATE" blocks in [text, text + length), in their order. Text
// around the blocks, blocks of other kinds and blocks that do not decode are skipped. Never
// reads outside the given bytes.
std::vector<X509Certificate> ReadPemCertificates(const char* text, size_t length);

}  // namespace platform
