// vtrctl reg: the machine's registry through the adapter library's registry exports, so that what
// is read and written here is exactly what the library and the utility see.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

#include "app/core/vtr_library.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {
namespace {

constexpr std::string_view kRegHelp =
    "usage: vtrctl reg <command> [options]\n"
    "\n"
    "commands:\n"
    "  get KEY NAME [--dword]           read a value (as text unless --dword)\n"
    "  set KEY NAME --TYPE VALUE        write a value, creating the key\n"
    "  enum KEY                         list the subkeys of KEY\n"
    "  delete KEY [NAME]                delete value NAME, or the key itself (no subkeys)\n"
    "\n"
    "KEY is ROOT\\path, ROOT one of HKLM, HKCU, HKCR, HKU or their full names\n"
    "(HKEY_LOCAL_MACHINE, ...); '/' may be written for '\\'. NAME '' is the default value.\n"
    "--wow64 asks for the 64-bit registry view where the library offers it.\n";

constexpr std::string_view kGetHelp =
    "usage: vtrctl reg get KEY NAME [--dword] [--wow64] [--json]\n"
    "\n"
    "Reads value NAME of KEY and shows it by its type: a string as text (control characters as\n"
    "\\xNN), each string of a multi-string on a line of its own, a DWORD as a number, binary and\n"
    "other data as hexadecimal bytes. --dword reads the value as a 32-bit number the way the\n"
    "library does. Fails when the key or the value cannot be read.\n";

constexpr std::string_view kSetHelp =
    "usage: vtrctl reg set KEY NAME (--string TEXT | --dword N | --word N | --byte N |\n"
    "                                --binary HEX | --multi TEXT...) [--wow64] [--json]\n"
    "\n"
    "Writes value NAME of KEY, creating missing keys. Numbers are decimal or 0x-hexadecimal;\n"
    "--word and --byte are stored as REG_DWORD. --binary takes hexadecimal bytes (\"01 a0 ff\",\n"
    "\"01:a0:ff\" or \"01a0ff\"). --multi may be repeated, one string each (REG_MULTI_SZ).\n"
    "Binary and multi-string values are written without the 64-bit view flag.\n";

constexpr std::string_view kEnumHelp =
    "usage: vtrctl reg enum KEY [--wow64] [--json]\n"
    "\n"
    "Lists the names of the subkeys of KEY in registry order. Fails when KEY cannot be opened.\n";

constexpr std::string_view kDeleteHelp =
    "usage: vtrctl reg delete KEY [NAME] [--wow64] [--json]\n"
    "\n"
    "With NAME deletes that value of KEY; without it deletes KEY, which must have no subkeys\n"
    "(keys are deleted without the 64-bit view flag).\n";

struct RegKeyPath {
  uint32_t root = 0;
  std::string rootName;  // the full name, e.g. HKEY_LOCAL_MACHINE
  std::string path;      // below the root, backslash-separated
  std::string Display() const { return path.empty() ? rootName : rootName + "\\" + path; }
};

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

RegKeyPath ParseKey(std::string_view text) {
  std::string normalized(text);
  std::replace(normalized.begin(), normalized.end(), '/', '\\');
  const std::size_t separator = normalized.find('\\');
  const std::string rootText = Upper(normalized.substr(0, separator));
  struct Root {
    std::string_view shortName;
    std::string_view fullName;
    uint32_t value;
  };
  static constexpr std::array<Root, 4> roots = {{
      {"HKLM", "HKEY_LOCAL_MACHINE", VTR_HKEY_LOCAL_MACHINE},
      {"HKCU", "HKEY_CURRENT_USER", VTR_HKEY_CURRENT_USER},
      {"HKCR", "HKEY_CLASSES_ROOT", VTR_HKEY_CLASSES_ROOT},
      {"HKU", "HKEY_USERS", VTR_HKEY_USERS},
  }};
  for (const Root& root : roots) {
    if (rootText != root.shortName && rootText != root.fullName) continue;
    RegKeyPath key{root.value, std::string(root.fullName), {}};
    if (separator != std::string::npos) {
      std::string path = normalized.substr(separator + 1);
      const std::size_t first = path.find_first_not_of('\\');
      const std::size_t last = path.find_last_not_of('\\');
      if (first != std::string::npos) key.path = path.substr(first, last - first + 1);
    }
    return key;
  }
  throw UsageError("unknown registry root '" + normalized.substr(0, separator) +
                   "' (use HKLM, HKCU, HKCR or HKU)");
}

nlohmann::json KeyJson(const RegKeyPath& key) {
  return {{"root", key.rootName}, {"key", key.path}};
}

std::vector<uint8_t> ParseHexBytes(std::string_view text) {
  std::vector<uint8_t> bytes;
  int pending = -1;
  for (char c : text) {
    if (c == ' ' || c == ',' || c == ':' || c == '-') {
      if (pending >= 0) throw UsageError("invalid binary data '" + std::string(text) + "'");
      continue;
    }
    const int digit = std::isxdigit(static_cast<unsigned char>(c))
                          ? (std::isdigit(static_cast<unsigned char>(c))
                                 ? c - '0'
                                 : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10)
                          : -1;
    if (digit < 0) throw UsageError("invalid binary data '" + std::string(text) + "'");
    if (pending < 0) {
      pending = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(pending * 16 + digit));
      pending = -1;
    }
  }
  if (pending >= 0) throw UsageError("invalid binary data '" + std::string(text) + "'");
  return bytes;
}

