#include "lib/common/export_boundary.h"

#include <cstdio>
#include <exception>

namespace vtr {

void ReportExceptionAtBoundary(const char* exportName) noexcept {
  const char* what = "an unknown exception";
  try {
    throw;
  } catch (const std::exception& error) {
    what = error.what();
  } catch (...) {
  }
  std::fprintf(stderr, "radiodesk: %s failed: %s\n", exportName, what);
}

}  // namespace vtr
