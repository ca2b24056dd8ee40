// vtrctl machine: create, check and locate simulated machine directories.
#include <array>

#include "sim/machine.h"
#include "sim/presets.h"
#include "tools/vtrctl/commands.h"

namespace vtrctl {
namespace {

constexpr std::string_view kMachineHelp =
    "usage: vtrctl machine <command> [options]\n"
    "\n"
    "commands:\n"
    "  init DIR [--preset NAME]  create a machine directory from a built-in description\n"
    "                            (default preset: xp)\n"
    "  check [DIR]               tell whether DIR (default: the selected machine) is usable\n"
    "  path                      print the selected machine directory\n"
    "  presets                   list the built-in descriptions\n"
    "\n"
    "The selected machine is --machine DIR, else $RADIODESK_MACHINE, else the default one.\n";

constexpr std::string_view kInitHelp =
    "usage: vtrctl machine init DIR [--preset NAME] [--json]\n"
    "\n"
    "Creates DIR (which must not exist or be empty) as a machine from the built-in description\n"
    "NAME (xp when not given). Changes nothing when it fails.\n";

constexpr std::string_view kCheckHelp =
    "usage: vtrctl machine check [DIR] [--json]\n"
    "\n"
    "Checks that DIR (default: the selected machine) has a valid description, a readable\n"
    "registry hive and is writable. Exits non-zero with the reason otherwise.\n";

constexpr std::string_view kPathHelp =
    "usage: vtrctl machine path [--json]\n"
    "\n"
    "Prints the directory of the selected machine (it need not exist yet).\n";

constexpr std::string_view kPresetsHelp =
    "usage: vtrctl machine presets [--json]\n"
    "\n"
    "Lists the built-in machine descriptions that machine init accepts.\n";

int RunInit(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 1> specs = {{{"--preset", true}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "machine init", ctx);
  if (parsed.help) {
    ctx.out << kInitHelp;
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl machine init DIR [--preset NAME]");
  const std::filesystem::path dir = parsed.positionals[0];
  const std::string preset = parsed.Has("--preset") ? parsed.Value("--preset") : "xp";
  if (auto why = sim::InitMachineDirectory(dir, preset)) throw Failure(*why);
  if (ctx.json) {
    PrintJson(ctx.out, {{"directory", dir.string()}, {"preset", preset}});
  } else {
    ctx.out << "created machine '" << preset << "' in " << dir.string() << '\n';
  }
  return 0;
}

int RunCheck(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "machine check", ctx);
  if (parsed.help) {
    ctx.out << kCheckHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 1, "vtrctl machine check [DIR]");
  const std::filesystem::path dir = parsed.positionals.empty()
                                        ? sim::SelectedMachineDirectory()
                                        : std::filesystem::path(parsed.positionals[0]);
  if (auto why = sim::CheckMachineDirectory(dir)) throw Failure(*why);
  if (ctx.json) {
    PrintJson(ctx.out, {{"directory", dir.string()}, {"usable", true}});
  } else {
    ctx.out << dir.string() << ": usable\n";
  }
  return 0;
}

int RunPath(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "machine path", ctx);
  if (parsed.help) {
    ctx.out << kPathHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl machine path");
  const std::string dir = sim::SelectedMachineDirectory().string();
  if (ctx.json) {
    PrintJson(ctx.out, {{"directory", dir}});
  } else {
    ctx.out << dir << '\n';
  }
  return 0;
}

int RunPresets(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "machine presets", ctx);
  if (parsed.help) {
    ctx.out << kPresetsHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl machine presets");
  nlohmann::json names = nlohmann::json::array();
  for (const sim::Preset& preset : sim::BuiltInPresets()) {
    names.push_back(std::string(preset.name));
    if (!ctx.json) ctx.out << preset.name << '\n';
  }
  if (ctx.json) PrintJson(ctx.out, {{"presets", names}});
  return 0;
}

}  // namespace

int RunMachine(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 4> subcommands = {
      {{"init", RunInit}, {"check", RunCheck}, {"path", RunPath}, {"presets", RunPresets}}};
  return Dispatch(ctx, args, "machine", kMachineHelp, subcommands);
}

}  // namespace vtrctl
