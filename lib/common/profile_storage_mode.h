// The process-wide choice between the file and the registry for the profile store.
#pragma once

#include <optional>

#include "lib/common/profile_registry_mode.h"

namespace vtr::profile {

// Where the store is now: nothing in file mode, the registry place in registry mode. Registry
// mode without a root and key path given yet has no place and every operation fails.
struct StorageChoice {
  bool fileMode = true;
  std::optional<RegistryPlace> registry;
};
StorageChoice CurrentStorage();

}  // namespace vtr::profile
