#include "sim/network_description.h"

#include <algorithm>
#include <cstdio>

#include "sim/description_fields.h"

namespace sim {
namespace {

using namespace fields;

struct SecurityName {
  NetworkSecurity value;
  const char* name;
};
constexpr SecurityName kSecurityNames[] = {
    {NetworkSecurity::kOpen, "open"},
    {NetworkSecurity::kWep, "wep"},
    {NetworkSecurity::kWpaPsk, "wpa-psk"},
    {NetworkSecurity::kWpa2Psk, "wpa2-psk"},
    {NetworkSecurity::kWpaWpa2Psk, "wpa-wpa2-psk"},
    {NetworkSecurity::kWpa, "wpa"},
    {NetworkSecurity::kWpa2, "wpa2"},
    {NetworkSecurity::kWpaWpa2, "wpa-wpa2"},
};

bool UsesWpaElements(NetworkSecurity security) {
  return security != NetworkSecurity::kOpen && security != NetworkSecurity::kWep;
}

// Without a "ciphers" field a network uses what access points of its kind used by default.
NetworkCiphers DefaultCiphers(NetworkSecurity security) {
  switch (security) {
    case NetworkSecurity::kWpaPsk:
    case NetworkSecurity::kWpa:
      return NetworkCiphers::kTkip;
    case NetworkSecurity::kWpaWpa2Psk:
    case NetworkSecurity::kWpaWpa2:
      return NetworkCiphers::kBoth;
    default:
      return NetworkCiphers::kAes;
  }
}

const char* CiphersName(NetworkCiphers ciphers) {
  switch (ciphers) {
    case NetworkCiphers::kTkip:
      return "tkip";
    case NetworkCiphers::kAes:
      return "aes";
    case NetworkCiphers::kBoth:
      return "both";
  }
  return "aes";
}

const char* HtName(HtKind ht) {
  switch (ht) {
    case HtKind::kNone:
      return "none";
    case HtKind::kStandard:
      return "standard";
    case HtKind::kPrestandard:
      return "prestandard";
  }
  return "none";
}

WpsDescription ReadWps(const json& value, const std::string& where) {
  ExpectObject(value, where);
  WpsDescription wps;
  Optional(value, where, "state", [&](const json& v, const std::string& w) {
    const std::string state = Text(v, w);
    if (state == "configured") {
      wps.state = 2;
    } else if (state == "unconfigured") {
      wps.state = 1;
    } else {
      throw FieldError(w + ": expected \"configured\" or \"unconfigured\"");
    }
  });
  Optional(value, where, "selectedRegistrar",
           [&](const json& v, const std::string& w) { wps.selectedRegistrar = Flag(v, w); });
  Optional(value, where, "devicePasswordId", [&](const json& v, const std::string& w) {
    if (v.is_string()) {
      const std::string id = Text(v, w);
      if (id == "pin") {
        wps.devicePasswordId = 0x0000;
      } else if (id == "push-button") {
        wps.devicePasswordId = 0x0004;
      } else {
        throw FieldError(w + ": expected \"pin\", \"push-button\" or a number");
      }
    } else {
      wps.devicePasswordId = Number<uint16_t>(v, w);
    }
  });
  Optional(value, where, "configMethods", [&](const json& v, const std::string& w) {
    wps.configMethods = Number<uint16_t>(v, w);
  });
  Optional(value, where, "apPin", [&](const json& v, const std::string& w) {
    wps.apPin = Text(v, w);
    const bool digits = std::all_of(wps.apPin.begin(), wps.apPin.end(),
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (wps.apPin.size() != 8 || !digits) throw FieldError(w + ": expected eight digits");
  });
  Optional(value, where, "nack",
           [&](const json& v, const std::string& w) { wps.sendsNack = Flag(v, w); });
  return wps;
}

NetworkCredentials ReadCredentials(const json& value, const std::string& where) {
  ExpectObject(value, where);
  NetworkCredentials credentials;
  Optional(value, where, "passphrase", [&](const json& v, const std::string& w) {
    credentials.passphrase = Text(v, w);
    if (credentials.passphrase.size() < 8 || credentials.passphrase.size() > 64) {
      throw FieldError(w + ": expected 8 to 63 characters or 64 hexadecimal digits");
    }
  });
  Optional(value, where, "wepKeys", [&](const json& v, const std::string& w) {
    if (!v.is_array() || v.size() > 4) throw FieldError(w + ": expected a list of up to 4 keys");
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string at = w + "[" + std::to_string(i) + "]";
      auto key = HexBytes(v[i], at);
      if (key.size() != 5 && key.size() != 13) throw FieldError(at + ": expected 5 or 13 bytes");
      credentials.wepKeys.push_back(std::move(key));
    }
  });
  Optional(value, where, "wepKeyIndex", [&](const json& v, const std::string& w) {
    credentials.wepKeyIndex = Number<uint32_t>(v, w);
    if (credentials.wepKeyIndex > 3) throw FieldError(w + ": expected 0 to 3");
  });
  Optional(value, where, "accounts",
           [&](const json& v, const std::string& w) { credentials.accounts = ReadAccounts(v, w); });
  return credentials;
}

std::string Address(const json& value, const std::string& where) {
  const std::string text = Text(value, where);
  if (!IsIpv4Address(text)) throw FieldError(where + ": expected an address like 192.168.1.10");
  return text;
}

uint32_t WithinDay(const json& value, const std::string& where) {
  const auto ms = Number<uint32_t>(value, where);
  if (ms > 86'400'000) throw FieldError(where + ": at most 86400000 (a day)");
  return ms;
}

// "dhcp": false for none, or the server's answer; fields left out keep their defaults.
std::optional<DhcpDescription> ReadDhcp(const json& value, const std::string& where) {
  if (value.is_boolean()) {
    if (value.get<bool>()) return DhcpDescription();
    return std::nullopt;
  }
  ExpectObject(value, where);
  DhcpDescription dhcp;
  Optional(value, where, "server",
           [&](const json& v, const std::string& w) { dhcp.server = Address(v, w); });
  Optional(value, where, "address",
           [&](const json& v, const std::string& w) { dhcp.address = Address(v, w); });
  Optional(value, where, "mask",
           [&](const json& v, const std::string& w) { dhcp.mask = Address(v, w); });
  Optional(value, where, "gateway", [&](const json& v, const std::string& w) {
    dhcp.gateway = v.is_string() && v.get<std::string>().empty() ? "" : Address(v, w);
  });
  Optional(value, where, "dns", [&](const json& v, const std::string& w) {
    if (!v.is_array() || v.size() > 7)
      throw FieldError(w + ": expected a list of up to 7 addresses");
    dhcp.dns.clear();
    for (size_t i = 0; i < v.size(); ++i) {
      dhcp.dns.push_back(Address(v[i], w + "[" + std::to_string(i) + "]"));
    }
  });
  Optional(value, where, "leaseDelayMs",
           [&](const json& v, const std::string& w) { dhcp.leaseDelayMs = WithinDay(v, w); });
  Optional(value, where, "leaseSeconds", [&](const json& v, const std::string& w) {
    dhcp.leaseSeconds = Number<uint32_t>(v, w);
    if (dhcp.leaseSeconds < 60) throw FieldError(w + ": at least 60");
  });
  if (dhcp.address == "0.0.0.0") throw FieldError(where + ".address: a lease needs an address");
  return dhcp;
}

TrafficDescription ReadTraffic(const json& value, const std::string& where) {
  ExpectObject(value, where);
  TrafficDescription traffic;
  Optional(value, where, "receiveBytesPerSecond", [&](const json& v, const std::string& w) {
    traffic.receiveBytesPerSecond = Number<uint32_t>(v, w);
  });
  Optional(value, where, "sendBytesPerSecond", [&](const json& v, const std::string& w) {
    traffic.sendBytesPerSecond = Number<uint32_t>(v, w);
  });
  Optional(value, where, "variation", [&](const json& v, const std::string& w) {
    traffic.variationPercent = Number<uint32_t>(v, w);
    if (traffic.variationPercent > 100) throw FieldError(w + ": a percentage of 0 to 100");
  });
  return traffic;
}

const char* WepAuthenticationName(WepAuthentication authentication) {
  switch (authentication) {
    case WepAuthentication::kOpen:
      return "open";
    case WepAuthentication::kShared:
      return "shared";
    case WepAuthentication::kBoth:
      return "both";
  }
  return "open";
}

void ReadPlace(const json& value, const std::string& where, NetworkDescription& network) {
  const bool hasChannel = value.contains("channel");
  const bool hasFrequency = value.contains("frequency");
  if (hasChannel == hasFrequency) {
    throw FieldError(where + ": give either \"channel\" or \"frequency\" (MHz)");
  }
  if (hasChannel) {
    const auto channel = Number<uint32_t>(Required(value, where, "channel"), where + ".channel");
    network.frequencyMHz = ChannelFrequencyMHz(channel);
    if (network.frequencyMHz == 0) {
      throw FieldError(where + ".channel: no such channel (1-14, 34-165, 183-196)");
    }
  } else {
    network.frequencyMHz =
        Number<uint32_t>(Required(value, where, "frequency"), where + ".frequency");
    if (network.frequencyMHz < 2400 || network.frequencyMHz > 5900) {
      throw FieldError(where + ".frequency: expected MHz between 2400 and 5900");
    }
  }
}

void ReadRates(const json& value, const std::string& where, NetworkDescription& network) {
  if (value.is_string()) {
    network.rateKind = Text(value, where);
    network.rates = RatesOfKind(network.rateKind);
    if (network.rates.empty()) throw FieldError(where + ": expected \"b\", \"g\", \"a\" or a list");
    const bool fiveGHz = network.frequencyMHz > 5000;
    if ((network.rateKind == "a") != fiveGHz) {
      throw FieldError(where + ": \"" + network.rateKind + "\" rates do not fit " +
                       (fiveGHz ? "a 5 GHz" : "a 2.4 GHz") + " channel");
    }
    return;
  }
  if (!value.is_array() || value.empty() || value.size() > 16) {
    throw FieldError(where + ": expected \"b\", \"g\", \"a\" or a list of 1 to 16 rates");
  }
  network.rateKind.clear();
  network.rates.clear();
  for (size_t i = 0; i < value.size(); ++i) {
    network.rates.push_back(Number<uint8_t>(value[i], where + "[" + std::to_string(i) + "]"));
  }
}

}  // namespace

bool IsIpv4Address(const std::string& text) {
  unsigned parts[4];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                  &tail) != 4) {
    return false;
  }
  for (unsigned part : parts) {
    if (part > 255) return false;
  }
  return text.find_first_not_of("0123456789.") == std::string::npos;
}

