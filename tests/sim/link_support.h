// Joining networks on the simulated adapter as the connect does it: settings, keys, then the SSID.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "sim/adapter_control.h"
#include "tests/sim/miniport_support.h"

namespace link_support {

using namespace miniport_support;

inline constexpr uint32_t kAssociationMs = 500;  // the xp radio's association time

inline void Wait(uint32_t ms) {
  platform::Current().Clock().SleepMs(ms);
}
inline uint64_t Now() {
  return platform::Current().Clock().NowMs();
}

inline std::vector<uint8_t> SsidRecord(const std::string& name) {
  platform::Ndis80211Ssid ssid{};
  ssid.ssidLength = static_cast<uint32_t>(name.size());
  std::memcpy(ssid.ssid, name.data(), name.size());
  std::vector<uint8_t> bytes(sizeof ssid);
  std::memcpy(bytes.data(), &ssid, sizeof ssid);
  return bytes;
}

inline std::vector<uint8_t> KeyRecord(uint32_t slot, const std::vector<uint8_t>& material,
                                      bool transmit = true) {
  std::vector<uint8_t> bytes(32 + material.size(), 0);
  const uint32_t header[3] = {static_cast<uint32_t>(bytes.size()),
                              slot | (transmit ? platform::kKeyIndexTransmit : 0u),
                              static_cast<uint32_t>(material.size())};
  std::memcpy(bytes.data(), header, sizeof header);
  std::memset(bytes.data() + 12, 0xFF, 6);
  std::memcpy(bytes.data() + 32, material.data(), material.size());
  return bytes;
}

// A join request: Join("Workshop").Shared().Wep(key) and so on.
struct Join {
  explicit Join(std::string name) : ssid(std::move(name)) {}
  Join& Ibss() {
    mode = platform::kModeIbss;
    return *this;
  }
  Join& Authentication(uint32_t value) {
    authentication = value;
    return *this;
  }
  Join& Shared() { return Authentication(platform::kAuthShared); }
  // WEP on, with key as the transmit key of slot.
  Join& Wep(std::vector<uint8_t> material, uint32_t slot = 0) {
    wep = true;
    key = std::move(material);
    keySlot = slot;
    return *this;
  }

  std::string ssid;
  uint32_t mode = platform::kModeInfrastructure;
  uint32_t authentication = platform::kAuthOpen;
  bool wep = false;
  std::vector<uint8_t> key;
  uint32_t keySlot = 0;
};

// The settings, the key, then the SSID; every request must succeed.
inline void Associate(const Join& join) {
  ASSERT_TRUE(Set(platform::kOid802_11InfrastructureMode, Le32(join.mode)).ok);
  ASSERT_TRUE(Set(platform::kOid802_11AuthenticationMode, Le32(join.authentication)).ok);
  ASSERT_TRUE(Set(platform::kOid802_11EncryptionStatus,
                  Le32(join.wep ? platform::kWepEnabled : platform::kEncryptionDisabled))
                  .ok);
  if (!join.key.empty()) {
    ASSERT_TRUE(Set(platform::kOid802_11AddKey, KeyRecord(join.keySlot, join.key)).ok);
  }
  ASSERT_TRUE(Set(platform::kOid802_11Ssid, SsidRecord(join.ssid)).ok);
}

inline bool MediaConnected() {
  const Reply reply = Query(platform::kOidGenMediaConnectStatus, 4);
  EXPECT_TRUE(reply.ok);
  return reply.ok && reply.U32() == platform::kMediaConnected;
}

// The BSSID of the association as text; empty while there is none.
inline std::string AssociatedBssid() {
  const Reply reply = Query(platform::kOid802_11Bssid, 6);
  if (!reply.ok) return "";
  std::array<uint8_t, 6> bssid{};
  std::copy_n(reply.data.begin(), 6, bssid.begin());
  return sim::BssidText(bssid);
}

inline std::array<uint8_t, 6> Bssid(const char* text) {
  std::array<uint8_t, 6> bssid{};
  EXPECT_TRUE(sim::ParseBssid(text, bssid)) << text;
  return bssid;
}

inline const std::vector<uint8_t> kOldRouterKey = {0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
inline const std::vector<uint8_t> kWorkshopKey = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2,
                                                  0xa6, 0xab, 0xf7, 0x15, 0x88, 0x09};

inline constexpr const char* kCoffeeShop = "00-18-39-C2-8D-14";
inline constexpr const char* kOldRouter = "00-09-5B-1E-44-A0";
inline constexpr const char* kWorkshop = "00-0F-B5-61-2C-08";
inline constexpr const char* kPrinters = "00-1A-2B-3C-4D-5E";
inline constexpr const char* kLanParty = "02-3C-91-44-07-D2";

}  // namespace link_support
