#include "tools/vtrctl/cli.h"

#include <algorithm>
#include <charconv>

#include "app/core/vtr_library.h"
#include "sim/machine.h"

namespace vtrctl {

const std::string& ParsedArgs::Value(std::string_view option) const {
  auto it = options.find(option);
  if (it == options.end() || it->second.empty()) {
    throw UsageError("missing option " + std::string(option));
  }
  return it->second.back();
}

ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionSpec> specs,
                     std::string_view command, Context& ctx) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    if (arg == "--json") {
      ctx.json = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);
    auto spec = std::find_if(specs.begin(), specs.end(),
                             [&](const OptionSpec& s) { return s.name == name; });
    if (spec == specs.end()) {
      throw UsageError("unknown option '" + std::string(name) + "' for '" + std::string(command) +
                       "' (see vtrctl " + std::string(command) + " --help)");
    }
    std::string value;
    if (spec->takesValue) {
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw UsageError("option " + std::string(name) + " needs a value");
      }
    } else if (equals != std::string::npos) {
      throw UsageError("option " + std::string(name) + " takes no value");
    }
    parsed.options[std::string(name)].push_back(std::move(value));
  }
  return parsed;
}

void RequirePositionals(const ParsedArgs& parsed, std::size_t min, std::size_t max,
                        std::string_view usage) {
  const std::size_t count = parsed.positionals.size();
  if (count < min) throw UsageError("missing arguments; usage: " + std::string(usage));
  if (count > max) {
    throw UsageError("unexpected argument '" + parsed.positionals[max] +
                     "'; usage: " + std::string(usage));
  }
}

void PrintRows(std::ostream& out, const std::vector<std::pair<std::string, std::string>>& rows) {
  std::size_t width = 0;
  for (const auto& row : rows) width = std::max(width, row.first.size());
  for (const auto& [label, value] : rows) {
    out << label << std::string(width - label.size() + 2, ' ') << value << '\n';
  }
}

// A text that is not UTF-8 never makes the output fail: its bad bytes go out as U+FFFD (the
// commands carry the exact bytes of such texts in fields of their own).
void PrintJson(std::ostream& out, const nlohmann::json& value) {
  out << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void PrintJsonLine(std::ostream& out, const nlohmann::json& value) {
  out << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n' << std::flush;
}

std::string FieldText(const char* field, std::size_t size) {
  const auto* end = std::find(field, field + size, '\0');
  return std::string(field, end);
}

uint32_t ParseNumber(std::string_view text, uint32_t max, std::string_view what) {
  int base = 10;
  std::string_view digits = text;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    base = 16;
    digits.remove_prefix(2);
  }
  uint64_t value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      value > max) {
    throw UsageError("invalid " + std::string(what) + " '" + std::string(text) + "' (0 to " +
                     std::to_string(max) + ")");
  }
  return static_cast<uint32_t>(value);
}

int Dispatch(Context& ctx, std::span<const std::string> args, std::string_view group,
             std::string_view help, std::span<const Subcommand> subcommands) {
  const std::string see = " (see vtrctl " + std::string(group) + " --help)";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json") {
      ctx.json = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      ctx.out << help;
      return 0;
    }
    if (arg.starts_with("-")) {
      throw UsageError("unknown option '" + arg + "' for '" + std::string(group) + "'" + see);
    }
    for (const Subcommand& sub : subcommands) {
      if (sub.name == arg) return sub.run(ctx, args.subspan(i + 1));
    }
    throw UsageError(std::string(group) + ": unknown command '" + arg + "'" + see);
  }
  throw UsageError(std::string(group) + ": missing command" + see);
}

const core::CVtrLibrary& RequireLibrary() {
  // The machine comes first: the library reaches it from its first call on, and a machine that
  // cannot be used must be reported as such, not as some export failing later.
  if (auto why = sim::PrepareSelectedMachine()) throw Failure(*why);
  const core::CVtrLibrary& lib = core::VtrLibrary();
  // The utility's own wording, so that both programs report a missing library alike.
  if (!lib.IsLoaded()) throw Failure("Load Vantrel Library error or version is too old !!");
  return lib;
}

}  // namespace vtrctl
