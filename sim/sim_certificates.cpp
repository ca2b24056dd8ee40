#include "sim/sim_certificates.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>

#include "platform/x509_certificate.h"
#include "sim/machine_file.h"

namespace sim {
namespace {

// The file of a store, by its name as Crypt32 takes it (any case); only the machine's three
// stores exist, so no other name reaches the file system.
std::optional<std::string> StoreFileName(const std::string& storeName) {
  std::string upper = storeName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "MY") return "MY.pem";
  if (upper == "CA") return "CA.pem";
  if (upper == "ROOT") return "Root.pem";
  return std::nullopt;
}

// A store file that is not a regular file of a machine file's size is an empty store.
std::vector<platform::X509Certificate> ReadStoreFile(const std::filesystem::path& path) {
  std::string text;
  if (ReadMachineFile(path, text)) return {};
  return platform::ReadPemCertificates(text.data(), text.size());
}
const platform::SystemStoreCertificate* FindBySubject(
    const std::vector<platform::SystemStoreCertificate>& store, const std::string& name) {
  const auto found = std::find_if(store.begin(), store.end(),
                                  [&](const auto& held) { return held.subjectName == name; });
  return found != store.end() ? &*found : nullptr;
}

}  // namespace

std::vector<platform::X509Certificate> SimCertificates::StoreCertificates(
    const std::string& storeName) const {
  const auto file = StoreFileName(storeName);
  if (!file) return {};
  return ReadStoreFile(storeDirectory_ / *file);
}

std::vector<platform::StoredCertificate> SimCertificates::PersonalCertificates() {
  std::vector<platform::StoredCertificate> certificates;
  for (const auto& held : machine_.personalCertificates) {
    certificates.push_back({held.thumbprint, held.subject});
  }
  // The store file adds what the description does not already name.
  for (const auto& held : StoreCertificates("MY")) {
    const bool listed =
        std::any_of(certificates.begin(), certificates.end(),
                    [&](const auto& known) { return known.thumbprint == held.thumbprint; });
    if (!listed) certificates.push_back({held.thumbprint, held.subject});
  }
  return certificates;
}

std::vector<platform::SystemStoreCertificate> SimCertificates::SystemStore(
    const std::string& storeName) {
  std::vector<platform::SystemStoreCertificate> store;
  for (const auto& held : StoreCertificates(storeName)) {
    store.push_back({held.subjectName, held.issuerName, held.thumbprint});
  }
  return store;
}

bool SimCertificates::TlsLogonAccepted(const std::vector<NetworkAccount>& accounts,
                                       const std::array<uint8_t, 20>& rootHash) {
  const auto intermediates = SystemStore("CA");
  const auto roots = SystemStore("Root");
  for (const auto& personal : SystemStore("MY")) {
    const bool known = std::any_of(accounts.begin(), accounts.end(), [&](const auto& account) {
      return account.thumbprint == personal.sha1Hash;
    });
    if (!known) continue;
    // Up through the intermediate authorities by issuer name; a name met twice (a loop in the
    // store, or a self-issued authority) ends the walk.
    std::string name = personal.issuerName;
    std::set<std::string> seen;
    while (seen.insert(name).second) {
      const auto* issuer = FindBySubject(intermediates, name);
      if (issuer == nullptr) break;
      name = issuer->issuerName;
    }
    const bool trusted = std::any_of(roots.begin(), roots.end(), [&](const auto& root) {
      return root.subjectName == name && root.sha1Hash == rootHash;
    });
    if (trusted) return true;
  }
  return false;
}

}  // namespace sim
