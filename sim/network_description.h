// One network of a machine's radio neighbourhood, as machine.json describes it: what its access
// point (or ad hoc station) announces in its beacons, and the secrets a later association checks.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/network_accounts.h"

namespace sim {

enum class NetworkSecurity { kOpen, kWep, kWpaPsk, kWpa2Psk, kWpaWpa2Psk, kWpa, kWpa2, kWpaWpa2 };
enum class NetworkCiphers { kTkip, kAes, kBoth };
enum class HtKind { kNone, kStandard, kPrestandard };

// The Wi-Fi Protected Setup element of the beacon.
struct WpsDescription {
  uint8_t state = 2;  // 1 not configured, 2 configured
  bool selectedRegistrar = false;
  std::optional<uint16_t> devicePasswordId;  // 0x0000 PIN, 0x0004 push button
  uint16_t configMethods = 0x0084;           // push button and keypad
  std::string apPin;                         // the access point's own PIN; empty: none
  bool sendsNack = false;                    // its registrar refuses every registration

  bool operator==(const WpsDescription&) const = default;
};

// What the access point checks when a station joins; the association rules use them.
struct NetworkCredentials {
  std::string passphrase;                     // WPA/WPA2 pre-shared key text (8-63) or 64 hex
  std::vector<std::vector<uint8_t>> wepKeys;  // up to four, 5 or 13 bytes
  uint32_t wepKeyIndex = 0;
  std::vector<NetworkAccount> accounts;  // 802.1X: whom the authentication server lets in

  bool operator==(const NetworkCredentials&) const = default;
};

// Which 802.11 authentication algorithms a WEP access point accepts.
enum class WepAuthentication { kOpen, kShared, kBoth };

// The network's DHCP server: what it leases to this machine's adapter, and how long its answer
// takes once frames get through.
struct DhcpDescription {
  std::string server = "192.168.1.1";
  std::string address = "192.168.1.100";
  std::string mask = "255.255.255.0";
  std::string gateway = "192.168.1.1";             // empty: none
  std::vector<std::string> dns = {"192.168.1.1"};  // up to seven
  uint32_t leaseDelayMs = 2000;
  uint32_t leaseSeconds = 86400;

  bool operator==(const DhcpDescription&) const = default;
};

// The background traffic of an association whose frames get through, in bytes a second. With a
// variation the rates swing around these means by up to that many percent, as a busy network's
// do; without one they hold steady.
struct TrafficDescription {
  uint32_t receiveBytesPerSecond = 2000;
  uint32_t sendBytesPerSecond = 600;
  uint32_t variationPercent = 0;  // 0-100

  bool operator==(const TrafficDescription&) const = default;
};

struct NetworkDescription {
  std::vector<uint8_t> ssid;  // up to 32 bytes, not necessarily text
  bool hidden = false;        // beacons carry an empty name
  std::array<uint8_t, 6> bssid{};
  uint32_t frequencyMHz = 2437;
  int32_t rssi = -60;  // dBm at this machine's antenna
  bool adhoc = false;
  std::string rateKind = "g";  // "b", "g", "a"; empty when rates lists them
  std::vector<uint8_t> rates;  // in 500 kbit/s units, 0x80 marking basic rates
  NetworkSecurity security = NetworkSecurity::kOpen;
  NetworkCiphers ciphers = NetworkCiphers::kAes;
  HtKind ht = HtKind::kNone;
  std::optional<WpsDescription> wps;
  std::optional<bool> privacy;  // overrides what the security implies
  uint16_t beaconInterval = 100;
  std::optional<std::vector<uint8_t>> ies;  // replaces the built elements
  std::vector<uint8_t> extraIes;            // appended to the built elements
  NetworkCredentials credentials;
  WepAuthentication wepAuthentication = WepAuthentication::kOpen;
  // Nothing: no DHCP server answers (an ad hoc network has none unless described).
  std::optional<DhcpDescription> dhcp = DhcpDescription();
  TrafficDescription traffic;

  bool operator==(const NetworkDescription&) const = default;
};

// Whether text is a dotted IPv4 address ("192.168.1.10").
bool IsIpv4Address(const std::string& text);

// The centre frequency of a channel (2.4 GHz 1-14, 5 GHz 34-165, 4.9 GHz 183-196); 0 for none.
uint32_t ChannelFrequencyMHz(uint32_t channel);
// The channel of a frequency; 0 when it is on no channel.
uint32_t FrequencyChannel(uint32_t frequencyMHz);

// The rate set of "b", "g" or "a" as beacons list it: basic rates first.
std::vector<uint8_t> RatesOfKind(const std::string& kind);

bool HasPrivacy(const NetworkDescription& network);
// "00-0C-43-12-34-56".
std::string BssidText(const std::array<uint8_t, 6>& bssid);
// The name as readable text: printable ASCII as it is, other bytes as \xNN.
std::string SsidText(const NetworkDescription& network);

// Reads one network; faults name the field below where.
NetworkDescription ReadNetwork(const nlohmann::json& value, const std::string& where);
// The network in the form ReadNetwork reads.
nlohmann::json NetworkJson(const NetworkDescription& network);

}  // namespace sim

namespace sim {

// A network given as JSON text (as `vtrctl sim add` takes it); a fault names the field.
std::optional<std::string> ParseNetworkText(const std::string& text, NetworkDescription& network);

}  // namespace sim
