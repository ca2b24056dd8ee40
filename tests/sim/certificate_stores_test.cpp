// The machine's certificate stores: the PEM files of its "certificates" folder as Crypt32's
// system stores, the personal store, and the authentication server's EAP-TLS check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/machine.h"
#include "sim/machine_description.h"
#include "sim/network_accounts.h"
#include "sim/sim_certificates.h"
#include "support/machine_fixture.h"
#include "support/test_certificates.h"

namespace {

namespace fs = std::filesystem;

std::array<uint8_t, 20> Thumbprint(const std::string& hex) {
  std::array<uint8_t, 20> bytes{};
  EXPECT_TRUE(sim::ParseThumbprint(hex, bytes)) << hex;
  return bytes;
}

const auto kBob = Thumbprint("9810B05B849BC8FEAA15D56810FC24375A4BE2EF");
const auto kHalvornRoot = Thumbprint("223DFBE0B33F324F8E5EF02D6A4112D86518AD3A");
const auto kElsewhereRoot = Thumbprint("C958C9F41C5E187F9595468531366BDD65CA6277");

class CertificateStores : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::MakeTempDirectory() / "certificates";
    ASSERT_FALSE(
        sim::WriteCertificateFiles(folder_.parent_path(), sim::PresetCertificateFiles("vista")));
    machine_ = std::get<sim::MachineDescription>(
        sim::ParseMachineDescription(testing_support::XpDescription().dump()));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_.parent_path(), ignored);
  }

  void WriteStore(const std::string& file, const std::string& text) {
    std::ofstream(folder_ / file, std::ios::binary | std::ios::trunc) << text;
  }
  std::string PresetText(const std::string& file) {
    for (const auto& stored : sim::PresetCertificateFiles("vista")) {
      if (stored.name == file) return std::string(stored.text);
    }
    return {};
  }
  sim::SimCertificates Stores() { return sim::SimCertificates(machine_, folder_); }

  fs::path folder_;
  sim::MachineDescription machine_;
};

std::vector<std::string> SubjectNames(const std::vector<platform::SystemStoreCertificate>& store) {
  std::vector<std::string> names;
  for (const auto& certificate : store) names.push_back(certificate.subjectName);
  return names;
}

TEST_F(CertificateStores, SystemStoresAreTheFolderFilesByAnyCaseOfTheirName) {
  auto stores = Stores();
  using Names = std::vector<std::string>;
  EXPECT_EQ(SubjectNames(stores.SystemStore("Root")),
            (Names{"Elsewhere Root CA", "Halvorn Root CA"}));
  EXPECT_EQ(SubjectNames(stores.SystemStore("ROOT")), SubjectNames(stores.SystemStore("root")));
  EXPECT_EQ(SubjectNames(stores.SystemStore("ca")),
            (Names{"Elsewhere Server CA", "Halvorn Issuing CA"}));
  const auto personal = stores.SystemStore("My");
  ASSERT_EQ(personal.size(), 1u);
  EXPECT_EQ(personal[0].issuerName, "Halvorn Issuing CA");
  EXPECT_EQ(personal[0].sha1Hash, kBob);
  // Only the three stores exist; no name reaches another file.
  WriteStore("Trust.pem", PresetText("Root.pem"));
  EXPECT_TRUE(stores.SystemStore("Trust").empty());
  EXPECT_TRUE(stores.SystemStore("../certificates/Root").empty());
  // A machine without the folder has empty stores.
  sim::SimCertificates none(machine_, folder_.parent_path() / "elsewhere");
  EXPECT_TRUE(none.SystemStore("Root").empty());
}

TEST_F(CertificateStores, PersonalCertificatesAreTheDescriptionsThenTheStoreFilesOnce) {
  auto personal = Stores().PersonalCertificates();
  // The xp description names bob's and mallory's certificates; the file adds the real bob.
  ASSERT_EQ(personal.size(), 3u);
  EXPECT_EQ(personal[0].subject, "CN=bob, OU=Engineering, O=Halvorn");
  EXPECT_EQ(personal[1].subject, "CN=mallory, O=Elsewhere");
  EXPECT_EQ(personal[2].subject, "CN=bob, OU=Engineering, O=Halvorn");
  EXPECT_EQ(personal[2].thumbprint, kBob);

  // A certificate the description already names is not listed twice.
  machine_.personalCertificates[0].thumbprint = kBob;
  personal = Stores().PersonalCertificates();
  ASSERT_EQ(personal.size(), 2u);
  EXPECT_EQ(personal[0].thumbprint, kBob);
}

TEST_F(CertificateStores, TlsLogonNeedsTheChainToTheTrustedRootAndAnAccount) {
  auto stores = Stores();
  const std::vector<sim::NetworkAccount> bob = {{"bob", "", "", kBob}};
  EXPECT_TRUE(stores.TlsLogonAccepted(bob, kHalvornRoot));
  // The station trusts another root than the one bob's chain ends at.
  EXPECT_FALSE(stores.TlsLogonAccepted(bob, kElsewhereRoot));
  // The network knows no account for bob's certificate.
  const std::vector<sim::NetworkAccount> other = {
      {"bob", "", "", Thumbprint("3f9a6c1d2b7e8f40516273849aabbccddeeff011")},
      {"alice", "Winter2008!", "HALVORN", std::nullopt}};
  EXPECT_FALSE(stores.TlsLogonAccepted(other, kHalvornRoot));
  EXPECT_FALSE(stores.TlsLogonAccepted({}, kHalvornRoot));

  // Without the issuing authority the chain ends at its name, which no root carries.
  WriteStore("CA.pem", testing_support::kEve);
  EXPECT_FALSE(stores.TlsLogonAccepted(bob, kHalvornRoot));
}

TEST_F(CertificateStores, TlsLogonWalkEndsInALoopOfAuthorities) {
  // carol is issued by "Loop A"; "Loop A" is issued by "Loop B" and "Loop B" by "Loop A".
  WriteStore("MY.pem", testing_support::kCarol);
  WriteStore("CA.pem", std::string(testing_support::kLoopAByB) + testing_support::kLoopBByA);
  WriteStore("Root.pem", testing_support::kLoopASelf);
  auto stores = Stores();
  const auto carol = Thumbprint("F4CC24661CD08012958C4FF9BF906154FF512B10");
  const std::vector<sim::NetworkAccount> accounts = {{"carol", "", "", carol}};
  // The walk stops at the name met again, "Loop A", whose root the station trusts.
  EXPECT_TRUE(
      stores.TlsLogonAccepted(accounts, Thumbprint("91F152099C166732AE7419A4668A0BA4FFA711CC")));
  EXPECT_FALSE(stores.TlsLogonAccepted(accounts, kHalvornRoot));
}

}  // namespace
