// The certificates an EAP-TLS profile can name: the user's personal store ("MY") as Crypt32
// lists it, and the personal certificates the machine knows of but whose file the store does not
// hold (their issuer is unknown). The utility's certificate list and vtrctl offer the same ones
// and name them the same way.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/certificate_store.h"

namespace core {

// The personal store in its own order, then the personal certificates it does not hold.
std::vector<platform::SystemStoreCertificate> PersonalStoreCertificates();

// The name a profile keeps for its certificate: the issuer's display name, which the Vista build
// follows up to the trusted root; the subject when the issuer is not known.
std::string ProfileCertificateName(const platform::SystemStoreCertificate& certificate);

// A certificate's SHA-1 thumbprint as 40 upper-case hexadecimal digits, as Windows shows it.
std::string ThumbprintText(const std::array<uint8_t, 20>& thumbprint);

}  // namespace core
