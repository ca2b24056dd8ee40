// vtrctl radio, region, caps, driver and wep-keys: the adapter's radio and regulatory settings,
// what it supports, who made its driver, and WEP keys from a passphrase.
#include <array>
#include <cstdio>
#include <string>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"

namespace vtrctl {
namespace {

std::string Hex32(uint32_t value) {
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "0x%08X", value);
  return text.data();
}

// The About page reads regions 1 and 2 as the 11 channels of the Americas.
std::string ChannelsOfRegion(uint32_t regionCode) {
  return regionCode == 1 || regionCode == 2 ? "1-11" : "1-13";
}

int RunRadioCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "radio", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl radio on|off|status [--json]\n\n"
               "Switches the radio on or off, or shows whether it is on. Switching it off\n"
               "leaves the network first; switching it on lets the adapter scan again.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl radio on|off|status");
  const std::string& what = parsed.positionals[0];
  if (what != "on" && what != "off" && what != "status") {
    throw UsageError("vtrctl radio takes on, off or status, not '" + what + "'");
  }
  const core::CVtrLibrary& lib = RequireLibrary();
  // Switching off leaves the network: the link holder goes first, as for a disconnect.
  if (what == "off") platform::Current().LinkHolder().EndLinkHolder();
  AdapterSession session(lib);
  if (what != "status" && !lib.SetRadioMode(what == "on" ? 1 : 0)) {
    throw Failure("the adapter refused to switch its radio " + what);
  }
  uint32_t mode = 0;
  if (!lib.GetRadioMode(&mode)) throw Failure("the adapter did not say whether its radio is on");
  if (ctx.json) {
    PrintJson(ctx.out, {{"radioOn", mode == 1}});
  } else {
    ctx.out << "radio " << (mode == 1 ? "on" : "off") << '\n';
  }
  return 0;
}

// The utility's region codes: 1 United States, 2 Canada, 3 to 6 other regions.
constexpr uint32_t kFirstRegion = 1;
constexpr uint32_t kLastRegion = 6;
constexpr uint32_t kCanada = 2;
constexpr uint32_t kUnitedStates = 1;

// The driver keeps the United States and Canada as one region, which reads back as 1.
bool ReadsBackAs(uint32_t requested, uint32_t readBack) {
  return readBack == requested || (requested == kCanada && readBack == kUnitedStates);
}

uint32_t RegionNow(const core::CVtrLibrary& lib) {
  VtrAdapterInfo info{};
  lib.DriverParameter(&info);
  return info.regionCode;
}

std::string RegionText(uint32_t code) {
  return std::to_string(code) + " (channels " + ChannelsOfRegion(code) + ")";
}

int RunRegionCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "region", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl region CODE [--json]\n\n"
               "Sets the regulatory region by the utility's region code (1 United States,\n"
               "2 Canada, 3 to 6 other regions; the utility itself uses 1 and 3) and shows the\n"
               "region the driver then reports, with its channels. Canada reads back as 1. A\n"
               "region the adapter does not take (it keeps its own, or reads it back as another)\n"
               "fails, saying what the adapter holds now.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl region CODE");
  const uint32_t code = ParseNumber(parsed.positionals[0], 0xFFFFFFFFu, "region code");
  if (code < kFirstRegion || code > kLastRegion) {
    throw UsageError("region codes are 1 to 6 (1 United States, 2 Canada, 3 to 6 other regions)");
  }
  const core::CVtrLibrary& lib = RequireLibrary();
  AdapterSession session(lib);
  const uint32_t before = RegionNow(lib);
  if (!lib.SetRegionalDomain(code)) throw Failure("the adapter refused the region");
  const uint32_t after = RegionNow(lib);
  if (!ReadsBackAs(code, after)) {
    throw Failure(after == before ? "the adapter kept its region " + RegionText(after) +
                                        " and did not take region " + std::to_string(code) +
                                        " (its region is fixed)"
                                  : "the adapter took region " + std::to_string(code) +
                                        " as region " + RegionText(after));
  }
  if (ctx.json) {
    PrintJson(ctx.out,
              {{"requested", code}, {"regionCode", after}, {"channels", ChannelsOfRegion(after)}});
  } else {
    PrintRows(ctx.out, {{"Region", std::to_string(after)}, {"Channels", ChannelsOfRegion(after)}});
  }
  return 0;
}

