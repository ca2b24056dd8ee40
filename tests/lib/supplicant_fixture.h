// A simulated XP machine with the library started, and profiles for its WPA and 802.1X networks.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/services.h"
#include "sim/sim_machine.h"
#include "sim/supplicant.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace testing_support {

// bob's certificate in the xp machine's personal store; Office-Corp knows it.
inline constexpr uint8_t kBobThumbprint[20] = {0x3f, 0x9a, 0x6c, 0x1d, 0x2b, 0x7e, 0x8f,
                                               0x40, 0x51, 0x62, 0x73, 0x84, 0x9a, 0xab,
                                               0xbc, 0xcd, 0xde, 0xef, 0xf0, 0x11};

class SupplicantTest : public MachineTest {
 protected:
  void SetUp() override { StartOn(XpDescription()); }
  void TearDown() override { VTR_UnInitialize(); }

  void StartOn(const nlohmann::json& description) {
    UseMachine(description);
    ASSERT_EQ(VTR_Initialize(0), 3);
    Supplicant().ClearLog();
  }

  static sim::SimMachine& Machine() { return static_cast<sim::SimMachine&>(platform::Current()); }
  static sim::SimSupplicant& Supplicant() { return sim::ProcessSupplicant(); }
  static uint64_t Now() { return platform::Current().Clock().NowMs(); }

  static ProfileRecord Profile(const char* ssid, uint32_t authMode) {
    ProfileRecord profile;
    std::memset(&profile, 0, sizeof(profile));
    VTR_InitialProfile(&profile);
    std::strcpy(profile.profileName, ssid);
    std::strcpy(profile.ssid, ssid);
    profile.authMode = authMode;
    profile.encryption = VTR_CIPHER_AES;
    return profile;
  }
  static ProfileRecord PskProfile(const char* ssid, const std::string& key) {
    ProfileRecord profile = Profile(ssid, VTR_AUTH_WPA2_PSK);
    std::strncpy(profile.psk, key.c_str(), sizeof(profile.psk) - 1);
    profile.pskLength = static_cast<uint32_t>(key.size());
    return profile;
  }
  static ProfileRecord PeapProfile(const char* identity, const char* password, const char* domain) {
    ProfileRecord profile = Profile("Office-Corp", VTR_AUTH_WPA2);
    profile.eapMethod = 1;
    std::strcpy(profile.eapIdentity, identity);
    std::strcpy(profile.eapPassword, password);
    std::strcpy(profile.eapDomain, domain);
    return profile;
  }
  static ProfileRecord TlsProfile(const uint8_t (&thumbprint)[20]) {
    ProfileRecord profile = Profile("Office-Corp", VTR_AUTH_WPA2);
    profile.eapMethod = 0;
    std::strcpy(profile.tlsIdentity, "bob");
    std::strcpy(profile.tlsCertificateName, "bob");
    std::memcpy(profile.tlsCertificateHash, thumbprint, 20);
    return profile;
  }

  static std::string Address() {
    VtrIpInfo info;
    std::memset(&info, 0, sizeof(info));
    VTR_APInternetInformation(&info);
    return std::string(info.ipAddress, strnlen(info.ipAddress, sizeof(info.ipAddress)));
  }

  static size_t Count(const std::vector<std::string>& log, const std::string& line) {
    return static_cast<size_t>(std::count(log.begin(), log.end(), line));
  }
  // The lines of the supplicant's log that are one of names, in their order.
  static std::vector<std::string> Only(const std::vector<std::string>& names) {
    std::vector<std::string> picked;
    for (const auto& line : Supplicant().Log()) {
      if (std::find(names.begin(), names.end(), line) != names.end()) picked.push_back(line);
    }
    return picked;
  }
};

}  // namespace testing_support
