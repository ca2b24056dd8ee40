// The layer every vtrctl subcommand shares: failures, argument parsing, and output for people
// (aligned tables) or programs (JSON).
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace core {
class CVtrLibrary;
}

namespace vtrctl {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A failure the user sees as the one line "vtrctl: <message>" on stderr.
class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message, int exitCode = kExitFailure)
      : std::runtime_error(message), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// The command line was wrong rather than the machine.
class UsageError : public Failure {
 public:
  explicit UsageError(const std::string& message) : Failure(message, kExitUsage) {}
};

struct Context {
  std::ostream& out;
  bool json = false;
};

struct OptionSpec {
  std::string_view name;  // with the leading "--"
  bool takesValue = false;
};

struct ParsedArgs {
  std::vector<std::string> positionals;
  // Every occurrence of each option, in order; flags get an empty value per occurrence.
  std::map<std::string, std::vector<std::string>, std::less<>> options;
  bool help = false;

  bool Has(std::string_view option) const { return options.find(option) != options.end(); }
  // The option's last value; throws a usage error when it is absent.
  const std::string& Value(std::string_view option) const;
};

// Splits args into positionals and the options of specs. "--json" and "--help"/"-h" are
// understood at every level ("--json" switches ctx to JSON output); "--opt=value" and
// "--opt value" are both accepted; "--" ends the options. An unknown option is a usage error
// naming command.
ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionSpec> specs,
                     std::string_view command, Context& ctx);

// Throws a usage error unless there are between min and max positionals.
void RequirePositionals(const ParsedArgs& parsed, std::size_t min, std::size_t max,
                        std::string_view usage);

// A two-column table for people: labels padded to one width.
void PrintRows(std::ostream& out, const std::vector<std::pair<std::string, std::string>>& rows);
// One pretty-printed JSON document; PrintJsonLine prints one on a single line and flushes it, for
// output that is a stream of documents.
void PrintJson(std::ostream& out, const nlohmann::json& value);
void PrintJsonLine(std::ostream& out, const nlohmann::json& value);

// The text of a fixed-size character field, up to its NUL or its end.
std::string FieldText(const char* field, std::size_t size);
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

// Decimal or 0x-prefixed hexadecimal, no larger than max.
uint32_t ParseNumber(std::string_view text, uint32_t max, std::string_view what);

struct Subcommand {
  std::string_view name;
  int (*run)(Context& ctx, std::span<const std::string> args);
};

// Runs the subcommand of group that args names, after any leading "--json"; "--help" before it
// prints help. An absent or unknown subcommand is a usage error.
int Dispatch(Context& ctx, std::span<const std::string> args, std::string_view group,
             std::string_view help, std::span<const Subcommand> subcommands);

// The adapter library, once the selected machine is ready; fails with the reason otherwise.
const core::CVtrLibrary& RequireLibrary();

}  // namespace vtrctl
