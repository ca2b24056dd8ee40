// How vtrctl survey shows survey entries: the Site Survey page's columns for people, the
// record's fields for programs.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "vtrlib.h"

namespace vtrctl {

void PrintSurveyTable(std::ostream& out, std::span<const VtrSurveyEntry> entries, bool dbm);
// dbm: the entries carry the signal in dBm (signalDbm) rather than percent (signalPercent).
nlohmann::json SurveyJson(std::span<const VtrSurveyEntry> entries, bool dbm);

}  // namespace vtrctl
