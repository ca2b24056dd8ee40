#include "tools/vtrctl/code_names.h"

#include <array>

#include "tools/vtrctl/cli.h"

namespace vtrctl {
namespace {

constexpr std::array<CodeName, 7> kAuthModes = {{{"open", 0},
                                                 {"shared", 1},
                                                 {"auto", 2},
                                                 {"wpa-psk", 4},
                                                 {"wpa2-psk", 8},
                                                 {"wpa", 16},
                                                 {"wpa2", 32}}};
constexpr std::array<CodeName, 4> kEncryptions = {
    {{"none", 0}, {"wep", 1}, {"tkip", 2}, {"aes", 4}}};
constexpr std::array<CodeName, 2> kNetworkTypes = {{{"infrastructure", 1}, {"adhoc", 0}}};
constexpr std::array<CodeName, 4> kBands = {{{"b", 2}, {"g", 4}, {"a", 6}, {"auto", 8}}};
constexpr std::array<CodeName, 3> kEapMethods = {{{"tls", 0}, {"peap", 1}, {"leap", 2}}};

}  // namespace

std::span<const CodeName> AuthModes() {
  return kAuthModes;
}
std::span<const CodeName> Encryptions() {
  return kEncryptions;
}
std::span<const CodeName> NetworkTypes() {
  return kNetworkTypes;
}
std::span<const CodeName> Bands() {
  return kBands;
}
std::span<const CodeName> EapMethods() {
  return kEapMethods;
}

uint32_t CodeOf(std::span<const CodeName> table, const std::string& text, std::string_view what) {
  for (const CodeName& entry : table) {
    if (entry.name == text) return entry.value;
  }
  std::string choices;
  for (const CodeName& entry : table) {
    choices += (choices.empty() ? "" : ", ") + std::string(entry.name);
  }
  throw UsageError("invalid " + std::string(what) + " '" + text + "' (one of " + choices + ")");
}

std::string NameOf(std::span<const CodeName> table, uint32_t value) {
  for (const CodeName& entry : table) {
    if (entry.value == value) return std::string(entry.name);
  }
  return "unknown (" + std::to_string(value) + ")";
}

std::string NetworkTypeName(uint32_t networkType) {
  return NameOf(kNetworkTypes, networkType);
}

std::string SecurityName(uint32_t authMode, uint32_t encryption) {
  return NameOf(kAuthModes, authMode) + "/" + NameOf(kEncryptions, encryption);
}

std::string SignalField(bool dbm) {
  return dbm ? "signalDbm" : "signalPercent";
}

}  // namespace vtrctl
