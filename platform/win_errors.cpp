#include "platform/win_errors.h"

namespace platform {
namespace {
thread_local long lastError = kErrorSuccess;
}

long GetLastError() {
  return lastError;
}
void SetLastError(long error) {
  lastError = error;
}

}  // namespace platform