// A value as RegQueryValueEx gives it: the library's readers copy the bytes but keep the type to
// themselves, and the type decides how the bytes are shown.
struct StoredValue {
  uint32_t type = 0;
  std::string bytes;
};

StoredValue ReadValue(const RegKeyPath& key, const std::string& name, uint32_t wow64) {
  platform::RegistryPort& registry = platform::Current().Registry();
  platform::RegKey opened;
  const uint32_t access = platform::kKeyRead | (wow64 != 0 ? platform::kKeyWow64_64Key : 0);
  if (registry.OpenKey(key.root, key.path, access, opened) != 0) {
    throw Failure("cannot open key " + key.Display());
  }
  StoredValue value;
  uint32_t size = 0;
  long result = registry.QueryValue(opened, name, &value.type, nullptr, &size);
  if (result == 0) {
    value.bytes.resize(size);
    result = registry.QueryValue(opened, name, &value.type,
                                 reinterpret_cast<uint8_t*>(value.bytes.data()), &size);
    value.bytes.resize(size);
  }
  if (result != 0) throw Failure("cannot read value '" + name + "' of " + key.Display());
  return value;
}

std::string TypeName(uint32_t type) {
  switch (type) {
    case platform::kRegSz:
      return "string";
    case platform::kRegExpandSz:
      return "expand";
    case platform::kRegBinary:
      return "binary";
    case platform::kRegDword:
      return "dword";
    case platform::kRegMultiSz:
      return "multi";
    default:
      return "type " + std::to_string(type);
  }
}

// The texts of a multi-string, up to the empty text that ends it.
std::vector<std::string> MultiStrings(const std::string& bytes) {
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    if (end == start) break;
    texts.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

// Bytes as "01 a0 ff", the form reg set --binary takes.
std::string SpacedHex(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text += (i == 0 ? "" : " ") + HexText(std::string_view(bytes).substr(i, 1));
  }
  return text;
}

// The value for people, one row per line of it, and for programs, by its type: texts as text
// (every string of a multi-string), a DWORD as a number, everything else as hexadecimal.
void ShowValue(const StoredValue& value, std::vector<std::pair<std::string, std::string>>& rows,
               nlohmann::json& out) {
  const bool dword = value.type == platform::kRegDword && value.bytes.size() == 4;
  if (value.type == platform::kRegSz || value.type == platform::kRegExpandSz) {
    const std::string text = FieldText(value.bytes.data(), value.bytes.size());
    rows.emplace_back("Value", PrintableText(text));
    PutText(out, "value", text);
  } else if (value.type == platform::kRegMultiSz) {
    const std::vector<std::string> texts = MultiStrings(value.bytes);
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t i = 0; i < texts.size(); ++i) {
      rows.emplace_back(i == 0 ? "Value" : "", PrintableText(texts[i]));
      list.push_back(Utf8Text(texts[i]));
    }
    if (texts.empty()) rows.emplace_back("Value", "");
    out["value"] = list;
    if (!IsUtf8(value.bytes)) out["valueHex"] = HexText(value.bytes);
  } else if (dword) {
    uint32_t number = 0;
    std::memcpy(&number, value.bytes.data(), sizeof number);
    rows.emplace_back("Value", std::to_string(number));
    out["value"] = number;
  } else {
    rows.emplace_back("Value", SpacedHex(value.bytes));
    out["value"] = HexText(value.bytes);
  }
}

