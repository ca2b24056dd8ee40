#include "app/pages/page_set.h"

namespace pages {

core::PageFactories AllPages(const core::CVtrLibrary&) {
  core::PageFactories factories;
  return factories;
}

}  // namespace pages