uint32_t ChannelFrequencyMHz(uint32_t channel) {
  if (channel >= 1 && channel <= 13) return 2407 + 5 * channel;
  if (channel == 14) return 2484;
  if (channel >= 34 && channel <= 165) return 5000 + 5 * channel;
  if (channel >= 183 && channel <= 196) return 4000 + 5 * channel;
  return 0;
}

uint32_t FrequencyChannel(uint32_t frequencyMHz) {
  if (frequencyMHz == 2484) return 14;
  if (frequencyMHz >= 2412 && frequencyMHz <= 2472 && (frequencyMHz - 2407) % 5 == 0) {
    return (frequencyMHz - 2407) / 5;
  }
  if (frequencyMHz >= 5170 && frequencyMHz <= 5825 && frequencyMHz % 5 == 0) {
    return (frequencyMHz - 5000) / 5;
  }
  if (frequencyMHz >= 4915 && frequencyMHz <= 4980 && frequencyMHz % 5 == 0) {
    return (frequencyMHz - 4000) / 5;
  }
  return 0;
}

std::vector<uint8_t> RatesOfKind(const std::string& kind) {
  if (kind == "b") return {0x82, 0x84, 0x8B, 0x96};
  // An 802.11g access point in mixed mode: the 802.11b rates are the basic ones.
  if (kind == "g") return {0x82, 0x84, 0x8B, 0x96, 0x24, 0x30, 0x48, 0x6C, 0x0C, 0x12, 0x18, 0x60};
  if (kind == "a") return {0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C};
  return {};
}

