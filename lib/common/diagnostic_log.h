// The diagnostic log "c:\vtrlog\log.txt" on the machine's drive C:.
#pragma once

namespace vtr {

inline constexpr const char* kDiagnosticLogPath = "c:\\vtrlog\\log.txt";
inline constexpr unsigned kMaxLogLineLength = 558;

// Appends the text and a newline, cut to kMaxLogLineLength characters. The folder is not
// created: without it (or when the file cannot be opened) the line is dropped.
void WriteLogLine(const char* text);

}  // namespace vtr
