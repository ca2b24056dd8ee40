// The built-in machine descriptions.
#pragma once

#include <string_view>
#include <vector>

namespace sim {

struct Preset {
  std::string_view name;
  std::string_view description;  // machine.json text
};

const std::vector<Preset>& BuiltInPresets();

}  // namespace sim
