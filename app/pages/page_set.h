// The pages of the sheet, in tab order: Site Survey, Profile Manager, Network Status, About.
#pragma once

#include "app/core/property_sheet.h"

namespace pages {

core::PageFactories AllPages();

}  // namespace pages
