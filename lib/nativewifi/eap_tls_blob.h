// The EAP-TLS configuration blob of a WLAN profile: which root the server's chain must end at.
#pragma once

#include <string>

#include "platform/certificate_store.h"

namespace vtr {

// Walks from the issuer name up through the "CA" store to the certificate of the "Root" store
// that ends the chain, and writes the blob's hexadecimal text with that root's SHA-1 hash.
// Empty when no certificate of the "Root" store ends the chain.
std::string EapTlsConfigBlob(const std::string& issuerName, platform::CertificateStorePort& stores);

}  // namespace vtr
