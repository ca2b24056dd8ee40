// The EAP-TLS configuration blob: the walk from the profile's issuer name through the "CA" store
// to the "Root" certificate whose hash the blob carries.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lib/nativewifi/eap_tls_blob.h"
#include "vista/vista_fixture.h"

namespace {

using platform::SystemStoreCertificate;

// Stores held in memory, by name; the certificates need only names and hashes here.
class NamedStores : public platform::CertificateStorePort {
 public:
  std::vector<platform::StoredCertificate> PersonalCertificates() override { return {}; }
  std::vector<SystemStoreCertificate> SystemStore(const std::string& storeName) override {
    return stores[storeName];
  }
  std::map<std::string, std::vector<SystemStoreCertificate>> stores;
};

SystemStoreCertificate Named(const std::string& subject, const std::string& issuer,
                             uint8_t hashByte = 0) {
  SystemStoreCertificate certificate{subject, issuer, {}};
  certificate.sha1Hash.fill(hashByte);
  return certificate;
}

std::string BlobWithHash(const std::string& hashHex) {
  return "020000002A0000000500000014000000" + hashHex + "000001000000";
}

class EapTlsBlob : public testing_support::VistaTest {};

TEST_F(EapTlsBlob, VistaStoresLeadFromBobsIssuerToTheHalvornRoot) {
  UseVista();
  auto& stores = platform::Current().Certificates();
  // The unrelated authority and root stand first in their stores and are passed over.
  EXPECT_EQ(vtr::EapTlsConfigBlob("Halvorn Issuing CA", stores),
            BlobWithHash("223DFBE0B33F324F8E5EF02D6A4112D86518AD3A"));
  // A root named directly is its own end.
  EXPECT_EQ(vtr::EapTlsConfigBlob("Elsewhere Root CA", stores),
            BlobWithHash("C958C9F41C5E187F9595468531366BDD65CA6277"));
}

TEST(EapTlsBlobWalk, LoopsAndSelfIssuedAuthoritiesEndTheWalk) {
  NamedStores loop;
  loop.stores["CA"] = {Named("A", "B"), Named("B", "A")};
  loop.stores["Root"] = {Named("B", "B", 0xBB), Named("A", "A", 0xAA)};
  // From A the walk goes to B and back to A, met a second time: it ends there.
  EXPECT_EQ(vtr::EapTlsConfigBlob("A", loop), BlobWithHash(std::string(40, 'A')));
  EXPECT_EQ(vtr::EapTlsConfigBlob("B", loop), BlobWithHash(std::string(40, 'B')));

  NamedStores selfIssued;
  selfIssued.stores["CA"] = {Named("Issuing", "Top"), Named("Top", "Top")};
  selfIssued.stores["Root"] = {Named("Top", "Top", 0x5C)};
  std::string hash;
  for (int i = 0; i < 20; ++i) hash += "5C";
  // An authority kept among the intermediates though it issued itself still ends the chain.
  EXPECT_EQ(vtr::EapTlsConfigBlob("Issuing", selfIssued), BlobWithHash(hash));
}

TEST(EapTlsBlobWalk, AChainWithoutItsRootGivesNoBlob) {
  NamedStores stores;
  stores.stores["CA"] = {Named("Issuing", "Missing Root")};
  stores.stores["Root"] = {Named("Other Root", "Other Root", 1)};
  EXPECT_EQ(vtr::EapTlsConfigBlob("Issuing", stores), "");
  EXPECT_EQ(vtr::EapTlsConfigBlob("", stores), "");
  // The root is looked up by the name the walk ends at, not by the name it started from.
  stores.stores["Root"].push_back(Named("Issuing", "Issuing", 2));
  EXPECT_EQ(vtr::EapTlsConfigBlob("Issuing", stores), "");
}

}  // namespace
