#include "lib/nativewifi/eap_tls_blob.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace vtr {
namespace {

const platform::SystemStoreCertificate* FindBySubject(
    const std::vector<platform::SystemStoreCertificate>& store, const std::string& name) {
  const auto found = std::find_if(store.begin(), store.end(),
                                  [&](const auto& held) { return held.subjectName == name; });
  return found != store.end() ? &*found : nullptr;
}

// The name the chain ends at: from the issuer name up through the authorities of the "CA"
// store, each found by its subject name. A name met a second time ends the walk, as a loop in
// the store (A issued by B, B by A) or a self-issued authority would otherwise never end it.
std::string TopOfChain(const std::string& issuerName, platform::CertificateStorePort& stores) {
  const auto authorities = stores.SystemStore("CA");
  std::string name = issuerName;
  std::set<std::string> seen;
  while (seen.insert(name).second) {
    const auto* authority = FindBySubject(authorities, name);
    if (authority == nullptr) break;
    name = authority->issuerName;
  }
  return name;
}

}  // namespace

std::string EapTlsConfigBlob(const std::string& issuerName,
                             platform::CertificateStorePort& stores) {
  const auto roots = stores.SystemStore("Root");
  const auto* root = FindBySubject(roots, TopOfChain(issuerName, stores));
  // The blob's sizes announce a 20-byte hash; without a trusted root there is no honest blob,
  // and the profile gets none rather than one whose sizes do not match its bytes.
  if (root == nullptr) return {};
  std::string blob = "020000002A0000000500000014000000";
  char digits[3];
  for (uint8_t byte : root->sha1Hash) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    blob += digits;
  }
  return blob + "000001000000";
}

}  // namespace vtr