int RunGet(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 2> specs = {{{"--dword", false}, {"--wow64", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "reg get", ctx);
  if (parsed.help) {
    ctx.out << kGetHelp;
    return 0;
  }
  RequirePositionals(parsed, 2, 2, "vtrctl reg get KEY NAME [--dword]");
  const RegKeyPath key = ParseKey(parsed.positionals[0]);
  const std::string& name = parsed.positionals[1];
  const uint32_t wow64 = parsed.Has("--wow64") ? 1 : 0;
  const core::CVtrLibrary& lib = RequireLibrary();

  nlohmann::json out = KeyJson(key);
  PutText(out, "name", name);
  std::vector<std::pair<std::string, std::string>> rows = {{"Key", PrintableText(key.Display())},
                                                           {"Name", PrintableText(name)}};
  if (parsed.Has("--dword")) {
    // The readers leave the output alone when the key cannot be opened and store the default
    // when the value cannot be read; distinct sentinels tell the two apart.
    constexpr uint32_t kUntouched = 0xA5A5A5A5u;
    constexpr uint32_t kDefault = 0x5A5A5A5Au;
    uint32_t result = kUntouched;
    if (!lib.GetRegistryDWORD(key.path.c_str(), name.c_str(), &result, kDefault, key.root, wow64)) {
      throw Failure(result == kUntouched ? "cannot open key " + key.Display()
                                         : "cannot read value '" + name + "' of " + key.Display());
    }
    rows.emplace_back("Type", "dword");
    rows.emplace_back("Value", std::to_string(result));
    out["type"] = "dword";
    out["value"] = result;
  } else {
    const StoredValue value = ReadValue(key, name, wow64);
    rows.emplace_back("Type", TypeName(value.type));
    out["type"] = TypeName(value.type);
    ShowValue(value, rows, out);
  }
  if (ctx.json) {
    PrintJson(ctx.out, out);
  } else {
    PrintRows(ctx.out, rows);
  }
  return 0;
}

int RunSet(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 7> specs = {{{"--string", true},
                                                {"--dword", true},
                                                {"--word", true},
                                                {"--byte", true},
                                                {"--binary", true},
                                                {"--multi", true},
                                                {"--wow64", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "reg set", ctx);
  if (parsed.help) {
    ctx.out << kSetHelp;
    return 0;
  }
  RequirePositionals(parsed, 2, 2, "vtrctl reg set KEY NAME --TYPE VALUE");
  const RegKeyPath key = ParseKey(parsed.positionals[0]);
  const std::string& name = parsed.positionals[1];
  const uint32_t wow64 = parsed.Has("--wow64") ? 1 : 0;

  std::string type;
  for (std::string_view option :
       {"--string", "--dword", "--word", "--byte", "--binary", "--multi"}) {
    if (!parsed.Has(option)) continue;
    if (!type.empty()) throw UsageError("give exactly one value type (--string, --dword, ...)");
    if (option != "--multi" && parsed.options.at(std::string(option)).size() > 1) {
      throw UsageError("option " + std::string(option) + " given more than once");
    }
    type = option.substr(2);
  }
  if (type.empty())
    throw UsageError(
        "missing value: give --string, --dword, --word, --byte, "
        "--binary or --multi");

  // Validate everything before the machine is touched: a bad value changes nothing.
  uint32_t number = 0;
  std::vector<uint8_t> bytes;
  std::string multi;
  nlohmann::json value;
  if (type == "dword" || type == "word" || type == "byte") {
    const uint32_t max = type == "dword" ? 0xFFFFFFFFu : type == "word" ? 0xFFFFu : 0xFFu;
    number = ParseNumber(parsed.Value("--" + type), max, type);
    value = number;
  } else if (type == "binary") {
    bytes = ParseHexBytes(parsed.Value("--binary"));
    value = HexText(std::string(bytes.begin(), bytes.end()));
  } else if (type == "multi") {
    value = nlohmann::json::array();
    for (const std::string& item : parsed.options.at("--multi")) {
      multi += item;
      multi += '\0';
      value.push_back(item);
    }
    multi += '\0';
  } else {
    value = parsed.Value("--string");
  }

  const core::CVtrLibrary& lib = RequireLibrary();
  const char* k = key.path.c_str();
  const char* n = name.c_str();
  bool written = false;
  if (type == "string") {
    written = lib.SetRegistryString(k, n, parsed.Value("--string").c_str(), key.root, wow64);
  } else if (type == "dword") {
    written = lib.SetRegistryDWORD(k, n, number, key.root, wow64);
  } else if (type == "word") {
    written = lib.SetRegistryWORD(k, n, static_cast<uint16_t>(number), key.root, wow64);
  } else if (type == "byte") {
    written = lib.SetRegistryBYTE(k, n, static_cast<uint8_t>(number), key.root, wow64);
  } else if (type == "binary") {
    written = lib.SetRegistryBinary(k, n, bytes.data(), static_cast<uint32_t>(bytes.size()),
                                    key.root, wow64);
  } else {
    written = lib.SetRegistryMultiStr(k, n, multi.data(), static_cast<uint32_t>(multi.size()),
                                      key.root, wow64);
  }
  if (!written) throw Failure("cannot write value '" + name + "' of " + key.Display());

  if (ctx.json) {
    nlohmann::json out = KeyJson(key);
    out["name"] = name;
    out["type"] = type;
    out["value"] = value;
    PrintJson(ctx.out, out);
  } else {
    ctx.out << "wrote " << type << " value '" << name << "' of " << key.Display() << '\n';
  }
  return 0;
}

int RunEnum(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 1> specs = {{{"--wow64", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "reg enum", ctx);
  if (parsed.help) {
    ctx.out << kEnumHelp;
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl reg enum KEY");
  const RegKeyPath key = ParseKey(parsed.positionals[0]);
  const uint32_t wow64 = parsed.Has("--wow64") ? 1 : 0;
  const core::CVtrLibrary& lib = RequireLibrary();

  std::vector<std::string> subkeys;
  for (uint32_t index = 0;; ++index) {
    std::array<char, 512> buffer{};
    buffer[0] = '\x01';
    if (!lib.GetRegEnumerator(key.path.c_str(), index, buffer.data(),
                              static_cast<uint32_t>(buffer.size() - 1), "", key.root, wow64)) {
      // Past the last subkey the default is copied in; an unopened key leaves the buffer alone.
      if (index == 0 && buffer[0] == '\x01') throw Failure("cannot open key " + key.Display());
      break;
    }
    subkeys.push_back(FieldText(buffer.data(), buffer.size()));
  }
  if (ctx.json) {
    nlohmann::json out = KeyJson(key);
    out["subkeys"] = subkeys;
    PrintJson(ctx.out, out);
  } else {
    for (const std::string& subkey : subkeys) ctx.out << PrintableText(subkey) << '\n';
  }
  return 0;
}

int RunDelete(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 1> specs = {{{"--wow64", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "reg delete", ctx);
  if (parsed.help) {
    ctx.out << kDeleteHelp;
    return 0;
  }
  RequirePositionals(parsed, 1, 2, "vtrctl reg delete KEY [NAME]");
  const RegKeyPath key = ParseKey(parsed.positionals[0]);
  const uint32_t wow64 = parsed.Has("--wow64") ? 1 : 0;
  const bool deletesValue = parsed.positionals.size() == 2;
  // Deleting a whole root would be a disaster on a real machine; refuse it here too.
  if (!deletesValue && key.path.empty()) throw UsageError("refusing to delete a registry root");
  const core::CVtrLibrary& lib = RequireLibrary();

  nlohmann::json out = KeyJson(key);
  if (deletesValue) {
    const std::string& name = parsed.positionals[1];
    if (!lib.DeleteRegistryValue(key.path.c_str(), name.c_str(), key.root, wow64)) {
      throw Failure("cannot delete value '" + name + "' of " + key.Display());
    }
    out["name"] = name;
    if (!ctx.json) ctx.out << "deleted value '" << name << "' of " << key.Display() << '\n';
  } else {
    if (!lib.DeleteRegistry(key.path.c_str(), key.root, wow64)) {
      throw Failure("cannot delete key " + key.Display() + " (missing, or it has subkeys)");
    }
    if (!ctx.json) ctx.out << "deleted key " << key.Display() << '\n';
  }
  if (ctx.json) {
    out["deleted"] = true;
    PrintJson(ctx.out, out);
  }
  return 0;
}

}  // namespace

int RunReg(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 4> subcommands = {
      {{"get", RunGet}, {"set", RunSet}, {"enum", RunEnum}, {"delete", RunDelete}}};
  return Dispatch(ctx, args, "reg", kRegHelp, subcommands);
}

}  // namespace vtrctl
