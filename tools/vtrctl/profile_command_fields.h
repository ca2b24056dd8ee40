// The fields of a profile as a user sets and reads them: options into a record, the checks a
// record must pass before it is stored, and the record shown as rows or JSON.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/vtrctl/cli.h"
#include "vtrlib.h"

namespace core {
class CVtrLibrary;
}

namespace vtrctl {

// The options add and edit understand.
std::span<const OptionSpec> ProfileFieldOptions();
// Help text for those options.
extern const std::string_view kProfileFieldHelp;

// Applies the options given to record; a value that cannot be right is a usage error.
void ApplyProfileFields(const ParsedArgs& parsed, const core::CVtrLibrary& lib,
                        ProfileRecord& record);
// Throws a usage error naming what is missing or inconsistent in record.
void CheckProfile(const ProfileRecord& record);

std::string ProfileName(const ProfileRecord& record);
std::string SecurityText(const ProfileRecord& record);
std::vector<std::pair<std::string, std::string>> ProfileRows(const ProfileRecord& record,
                                                             bool showSecrets);
nlohmann::json ProfileJson(const ProfileRecord& record, bool showSecrets);

}  // namespace vtrctl
