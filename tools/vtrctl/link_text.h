// The link and IP records as people and programs read them, shared by connect, link and ip.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "vtrlib.h"

namespace vtrctl {

std::string LinkStateText(uint32_t linkState);
// "WPA2-PSK / AES", "Open / none", ...
std::string LinkSecurityText(uint32_t authMode, uint32_t cipher);
std::string BandText(uint32_t phyMode);
// Tenths of Mbit/s as "54.0 Mbit/s"; "-" for 0.
std::string RateText(uint32_t tenths);

std::vector<std::pair<std::string, std::string>> LinkRows(const VtrLinkInfo& link, bool dbm);
nlohmann::json LinkJson(const VtrLinkInfo& link, bool dbm);
std::vector<std::pair<std::string, std::string>> IpRows(const VtrIpInfo& ip);
nlohmann::json IpJson(const VtrIpInfo& ip);

}  // namespace vtrctl
