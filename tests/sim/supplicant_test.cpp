// The supplicant stand-in on its own: the keys and accounts it checks, the description fields
// it reads, and its ports driven by a test in place of the library.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "sim/machine_description.h"
#include "sim/supplicant.h"
#include "sim/supplicant_keys.h"
#include "support/machine_fixture.h"

namespace {

using namespace platform;
using testing_support::MachineTest;

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::string Hex(const sim::Pmk& pmk) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : pmk) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 15]);
  }
  return text;
}

TEST(SupplicantKeys, PassphraseKeysFollowTheStandardsTestVectors) {
  // IEEE 802.11i, annex H.4.
  EXPECT_EQ(Hex(sim::PassphrasePmk("password", Bytes("IEEE"))),
            "f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e");
  EXPECT_EQ(Hex(sim::PassphrasePmk("ThisIsAPassword", Bytes("ThisIsASSID"))),
            "0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af");

  sim::NetworkDescription network;
  network.ssid = Bytes("IEEE");
  network.credentials.passphrase = "password";
  EXPECT_EQ(sim::NetworkPmk(network), sim::PassphrasePmk("password", Bytes("IEEE")));
  network.credentials.passphrase =
      "F42C6FC52DF0EBEF9EBB4B90B38A5F902E83FE1B135A70E23AED762E9710A12E";
  EXPECT_EQ(sim::NetworkPmk(network), sim::PassphrasePmk("password", Bytes("IEEE")));
  network.credentials.passphrase.clear();
  EXPECT_FALSE(sim::NetworkPmk(network));
}

TEST(SupplicantKeys, AccountsMatchIdentityDomainPasswordAndCertificate) {
  std::array<uint8_t, 20> bob{};
  bob.fill(0xB0);
  std::array<uint8_t, 20> other{};
  other.fill(0x07);
  const std::vector<sim::NetworkAccount> accounts = {
      {"alice", "secret", "CORP", std::nullopt},
      {"carol", "plain", "", std::nullopt},
      {"bob", "", "", bob},
  };
  EXPECT_TRUE(sim::PasswordAccepted(accounts, "corp\\Alice", "secret"));
  EXPECT_FALSE(sim::PasswordAccepted(accounts, "CORP\\alice", "Secret"));
  EXPECT_FALSE(sim::PasswordAccepted(accounts, "alice", "secret"));
  EXPECT_FALSE(sim::PasswordAccepted(accounts, "OTHER\\alice", "secret"));
  EXPECT_TRUE(sim::PasswordAccepted(accounts, "carol", "plain"));
  EXPECT_FALSE(sim::PasswordAccepted(accounts, "CORP\\carol", "plain"));
  // A certificate account has no password to guess.
  EXPECT_FALSE(sim::PasswordAccepted(accounts, "bob", ""));

  const std::vector<sim::CertificateDescription> store = {{bob, "CN=bob"}, {other, "CN=x"}};
  EXPECT_TRUE(sim::CertificateAccepted(accounts, "bob", bob, store));
  EXPECT_TRUE(sim::CertificateAccepted(accounts, "CORP\\Bob", bob, store));
  EXPECT_FALSE(sim::CertificateAccepted(accounts, "bob", other, store));
  EXPECT_FALSE(sim::CertificateAccepted(accounts, "alice", bob, store));
  EXPECT_FALSE(sim::CertificateAccepted(accounts, "bob", bob, {{other, "CN=x"}}));
}

TEST(SupplicantDescription, AccountsCertificatesAndTheFailingCallAreChecked) {
  auto description = testing_support::XpDescription();
  auto parsed = sim::ParseMachineDescription(description.dump());
  ASSERT_TRUE(std::holds_alternative<sim::MachineDescription>(parsed));
  const auto& machine = std::get<sim::MachineDescription>(parsed);
  EXPECT_EQ(machine.personalCertificates.size(), 2u);
  size_t withAccounts = 0;
  for (const auto& network : machine.neighbourhood) {
    if (!network.credentials.accounts.empty()) ++withAccounts;
    // Written back and read again, a network keeps its accounts.
    EXPECT_EQ(sim::ReadNetwork(sim::NetworkJson(network), "n"), network);
  }
  EXPECT_EQ(withAccounts, 4u);

  auto fault = [&](nlohmann::json changed) {
    auto result = sim::ParseMachineDescription(changed.dump());
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "";
  };
  auto bad = description;
  bad["supplicant"]["failingCall"] = "acFooInit";
  EXPECT_NE(fault(bad).find("supplicant.failingCall"), std::string::npos);
  bad = description;
  bad["certificates"]["personal"][0]["thumbprint"] = "12ab";
  EXPECT_NE(fault(bad).find("certificates.personal[0].thumbprint"), std::string::npos);
  bad = description;
  bad["neighbourhood"][0]["credentials"]["accounts"] = {{{"identity", "eve"}}};
  EXPECT_NE(fault(bad).find("needs a password or a certificate"), std::string::npos);
}

// A test standing in for the library: it answers every question from fixed credentials and
// records the events it was told.
class SupplicantPortTest : public MachineTest {
 protected:
  void SetUp() override {
    UseXpMachine();
    ASSERT_EQ(
        supplicant_.acInit([this](uint32_t event, AcPort port) { OnEvent(event, port); }, nullptr),
        kAcOk);
    uint32_t cursor = 0;
    std::string name;
    ASSERT_EQ(supplicant_.acGetNextPortSymName(cursor, name), kAcOk);
    ASSERT_EQ(supplicant_.acGetNextPortSymName(cursor, name), kAcOk);  // the wireless adapter
    AcPortAttributes attributes;
    ASSERT_EQ(supplicant_.acGetPortAttr(name, attributes), kAcOk);
    EXPECT_EQ(attributes.mac[0], 0x00);
    EXPECT_EQ(supplicant_.acGetNextPortSymName(cursor, name), kAcErrNoMorePorts);
    ASSERT_EQ(supplicant_.acPortAttach(
                  name,
                  [this](AcPort port, AcRequest request, uint32_t type) {
                    OnRequest(port, request, type);
                  },
                  port_),
              kAcOk);
    AcPort again = 0;
    EXPECT_EQ(supplicant_.acPortAttach(name, nullptr, again), kAcErrAlreadyAttached);
  }
  void TearDown() override { supplicant_.acExit(); }

