// The debugger-output stand-in. Windows code writes trace text with OutputDebugStringA for an
// attached debugger; Linux has no such channel, so the text goes to stderr, and only when
// RADIODESK_DEBUG_OUTPUT is set: without a listener the text is dropped, as on Windows.
#pragma once

namespace platform {

void OutputDebugStringA(const char* text);

}  // namespace platform
