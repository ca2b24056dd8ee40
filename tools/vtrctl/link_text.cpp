#include "tools/vtrctl/link_text.h"

#include <cstdio>
#include <string>
#include <vector>

#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/code_names.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {

std::string LinkStateText(uint32_t linkState) {
  switch (linkState) {
    case 1:
      return "associated";
    case 2:
      return "not associated";
    case 3:
      return "no adapter";
    default:
      return "unknown (" + std::to_string(linkState) + ")";
  }
}

std::string LinkSecurityText(uint32_t authMode, uint32_t cipher) {
  std::string auth;
  switch (authMode) {
    case VTR_AUTH_OPEN:
      auth = "Open";
      break;
    case VTR_AUTH_SHARED:
      auth = "Shared";
      break;
    case VTR_AUTH_AUTO_SWITCH:
      auth = "Auto";
      break;
    case VTR_AUTH_WPA_PSK:
      auth = "WPA-PSK";
      break;
    case VTR_AUTH_WPA2_PSK:
      auth = "WPA2-PSK";
      break;
    case VTR_AUTH_WPA:
      auth = "WPA";
      break;
    case VTR_AUTH_WPA2:
      auth = "WPA2";
      break;
    default:
      auth = "unknown";
      break;
  }
  std::string cipherText;
  switch (cipher) {
    case VTR_CIPHER_NONE:
      cipherText = "none";
      break;
    case VTR_CIPHER_WEP:
      cipherText = "WEP";
      break;
    case VTR_CIPHER_TKIP:
      cipherText = "TKIP";
      break;
    case VTR_CIPHER_AES:
      cipherText = "AES";
      break;
    default:
      cipherText = "unknown";
      break;
  }
  return auth + " / " + cipherText;
}

std::string BandText(uint32_t phyMode) {
  switch (phyMode) {
    case VTR_PHY_11B:
      return "802.11b";
    case VTR_PHY_11G:
      return "802.11g";
    case VTR_PHY_11A:
      return "802.11a";
    case VTR_PHY_UNDETERMINED:
      return "not determined";
    case VTR_PHY_OTHER:
      // The Native Wi-Fi build's code for a physical layer beyond a, b and g: with this
      // adapter, 802.11n.
      return "802.11n";
    default:
      return "-";
  }
}

std::string RateText(uint32_t tenths) {
  if (tenths == 0) return "-";
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " Mbit/s";
}

std::vector<std::pair<std::string, std::string>> LinkRows(const VtrLinkInfo& link, bool dbm) {
  std::vector<std::pair<std::string, std::string>> rows = {
      {"State", LinkStateText(link.linkState)}};
  if (link.linkState != 1) return rows;
  rows.insert(rows.end(), {{"SSID", PrintableText(FieldText(link.ssid))},
                           {"BSSID", FieldText(link.bssid)},
                           {"Security", LinkSecurityText(link.authMode, link.cipher)},
                           {"Network type", link.networkType == 1 ? "infrastructure" : "ad hoc"},
                           {"Band", BandText(link.phyMode)},
                           {"Channel", link.channel != 0 ? std::to_string(link.channel) : "-"},
                           {"Tx rate", RateText(link.txRate)},
                           {"Rx rate", RateText(link.rxRate)},
                           {"Signal", std::to_string(link.signal) + (dbm ? " dBm" : "%")}});
  return rows;
}

nlohmann::json LinkJson(const VtrLinkInfo& link, bool dbm) {
  nlohmann::json out = {{"linkState", link.linkState}, {"state", LinkStateText(link.linkState)}};
  const std::string signal = SignalField(dbm);
  if (link.linkState != VTR_LINK_ASSOCIATED) {
    // Without an association the record's other fields describe nothing.
    for (const char* field : {"ssid", "ssidHex", "bssid", "phyMode", "networkType", "authMode",
                              "cipher", "security", "channel", "txRate", "rxRate"}) {
      out[field] = nullptr;
    }
    out[signal] = nullptr;
    return out;
  }
  PutSsid(out, FieldText(link.ssid));
  out.update({{"bssid", FieldText(link.bssid)},
              {"phyMode", link.phyMode},
              {"networkType", NetworkTypeName(link.networkType)},
              {"authMode", link.authMode},
              {"cipher", link.cipher},
              {"security", SecurityName(link.authMode, link.cipher)},
              {"channel", link.channel},
              {"txRate", link.txRate},
              {"rxRate", link.rxRate},
              {signal, link.signal}});
  return out;
}

namespace {

// The DNS servers the adapter has. Without any, Windows lists one empty entry: that is none.
std::vector<std::string> DnsServers(const VtrIpInfo& ip) {
  std::vector<std::string> servers;
  const uint32_t count = ip.dnsCount < 5 ? ip.dnsCount : 5;
  for (uint32_t i = 0; i < count; ++i) {
    std::string server = FieldText(ip.dnsServer[i]);
    if (!server.empty()) servers.push_back(std::move(server));
  }
  return servers;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> IpRows(const VtrIpInfo& ip) {
  auto orDash = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
  std::vector<std::pair<std::string, std::string>> rows = {
      {"DHCP", ip.dhcpEnabled ? "yes" : "no"},
      {"Address", orDash(FieldText(ip.ipAddress))},
      {"Subnet mask", orDash(FieldText(ip.subnetMask))},
      {"Gateway", orDash(FieldText(ip.gateway))},
      {"DHCP server", orDash(FieldText(ip.dhcpServer))}};
  std::string dns;
  for (const std::string& server : DnsServers(ip)) dns += (dns.empty() ? "" : ", ") + server;
  rows.emplace_back("DNS servers", orDash(dns));
  return rows;
}

nlohmann::json IpJson(const VtrIpInfo& ip) {
  nlohmann::json dns = DnsServers(ip);
  return {{"dhcpEnabled", ip.dhcpEnabled != 0},     {"ipAddress", FieldText(ip.ipAddress)},
          {"subnetMask", FieldText(ip.subnetMask)}, {"gateway", FieldText(ip.gateway)},
          {"dhcpServer", FieldText(ip.dhcpServer)}, {"dnsServers", dns}};
}

}  // namespace vtrctl
