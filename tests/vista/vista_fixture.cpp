#include "vista/vista_fixture.h"

#include "sim/association.h"
#include "sim/machine.h"
#include "vtrlib.h"

namespace testing_support {

nlohmann::json VistaDescription() {
  return nlohmann::json::parse(sim::PresetDescription("vista"));
}

void VistaTest::UseVista(const nlohmann::json& description) {
  const auto dir = UseMachine(description);
  // The stores are read when asked for, so they may follow the machine's start.
  const auto written = sim::WriteCertificateFiles(dir, sim::PresetCertificateFiles("vista"));
  EXPECT_FALSE(written.has_value()) << written.value_or("");
}

void VistaTest::TearDown() {
  // The backend outlives the test's machine; it lets go of this one's handles.
  VTR_UnInitialize();
}

sim::SimMachine& VistaTest::Machine() {
  return static_cast<sim::SimMachine&>(platform::Current());
}

void VistaTest::JoinOpen(const std::string& ssid) {
  sim::JoinTerms terms;
  terms.ssid.assign(ssid.begin(), ssid.end());
  terms.authenticationMode = 0;
  terms.encryptionStatus = 1;
  terms.profileName = ssid;
  ASSERT_EQ(Service().Join(Interface(), terms), 0);
  Machine().Clock().SleepMs(1000);
}

std::vector<std::string> VistaTest::CallNames() {
  std::vector<std::string> names;
  for (const auto& call : Service().Log().Calls()) {
    if (call.name != "notify") names.push_back(call.name);
  }
  return names;
}

}  // namespace testing_support
