// The built-in machine descriptions.
#pragma once

#include <string_view>
#include <vector>

namespace sim {

// A file a new machine gets beside its description.
struct PresetFile {
  std::string_view name;  // "Root.pem"
  std::string_view text;
};

struct Preset {
  std::string_view name;
  std::string_view description;  // machine.json text
  // The certificate stores' PEM files, for the machine's "certificates" folder.
  std::vector<PresetFile> certificateFiles;
};

const std::vector<Preset>& BuiltInPresets();

}  // namespace sim
