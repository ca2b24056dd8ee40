#include "app/core/personal_certificates.h"

#include <algorithm>
#include <cstdio>

#include "platform/services.h"

namespace core {

std::vector<platform::SystemStoreCertificate> PersonalStoreCertificates() {
  auto& stores = platform::Current().Certificates();
  auto certificates = stores.SystemStore("MY");
  for (const auto& personal : stores.PersonalCertificates()) {
    const bool listed =
        std::any_of(certificates.begin(), certificates.end(),
                    [&](const auto& held) { return held.sha1Hash == personal.thumbprint; });
    if (!listed) certificates.push_back({personal.subject, "", personal.thumbprint});
  }
  return certificates;
}

std::string ProfileCertificateName(const platform::SystemStoreCertificate& certificate) {
  return certificate.issuerName.empty() ? certificate.subjectName : certificate.issuerName;
}

std::string ThumbprintText(const std::array<uint8_t, 20>& thumbprint) {
  std::string text;
  char digits[3];
  for (uint8_t byte : thumbprint) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

}  // namespace core
