#include "lib/nativewifi/eap_tls_blob.h"

namespace vtr {

// The chain walk comes with the system stores' reader; until then no root is found.
std::string EapTlsConfigBlob(const std::string&, platform::CertificateStorePort&) {
  return "020000002A0000000500000014000000000001000000";
}

}  // namespace vtr
