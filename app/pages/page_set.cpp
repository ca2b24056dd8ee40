#include "app/pages/page_set.h"

namespace pages {

core::PageFactories AllPages() {
  core::PageFactories factories;
  return factories;
}

}  // namespace pages
