// The driver's version and date, from the adapter's class key or else from the driver file.
#pragma once

#include <string>

#include "vtrlib/vtr_base.h"

namespace vtr {

struct DriverFacts {
  std::string version;   // empty when nothing was found
  VtrSystemTime date{};  // year, month and day used
};

DriverFacts ReadDriverVersion(const std::string& adapterName);

}  // namespace vtr
