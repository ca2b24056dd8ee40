#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void OutputDebugStringA(const char* text) {
  if (text == nullptr || std::getenv("RADIODESK_DEBUG_OUTPUT") == nullptr) return;
  std::fputs(text, stderr);
}

}  // namespace platform
