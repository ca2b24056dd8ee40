#include "lib/nativewifi/vista_trace.h"

#include <cstdio>

#include "platform/debug_output.h"
#include "platform/services.h"

namespace vtr {

void VistaTrace(const char* text) {
  const VtrSystemTime now = platform::Current().Clock().LocalTime();
  char line[600];
  std::snprintf(line, sizeof line, "%02u:%02u:%02u %s\r\n", unsigned{now.hour},
                unsigned{now.minute}, unsigned{now.second}, text);
  platform::OutputDebugStringA(line);
}

}  // namespace vtr