bool HasPrivacy(const NetworkDescription& network) {
  if (network.privacy) return *network.privacy;
  return network.security != NetworkSecurity::kOpen;
}

std::string BssidText(const std::array<uint8_t, 6>& bssid) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bssid[0], bssid[1], bssid[2],
                bssid[3], bssid[4], bssid[5]);
  return text;
}

std::string SsidText(const NetworkDescription& network) {
  std::string text;
  for (uint8_t byte : network.ssid) {
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text.push_back(static_cast<char>(byte));
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

NetworkDescription ReadNetwork(const json& value, const std::string& where) {
  ExpectObject(value, where);
  NetworkDescription network;
  const bool hasText = value.contains("ssid");
  const bool hasHex = value.contains("ssidHex");
  if (hasText == hasHex) throw FieldError(where + ": give either \"ssid\" or \"ssidHex\"");
  if (hasText) {
    const std::string ssid = Text(Required(value, where, "ssid"), where + ".ssid");
    network.ssid.assign(ssid.begin(), ssid.end());
  } else {
    network.ssid = HexBytes(Required(value, where, "ssidHex"), where + ".ssidHex");
  }
  if (network.ssid.size() > 32) {
    throw FieldError(where + (hasText ? ".ssid" : ".ssidHex") + ": at most 32 bytes");
  }
  const auto bssid = MacAddress(Required(value, where, "bssid"), where + ".bssid");
  if (bssid.size() != 6) throw FieldError(where + ".bssid: expected 6 address bytes");
  std::copy(bssid.begin(), bssid.end(), network.bssid.begin());
  ReadPlace(value, where, network);
  network.rssi = Number<int32_t>(Required(value, where, "rssi"), where + ".rssi");
  if (network.rssi < -200 || network.rssi > 0) {
    throw FieldError(where + ".rssi: expected dBm from -200 to 0");
  }
  network.rateKind = network.frequencyMHz > 5000 ? "a" : "g";
  network.rates = RatesOfKind(network.rateKind);
  Optional(value, where, "hidden",
           [&](const json& v, const std::string& w) { network.hidden = Flag(v, w); });
  Optional(value, where, "mode", [&](const json& v, const std::string& w) {
    const std::string mode = Text(v, w);
    if (mode != "infrastructure" && mode != "adhoc") {
      throw FieldError(w + ": expected \"infrastructure\" or \"adhoc\"");
    }
    network.adhoc = mode == "adhoc";
  });
  // Access points usually serve addresses; ad hoc stations do not.
  if (network.adhoc) network.dhcp.reset();
  Optional(value, where, "rates",
           [&](const json& v, const std::string& w) { ReadRates(v, w, network); });
  Optional(value, where, "security", [&](const json& v, const std::string& w) {
    const std::string name = Text(v, w);
    for (const auto& known : kSecurityNames) {
      if (name == known.name) {
        network.security = known.value;
        network.ciphers = DefaultCiphers(known.value);
        return;
      }
    }
    throw FieldError(w +
                     ": expected open, wep, wpa-psk, wpa2-psk, wpa-wpa2-psk, wpa, wpa2 or "
                     "wpa-wpa2");
  });
  Optional(value, where, "ciphers", [&](const json& v, const std::string& w) {
    const std::string name = Text(v, w);
    if (!UsesWpaElements(network.security)) {
      throw FieldError(w + ": only WPA and WPA2 networks name their ciphers");
    }
    if (name == "tkip") {
      network.ciphers = NetworkCiphers::kTkip;
    } else if (name == "aes") {
      network.ciphers = NetworkCiphers::kAes;
    } else if (name == "both") {
      network.ciphers = NetworkCiphers::kBoth;
    } else {
      throw FieldError(w + ": expected \"tkip\", \"aes\" or \"both\"");
    }
  });
  Optional(value, where, "ht", [&](const json& v, const std::string& w) {
    const std::string name = Text(v, w);
    if (name == "none") {
      network.ht = HtKind::kNone;
    } else if (name == "standard") {
      network.ht = HtKind::kStandard;
    } else if (name == "prestandard") {
      network.ht = HtKind::kPrestandard;
    } else {
      throw FieldError(w + ": expected \"none\", \"standard\" or \"prestandard\"");
    }
  });
  Optional(value, where, "wps",
           [&](const json& v, const std::string& w) { network.wps = ReadWps(v, w); });
  Optional(value, where, "privacy",
           [&](const json& v, const std::string& w) { network.privacy = Flag(v, w); });
  Optional(value, where, "beaconInterval", [&](const json& v, const std::string& w) {
    network.beaconInterval = Number<uint16_t>(v, w);
    if (network.beaconInterval == 0) throw FieldError(w + ": expected at least 1");
  });
  Optional(value, where, "ies",
           [&](const json& v, const std::string& w) { network.ies = HexBytes(v, w); });
  Optional(value, where, "extraIes",
           [&](const json& v, const std::string& w) { network.extraIes = HexBytes(v, w); });
  Optional(value, where, "credentials", [&](const json& v, const std::string& w) {
    network.credentials = ReadCredentials(v, w);
  });
  Optional(value, where, "authentication", [&](const json& v, const std::string& w) {
    if (network.security != NetworkSecurity::kWep) {
      throw FieldError(w + ": only WEP networks choose open or shared-key authentication");
    }
    const std::string name = Text(v, w);
    if (name == "open") {
      network.wepAuthentication = WepAuthentication::kOpen;
    } else if (name == "shared") {
      network.wepAuthentication = WepAuthentication::kShared;
    } else if (name == "both") {
      network.wepAuthentication = WepAuthentication::kBoth;
    } else {
      throw FieldError(w + ": expected \"open\", \"shared\" or \"both\"");
    }
  });
  Optional(value, where, "dhcp",
           [&](const json& v, const std::string& w) { network.dhcp = ReadDhcp(v, w); });
  Optional(value, where, "traffic",
           [&](const json& v, const std::string& w) { network.traffic = ReadTraffic(v, w); });
  return network;
}

json NetworkJson(const NetworkDescription& network) {
  json value = json::object();
  value["ssidHex"] = HexText(network.ssid);
  if (network.hidden) value["hidden"] = true;
  value["bssid"] = BssidText(network.bssid);
  value["frequency"] = network.frequencyMHz;
  value["rssi"] = network.rssi;
  value["mode"] = network.adhoc ? "adhoc" : "infrastructure";
  if (network.rateKind.empty()) {
    value["rates"] = network.rates;
  } else {
    value["rates"] = network.rateKind;
  }
  for (const auto& known : kSecurityNames) {
    if (known.value == network.security) value["security"] = known.name;
  }
  if (UsesWpaElements(network.security)) value["ciphers"] = CiphersName(network.ciphers);
  value["ht"] = HtName(network.ht);
  if (network.wps) {
    json wps = {{"state", network.wps->state == 1 ? "unconfigured" : "configured"},
                {"selectedRegistrar", network.wps->selectedRegistrar},
                {"configMethods", network.wps->configMethods}};
    if (network.wps->devicePasswordId) wps["devicePasswordId"] = *network.wps->devicePasswordId;
    if (!network.wps->apPin.empty()) wps["apPin"] = network.wps->apPin;
    if (network.wps->sendsNack) wps["nack"] = true;
    value["wps"] = wps;
  }
  if (network.privacy) value["privacy"] = *network.privacy;
  value["beaconInterval"] = network.beaconInterval;
  if (network.ies) value["ies"] = HexText(*network.ies);
  if (!network.extraIes.empty()) value["extraIes"] = HexText(network.extraIes);
  const auto& credentials = network.credentials;
  if (!credentials.passphrase.empty() || !credentials.wepKeys.empty() ||
      !credentials.accounts.empty()) {
    json secrets = json::object();
    if (!credentials.passphrase.empty()) secrets["passphrase"] = credentials.passphrase;
    if (!credentials.wepKeys.empty()) {
      secrets["wepKeys"] = json::array();
      for (const auto& key : credentials.wepKeys) secrets["wepKeys"].push_back(HexText(key));
      secrets["wepKeyIndex"] = credentials.wepKeyIndex;
    }
    if (!credentials.accounts.empty()) secrets["accounts"] = AccountsJson(credentials.accounts);
    value["credentials"] = secrets;
  }
  if (network.security == NetworkSecurity::kWep) {
    value["authentication"] = WepAuthenticationName(network.wepAuthentication);
  }
  if (network.dhcp) {
    const auto& dhcp = *network.dhcp;
    value["dhcp"] = {{"server", dhcp.server},
                     {"address", dhcp.address},
                     {"mask", dhcp.mask},
                     {"gateway", dhcp.gateway},
                     {"dns", dhcp.dns},
                     {"leaseDelayMs", dhcp.leaseDelayMs},
                     {"leaseSeconds", dhcp.leaseSeconds}};
  } else {
    value["dhcp"] = false;
  }
  value["traffic"] = {{"receiveBytesPerSecond", network.traffic.receiveBytesPerSecond},
                      {"sendBytesPerSecond", network.traffic.sendBytesPerSecond},
                      {"variation", network.traffic.variationPercent}};
  return value;
}

std::optional<std::string> ParseNetworkText(const std::string& text, NetworkDescription& network) {
  return ParseDocument(text, "network",
                       [&](const json& root) { network = ReadNetwork(root, "network"); });
}

}  // namespace sim
