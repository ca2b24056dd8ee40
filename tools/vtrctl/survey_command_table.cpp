#include "tools/vtrctl/survey_command_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "app/core/survey_text.h"
#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/code_names.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {
namespace {

std::string BandText(uint32_t phyMode) {
  switch (phyMode) {
    case VTR_PHY_11B:
      return "802.11b";
    case VTR_PHY_11G:
      return "802.11g";
    case VTR_PHY_11A:
      return "802.11a";
    default:
      return std::to_string(phyMode);
  }
}

// A display width that counts UTF-8 sequences as one column each.
std::size_t Columns(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

void PrintSurveyTable(std::ostream& out, std::span<const VtrSurveyEntry> entries, bool dbm) {
  const std::vector<std::string> header = {
      "Network Name", "MAC Address",  "Security",  "WPS",  "CH.",
      "Signal",       "Network Type", "Frequency", "Band", "802.11n"};
  std::vector<std::vector<std::string>> rows{header};
  for (const VtrSurveyEntry& entry : entries) {
    const std::string signal =
        dbm ? std::to_string(entry.signal) + " dBm" : std::to_string(entry.signal) + "%";
    rows.push_back({PrintableText(FieldText(entry.ssid)), FieldText(entry.bssid),
                    core::SecurityText(entry.authMask, entry.cipherMask), core::WpsText(entry),
                    std::to_string(static_cast<int32_t>(entry.channel)), signal,
                    entry.networkType == VTR_NETWORK_ADHOC ? "Ad-Hoc" : "Infrastructure",
                    FieldText(entry.frequency), BandText(entry.phyMode),
                    entry.isHt != 0 ? "Y" : "-"});
  }
  std::vector<std::size_t> widths(header.size(), 0);
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Columns(row[i]));
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - Columns(row[i]) + 2, ' ');
    }
    out << line << '\n';
  }
}

nlohmann::json SurveyJson(std::span<const VtrSurveyEntry> entries, bool dbm) {
  nlohmann::json list = nlohmann::json::array();
  for (const VtrSurveyEntry& entry : entries) {
    nlohmann::json item = {{"phyMode", entry.phyMode},
                           {"bssid", FieldText(entry.bssid)},
                           {"channel", entry.channel},
                           {SignalField(dbm), entry.signal},
                           {"frequency", FieldText(entry.frequency)},
                           {"isHt", entry.isHt != 0},
                           {"hasWps", entry.hasWps != 0},
                           {"wpsPbcActive", entry.wpsPbcActive != 0},
                           {"networkType", NetworkTypeName(entry.networkType)},
                           {"authMask", entry.authMask},
                           {"cipherMask", entry.cipherMask}};
    PutSsid(item, FieldText(entry.ssid));
    list.push_back(std::move(item));
  }
  return list;
}

}  // namespace vtrctl
