// Trace lines of the Vista build: the local time as "%H:%M:%S", a space, the text and CR LF,
// written to the debugger output.
#pragma once

namespace vtr {

void VistaTrace(const char* text);

}  // namespace vtr
