// A fresh Vista machine per test, in virtual time, and the Vista build started on it.
#pragma once

#include <nlohmann/json.hpp>

#include "sim/sim_machine.h"
#include "support/machine_fixture.h"

namespace testing_support {

// The built-in "vista" description, for tests to edit.
nlohmann::json VistaDescription();

class VistaTest : public MachineTest {
 protected:
  void TearDown() override;
  // Creates the machine with the vista preset's certificate stores and makes it this process's
  // machine.
  void UseVista(const nlohmann::json& description = VistaDescription());
  sim::SimMachine& Machine();
  sim::SimNativeWifi& Service() { return Machine().nativeWifi(); }
  platform::WlanGuid Interface() { return *Service().InterfaceGuid(); }
  // Joins an open network of the neighbourhood and lets the association complete.
  void JoinOpen(const std::string& ssid);
  // The names of the service's calls, notifications left out.
  std::vector<std::string> CallNames();
};

}  // namespace testing_support