std::string BandsOf(uint32_t mask) {
  std::string bands;
  const std::pair<uint32_t, const char*> bits[] = {
      {1, "802.11b"}, {4, "802.11g"}, {2, "802.11a"}, {8, "802.11n"}};
  for (const auto& [bit, name] : bits) {
    if ((mask & bit) != 0) bands += (bands.empty() ? "" : ", ") + std::string(name);
  }
  return bands;
}

std::string PairText(uint32_t pair) {
  const uint32_t auth = pair >> 16;
  const uint32_t cipher = pair & 0xFFFF;
  const char* authName = "?";
  switch (auth) {
    case 0x01:
      authName = "Open";
      break;
    case 0x02:
      authName = "Shared";
      break;
    case 0x04:
      authName = "Auto Switch";  // open system or shared key, as the network takes it
      break;
    case 0x10:
      authName = "WPA-PSK";
      break;
    case 0x20:
      authName = "WPA2-PSK";
      break;
    case 0x40:
      authName = "WPA";
      break;
    case 0x80:
      authName = "WPA2";
      break;
    default:
      return Hex32(pair);
  }
  const char* cipherName = cipher == 1   ? "none"
                           : cipher == 2 ? "WEP"
                           : cipher == 4 ? "TKIP"
                           : cipher == 8 ? "AES"
                                         : "?";
  return std::string(authName) + "/" + cipherName;
}

int RunCapsCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "caps", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl caps [--json]\n\n"
               "Shows what the adapter and the library build support: bands, security pairs,\n"
               "key entry, 802.1X methods, thresholds and Wi-Fi Protected Setup.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl caps");
  const core::CVtrLibrary& lib = RequireLibrary();
  AdapterSession session(lib);
  VtrCapability caps{};
  if (!lib.GetAdapterCapability(&caps)) throw Failure("the library gave no capabilities");
  std::string pairs;
  nlohmann::json pairList = nlohmann::json::array();
  for (uint32_t pair : caps.authCipherPairs) {
    if (pair == 0) continue;
    pairs += (pairs.empty() ? "" : ", ") + PairText(pair);
    pairList.push_back(pair);
  }
  std::string eap;
  const std::pair<uint32_t, const char*> methods[] = {{1, "EAP-TLS"}, {2, "PEAP"}, {4, "LEAP"}};
  for (const auto& [bit, name] : methods) {
    if ((caps.eapMask & bit) != 0) eap += (eap.empty() ? "" : ", ") + std::string(name);
  }
  if (ctx.json) {
    PrintJson(ctx.out, {{"adapterKind", caps.adapterKind},
                        {"phyModeMask", caps.phyModeMask},
                        {"bands", BandsOf(caps.phyModeMask)},
                        {"authCipherPairs", pairList},
                        {"keyEntryMask", caps.keyEntryMask},
                        {"eapMask", caps.eapMask},
                        {"featureMask", caps.featureMask},
                        {"maxRtsThreshold", caps.maxRtsThreshold},
                        {"maxFragThreshold", caps.maxFragThreshold},
                        {"wpsSupported", caps.wpsSupported != 0},
                        {"wpsModeMask", caps.wpsModeMask}});
    return 0;
  }
  PrintRows(ctx.out,
            {{"Adapter kind", std::to_string(caps.adapterKind)},
             {"Bands", BandsOf(caps.phyModeMask)},
             {"Security", pairs},
             {"Key entry", Hex32(caps.keyEntryMask)},
             {"802.1X", eap.empty() ? "-" : eap},
             {"Features", Hex32(caps.featureMask)},
             {"RTS threshold", "up to " + std::to_string(caps.maxRtsThreshold)},
             {"Fragmentation", "up to " + std::to_string(caps.maxFragThreshold)},
             {"WPS", caps.wpsSupported ? "yes (modes " + Hex32(caps.wpsModeMask) + ")" : "no"}});
  return 0;
}

int RunDriverCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "driver", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl driver [--json]\n\n"
               "Shows the adapter and its driver as the About page does: description, driver\n"
               "version and date, firmware version, MAC address and region.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl driver");
  const core::CVtrLibrary& lib = RequireLibrary();
  AdapterSession session(lib);
  VtrAdapterInfo info{};
  lib.DriverParameter(&info);
  std::string date;
  if (info.driverDate.year != 0) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04u-%02u-%02u", unsigned{info.driverDate.year},
                  unsigned{info.driverDate.month}, unsigned{info.driverDate.day});
    date = text.data();
  }
  if (ctx.json) {
    PrintJson(ctx.out, {{"description", FieldText(info.description)},
                        {"driverVersion", FieldText(info.driverVersion)},
                        {"driverDate", date},
                        {"firmwareVersion", FieldText(info.firmwareVersion)},
                        {"macAddress", FieldText(info.macAddress)},
                        {"regionCode", info.regionCode},
                        {"channels", ChannelsOfRegion(info.regionCode)}});
    return 0;
  }
  PrintRows(ctx.out, {{"Adapter", FieldText(info.description)},
                      {"Driver version", FieldText(info.driverVersion)},
                      {"Driver date", date.empty() ? "-" : date},
                      {"Firmware", FieldText(info.firmwareVersion)},
                      {"MAC address", FieldText(info.macAddress)},
                      {"Region", std::to_string(info.regionCode) + " (channels " +
                                     ChannelsOfRegion(info.regionCode) + ")"}});
  return 0;
}

int RunWepKeysCommand(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 1> specs = {{{"--128", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "wep-keys", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl wep-keys PASSPHRASE [--128] [--json]\n\n"
               "The WEP keys the utility makes from a passphrase, in hexadecimal: four 64-bit\n"
               "keys, or with --128 one 128-bit key that serves all four slots.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl wep-keys PASSPHRASE [--128]");
  const std::string& passphrase = parsed.positionals[0];
  if (passphrase.empty() || passphrase.size() > 32) {
    throw UsageError("a WEP passphrase has 1 to 32 characters");
  }
  const bool wide = parsed.Has("--128");
  const core::CVtrLibrary& lib = RequireLibrary();
  std::array<uint8_t, 64> bytes{};
  std::vector<std::string> keys;
  if (wide) {
    lib.Passphrase128(passphrase.c_str(), bytes.data());
    std::array<char, 27> text{};
    lib.HexToString(bytes.data(), 13, text.data(), 26, 0);
    keys.emplace_back(text.data());
  } else {
    lib.Passphrase64(passphrase.c_str(), bytes.data());
    for (std::size_t k = 0; k < 4; ++k) {
      std::array<char, 11> text{};
      lib.HexToString(bytes.data() + 16 * k, 5, text.data(), 10, 0);
      keys.emplace_back(text.data());
    }
  }
  if (ctx.json) {
    PrintJson(ctx.out, {{"bits", wide ? 128 : 64}, {"keys", keys}});
    return 0;
  }
  std::vector<std::pair<std::string, std::string>> rows;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    rows.emplace_back(wide ? "Key (all slots)" : "Key " + std::to_string(k + 1), keys[k]);
  }
  PrintRows(ctx.out, rows);
  return 0;
}

}  // namespace

int RunRadio(Context& ctx, std::span<const std::string> args) {
  return RunRadioCommand(ctx, args);
}
int RunRegion(Context& ctx, std::span<const std::string> args) {
  return RunRegionCommand(ctx, args);
}
int RunCaps(Context& ctx, std::span<const std::string> args) {
  return RunCapsCommand(ctx, args);
}
int RunDriver(Context& ctx, std::span<const std::string> args) {
  return RunDriverCommand(ctx, args);
}
int RunWepKeys(Context& ctx, std::span<const std::string> args) {
  return RunWepKeysCommand(ctx, args);
}

}  // namespace vtrctl
