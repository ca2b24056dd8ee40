// The C interface's boundary. A C++ exception cannot cross into a caller written in C (or any
// caller that does not expect one): it would end the caller's process. Every VTR_* export is a
// function-try-block whose handler hands the exception to ExceptionAtBoundary, which says on
// standard error which export met it and gives the export's failure value back:
//
//   int32_t VTR_Something(uint32_t value) try {
//     ...
//   } catch (...) {
//     return vtr::ExceptionAtBoundary(__func__, -1);
//   }
#pragma once

namespace vtr {

// Tells that the current exception reached the export named; for a handler only.
void ReportExceptionAtBoundary(const char* exportName) noexcept;

template <typename Result>
Result ExceptionAtBoundary(const char* exportName, Result failure) noexcept {
  ReportExceptionAtBoundary(exportName);
  return failure;
}

inline void ExceptionAtBoundary(const char* exportName) noexcept {
  ReportExceptionAtBoundary(exportName);
}

}  // namespace vtr