  void OnEvent(uint32_t event, AcPort port) {
    uint32_t value = 0;
    if (event == kAcEventStatus) supplicant_.acPortGetStatus(port, value);
    if (event == kAcEventState) supplicant_.acPortGetState(port, value);
    if (event == kAcEventLinkState) supplicant_.acPortGetLinkState(port, value);
    std::lock_guard lock(mutex_);
    events_.push_back(event * 1000 + value);
  }
  void OnRequest(AcPort /*port*/, AcRequest request, uint32_t type) {
    if (type == answerNothing_.load()) return;
    if (type == kAcRequestIdentity) supplicant_.acCredIdentity(request, identity_);
    if (type == kAcRequestPassword) supplicant_.acCredPassword(request, password_);
    if (type == kAcRequestServerVerify) supplicant_.acCredServerVerified(request, true);
    // An object of the wrong kind is refused and leaves the question open.
    EXPECT_EQ(supplicant_.acCredIdentity(request, password_), kAcErrBadObject);
    supplicant_.acCredComplete(request);
    // A completed question takes no more answers.
    EXPECT_EQ(supplicant_.acCredComplete(request), kAcErrBadRequest);
  }
  std::vector<uint32_t> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  void Associate(const char* ssid) {
    const std::string name = ssid;
    ASSERT_EQ(supplicant_.acPortAssociate(port_, {{name.begin(), name.end()}}), kAcOk);
    supplicant_.WaitIdle();
  }

  sim::SimSupplicant supplicant_;
  AcPort port_ = 0;
  AcObject identity_ = 0;
  AcObject password_ = 0;
  std::atomic<uint32_t> answerNothing_{0};
  std::mutex mutex_;
  std::vector<uint32_t> events_;
};

TEST_F(SupplicantPortTest, ExchangeOutcomesAreToldAsStatusAndState) {
  ASSERT_EQ(supplicant_.acIdentityCreate("HALVORN\\alice", identity_), kAcOk);
  ASSERT_EQ(supplicant_.acPasswordCreate("Winter2008!", password_), kAcOk);
  ASSERT_EQ(supplicant_.acPortAuth(port_, AcEapMethod::kPeap), kAcOk);
  Associate("Office-Corp");
  EXPECT_EQ(Events(), (std::vector<uint32_t>{2003, 1002, 2005}));  // authenticating, link, 5

  // A question left open ends the exchange.
  events_.clear();
  answerNothing_ = kAcRequestPassword;
  Associate("Office-Corp");
  EXPECT_EQ(Events(), (std::vector<uint32_t>{1001, 3302, 2002}));

  // Nothing of that name in range; a pre-shared key network without a key.
  events_.clear();
  Associate("Nowhere");
  EXPECT_EQ(Events(), (std::vector<uint32_t>{1001, 3303, 2002}));
  events_.clear();
  Associate("HomeNet");
  EXPECT_EQ(Events(), (std::vector<uint32_t>{1001, 3301, 2002}));
}

TEST_F(SupplicantPortTest, CredentialObjectsAreCheckedByKind) {
  AcObject psk = 0;
  EXPECT_EQ(supplicant_.acRsnPskCreate("short", reinterpret_cast<const uint8_t*>("x"), 1, psk),
            kAcErrBadArgument);
  const uint8_t key[31] = {};
  EXPECT_EQ(supplicant_.acRsnBinPskCreate(key, sizeof key, psk), kAcErrBadArgument);
  ASSERT_EQ(supplicant_.acRsnPskCreate("correct horse battery",
                                       reinterpret_cast<const uint8_t*>("HomeNet"), 7, psk),
            kAcOk);
  EXPECT_EQ(supplicant_.acIdentityDestroy(psk), kAcErrBadObject);
  EXPECT_EQ(supplicant_.acCredRsnPsk(port_, psk), kAcOk);
  Associate("HomeNet");
  EXPECT_EQ(Events().back(), 2005u);
  EXPECT_EQ(supplicant_.acRsnPskDestroy(psk), kAcOk);
  EXPECT_EQ(supplicant_.acRsnPskDestroy(psk), kAcErrBadObject);
  EXPECT_EQ(supplicant_.acPortDetach(port_), kAcOk);
  EXPECT_EQ(supplicant_.acPortStop(port_), kAcErrNotAttached);
}

TEST_F(SupplicantPortTest, InitialisationFailsAtTheMachinesFailingCall) {
  auto description = testing_support::XpDescription();
  description["supplicant"]["failingCall"] = "acEapPEAPInit";
  supplicant_.acExit();
  UseMachine(description);
  EXPECT_EQ(supplicant_.acModuleInit(AcModule::kRsn), kAcErrNotInitialised);
  EXPECT_EQ(supplicant_.acInit(nullptr, nullptr), kAcOk);
  EXPECT_EQ(supplicant_.acModuleInit(AcModule::kEapMsChapV2), kAcOk);
  EXPECT_EQ(supplicant_.acModuleInit(AcModule::kEapPeap), kAcErrInitFailed);
  EXPECT_EQ(supplicant_.acErrorString(kAcErrInitFailed), "The module could not be initialised");
}

}  // namespace
