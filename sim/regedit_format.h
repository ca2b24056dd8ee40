// The hive file's text: the registry-export format REGEDIT4 with 8-bit strings, so a person can
// read and edit the machine's registry by hand and a program can load it back exactly.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Vendor]
//   @="default value"
//   "Name"="text"                 REG_SZ: the text plus one terminating NUL
//   "Count"=dword:0000000a        REG_DWORD of exactly 4 bytes
//   "Blob"=hex:01,ab              REG_BINARY
//   "List"=hex(7):61,00,00,00     any other type, or a value the forms above cannot express
//
// Every byte size survives a round trip: a REG_SZ that is not "printable text plus one NUL" is
// written as hex(1), a REG_DWORD that is not 4 bytes as hex(4).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "sim/registry_hive.h"

namespace sim {

struct RegeditParseError {
  size_t line = 0;  // 1-based
  std::string message;

  // "line 7: message"
  std::string Describe() const;
};

// Reads size bytes at data, never beyond, into hive (which is cleared first). Returns the first
// error found; on error hive holds whatever was read before it and must not be used.
std::optional<RegeditParseError> ParseRegedit(const char* data, size_t size, Hive& hive);

// The hive as text: deterministic, keys in registry order, every key a section of its own even
// when it holds no values. ParseRegedit(FormatRegedit(h)) gives h back.
std::string FormatRegedit(const Hive& hive);

}  // namespace sim
