// The pages of the sheet, in tab order: Site Survey, Profile Manager, Network Status, About.
#pragma once

#include "app/core/property_sheet.h"
#include "app/core/vtr_library.h"

namespace pages {

// The pages' factories; each page reaches the adapter library lib.
core::PageFactories AllPages(const core::CVtrLibrary& lib);

}  // namespace pages
