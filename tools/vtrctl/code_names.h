// The names vtrctl gives the library's codes, the same on the command line, in tables and in
// JSON: authentication, encryption, network type, band, EAP method.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vtrctl {

struct CodeName {
  std::string_view name;
  uint32_t value;
};

std::span<const CodeName> AuthModes();
std::span<const CodeName> Encryptions();
std::span<const CodeName> NetworkTypes();
std::span<const CodeName> Bands();
std::span<const CodeName> EapMethods();

// The code text names in table; a usage error listing the choices when it names none.
uint32_t CodeOf(std::span<const CodeName> table, const std::string& text, std::string_view what);
// The name of value in table, or "unknown (N)".
std::string NameOf(std::span<const CodeName> table, uint32_t value);

// "infrastructure" or "adhoc".
std::string NetworkTypeName(uint32_t networkType);
// Authentication and encryption as one text: "wpa2-psk/aes", "open/none".
std::string SecurityName(uint32_t authMode, uint32_t encryption);
// The JSON name of a signal reading: "signalDbm" or "signalPercent".
std::string SignalField(bool dbm);

}  // namespace vtrctl
