// How vtrctl survey shows survey entries: the Site Survey page's columns for people, the
// record's fields for programs.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "vtrlib.h"

namespace vtrctl {

// The page's security column, from the authentication mask and then the cipher mask.
std::string SecurityText(uint32_t authMask, uint32_t cipherMask);
// "---" without WPS, "Y" with it, "Y+" while a push-button session is open.
std::string WpsText(const VtrSurveyEntry& entry);

void PrintSurveyTable(std::ostream& out, std::span<const VtrSurveyEntry> entries, bool dbm);
nlohmann::json SurveyJson(std::span<const VtrSurveyEntry> entries);

}  // namespace vtrctl
