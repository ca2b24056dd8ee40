// Byte-level BSSID lists and beacon elements for the survey tests, laid out as the adapter's
// driver returns them.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ndis_802_11.h"

namespace survey_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline Bytes Element(uint8_t id, const Bytes& body) {
  Bytes element{id, static_cast<uint8_t>(body.size())};
  element.insert(element.end(), body.begin(), body.end());
  return element;
}

inline void PutLe16(Bytes& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

// Suite types; the OUI is the element's.
inline Bytes Suites(std::array<uint8_t, 3> oui, std::initializer_list<uint8_t> types) {
  Bytes bytes;
  PutLe16(bytes, static_cast<uint16_t>(types.size()));
  for (uint8_t type : types) bytes.insert(bytes.end(), {oui[0], oui[1], oui[2], type});
  return bytes;
}

inline constexpr std::array<uint8_t, 3> kRsnOui{0x00, 0x0F, 0xAC};
inline constexpr std::array<uint8_t, 3> kWpaOui{0x00, 0x50, 0xF2};

// RSN element body: version 1, group TKIP, pairwise and key-management lists, capabilities.
inline Bytes Rsn(std::initializer_list<uint8_t> ciphers, std::initializer_list<uint8_t> akms) {
  Bytes body{0x01, 0x00, 0x00, 0x0F, 0xAC, 0x02};
  return Element(48, Concat({body, Suites(kRsnOui, ciphers), Suites(kRsnOui, akms), {0, 0}}));
}

// WPA vendor element: OUI 00-50-F2 type 1, version 1, group TKIP, then the lists.
inline Bytes Wpa(std::initializer_list<uint8_t> ciphers, std::initializer_list<uint8_t> akms) {
  Bytes body{0x00, 0x50, 0xF2, 0x01, 0x01, 0x00, 0x00, 0x50, 0xF2, 0x02};
  return Element(221, Concat({body, Suites(kWpaOui, ciphers), Suites(kWpaOui, akms)}));
}

// A WPS attribute: big-endian type and length, then the value.
inline Bytes Attribute(uint16_t type, const Bytes& value) {
  Bytes bytes{static_cast<uint8_t>(type >> 8), static_cast<uint8_t>(type),
              static_cast<uint8_t>(value.size() >> 8), static_cast<uint8_t>(value.size())};
  bytes.insert(bytes.end(), value.begin(), value.end());
  return bytes;
}

inline Bytes Wps(std::initializer_list<Bytes> attributes) {
  Bytes body{0x00, 0x50, 0xF2, 0x04};
  for (const Bytes& attribute : attributes)
    body.insert(body.end(), attribute.begin(), attribute.end());
  return Element(221, body);
}

// Version 1.0, state configured, then optionally a selected registrar and a password id.
inline Bytes WpsAnnouncement(int selectedRegistrar, int passwordId) {
  Bytes body{0x00, 0x50, 0xF2, 0x04};
  auto add = [&body](const Bytes& attribute) {
    body.insert(body.end(), attribute.begin(), attribute.end());
  };
  add(Attribute(0x104A, {0x10}));
  add(Attribute(0x1044, {0x02}));
  if (selectedRegistrar >= 0) add(Attribute(0x1041, {static_cast<uint8_t>(selectedRegistrar)}));
  if (passwordId >= 0) add(Attribute(0x1012, {0x00, static_cast<uint8_t>(passwordId)}));
  return Element(221, body);
}

inline const Bytes kRates11b{0x82, 0x84, 0x8B, 0x96};
inline const Bytes kRates11g{0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12,
                             0x18, 0x24, 0x30, 0x48, 0x60, 0x6C};
inline const Bytes kRates11a{0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C};

struct Network {
  std::array<uint8_t, 6> mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::string ssid = "Net";
  uint32_t privacy = 0;
  int32_t rssi = -60;
  uint32_t frequencyKhz = 2437000;
  uint32_t infrastructureMode = platform::kModeInfrastructure;
  Bytes rates = kRates11g;
  Bytes elements;  // the variable elements after the beacon's fixed fields
};

// One NDIS_WLAN_BSSID_EX item, its length and IELength as a driver sets them.
inline Bytes Item(const Network& network) {
  platform::NdisWlanBssidEx header{};
  std::memcpy(header.macAddress, network.mac.data(), 6);
  header.ssid.ssidLength = static_cast<uint32_t>(network.ssid.size());
  std::memcpy(header.ssid.ssid, network.ssid.data(), std::min<size_t>(network.ssid.size(), 32));
  header.privacy = network.privacy;
  header.rssi = network.rssi;
  header.networkTypeInUse = platform::kNetworkOfdm24;
  header.configuration.length = sizeof(header.configuration);
  header.configuration.beaconPeriod = 100;
  header.configuration.dsConfig = network.frequencyKhz;
  header.infrastructureMode = network.infrastructureMode;
  std::memcpy(header.supportedRates, network.rates.data(),
              std::min<size_t>(network.rates.size(), 16));
  const size_t ieLength = platform::kFixedIeFieldsSize + network.elements.size();
  header.ieLength = static_cast<uint32_t>(ieLength);
  header.length = static_cast<uint32_t>(platform::kNdisWlanBssidExHeaderSize + ieLength);
  Bytes item(header.length);
  std::memcpy(item.data(), &header, platform::kNdisWlanBssidExHeaderSize);
  // Fixed fields: timestamp, beacon interval, capabilities with the privacy bit when private.
  item[platform::kNdisWlanBssidExHeaderSize + 8] = 100;
  item[platform::kNdisWlanBssidExHeaderSize + 10] = network.privacy != 0 ? 0x11 : 0x01;
  std::copy(network.elements.begin(), network.elements.end(),
            item.begin() + platform::kNdisWlanBssidExHeaderSize + platform::kFixedIeFieldsSize);
  return item;
}

inline Bytes List(const std::vector<Bytes>& items) {
  Bytes list(4);
  const auto count = static_cast<uint32_t>(items.size());
  std::memcpy(list.data(), &count, 4);
  for (const Bytes& item : items) list.insert(list.end(), item.begin(), item.end());
  return list;
}

inline void StoreLe32(Bytes& bytes, size_t offset, uint32_t value) {
  std::memcpy(bytes.data() + offset, &value, 4);
}

}  // namespace survey_test
