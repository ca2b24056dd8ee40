// vtrctl profile: the profile store through the adapter library, as the utility keeps it.
// Results speak of profiles and the store, never of the library's result codes.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/core/vtr_library.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/profile_command_fields.h"

namespace vtrctl {
namespace {

// The utility's lists hold 128 profiles; so does every list read here.
constexpr int32_t kCapacity = 128;

constexpr std::string_view kProfileHelp =
    "usage: vtrctl profile <command> [options]\n"
    "\n"
    "commands:\n"
    "  list                      the stored profiles, the default marked\n"
    "  show NAME [--show-secrets]  every field of one profile (keys masked)\n"
    "  add --name NAME --ssid SSID [fields]   store a new profile\n"
    "  edit NAME [fields]        change fields of a stored profile (--name renames it)\n"
    "  delete NAME               remove a profile\n"
    "  default NAME              make NAME the profile joined automatically\n"
    "  import FILE               merge the profiles of an exported file into the store\n"
    "  export FILE               write every profile to FILE\n"
    "\n"
    "The store is Profile.dll beside the program (RADIODESK_PROFILE_DIR names another folder).\n"
    "See 'vtrctl profile add --help' for the fields.\n";

std::string Quoted(const std::string& name) {
  return "profile \"" + name + "\"";
}

std::filesystem::path StoreFolder() {
  const char* overridden = std::getenv("RADIODESK_PROFILE_DIR");
  if (overridden != nullptr && overridden[0] != '\0') return overridden;
  // The library sits beside this program, and its store beside the library.
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

// Why the store refused a change, told from what can be seen of it: another program holding
// it, a store that is not there or is damaged, or a folder that cannot be written.
[[noreturn]] void FailWithStoreState(const std::string& doing) {
  const auto folder = StoreFolder();
  const auto store = folder / "Profile.dll";
  const int fd = ::open((folder / "Profile.dll.lock").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    if (held) throw Failure("cannot " + doing + ": the store is in use by another program");
  }
  std::error_code error;
  if (!std::filesystem::exists(store, error)) {
    throw Failure("cannot " + doing + ": there is no profile store in " + folder.string());
  }
  std::ifstream in(store, std::ios::binary);
  char header[32] = {};
  in.read(header, sizeof(header));
  if (in.gcount() < 32 || std::memcmp(header, "VLPF", 4) != 0 ||
      std::strncmp(header + 8, "Vantrel Library Profile", 24) != 0) {
    throw Failure("cannot " + doing + ": the profile store " + store.string() +
                  " is damaged (export what 'profile list' shows and import it into a new store)");
  }
  throw Failure("cannot " + doing + ": the profile store in " + folder.string() +
                " could not be written (is the folder writable, the disk full?)");
}

std::vector<ProfileRecord> ReadList(const core::CVtrLibrary& lib) {
  std::vector<ProfileRecord> list(kCapacity);
  const int32_t count = lib.ReadProfileList(kCapacity, list.data());
  list.resize(static_cast<std::size_t>(count < 0 ? 0 : count));
  return list;
}

ProfileRecord ReadOne(const core::CVtrLibrary& lib, const std::string& name) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof(record));
  if (!lib.ReadSingleProfile(name.c_str(), &record)) {
    const int fd = ::open((StoreFolder() / "Profile.dll.lock").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
      ::close(fd);
      if (held)
        throw Failure("cannot read " + Quoted(name) + ": the store is in use by another program");
    }
    throw Failure("no " + Quoted(name));
  }
  return record;
}

void Done(Context& ctx, const std::string& message, nlohmann::json json) {
  if (ctx.json) {
    json["result"] = message;
    PrintJson(ctx.out, json);
  } else {
    ctx.out << message << '\n';
  }
}

int RunList(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile list", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile list [--json]\n\nThe stored profiles in store order.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl profile list");
  const auto list = ReadList(RequireLibrary());
  if (ctx.json) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& record : list) {
      out.push_back({{"name", ProfileName(record)},
                     {"ssid", FieldText(record.ssid)},
                     {"default", record.isDefault == 1},
                     {"networkType", record.networkType == 0 ? "adhoc" : "infrastructure"},
                     {"security", SecurityText(record)}});
    }
    PrintJson(ctx.out, out);
    return 0;
  }
  if (list.empty()) {
    ctx.out << "no profiles\n";
    return 0;
  }
  std::size_t width = 4;
  for (const auto& record : list) width = std::max(width, ProfileName(record).size());
  ctx.out << "  "
          << "NAME" << std::string(width - 4 + 2, ' ') << "SSID / SECURITY\n";
  for (const auto& record : list) {
    const std::string name = ProfileName(record);
    ctx.out << (record.isDefault == 1 ? "* " : "  ") << name
            << std::string(width - name.size() + 2, ' ') << FieldText(record.ssid) << "  "
            << SecurityText(record) << (record.networkType == 0 ? "  ad hoc" : "") << '\n';
  }
  return 0;
}

int RunShow(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 1> specs = {{{"--show-secrets", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "profile show", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile show NAME [--show-secrets] [--json]\n\n"
               "Every field of one profile; keys and passwords show as ******** unless\n"
               "--show-secrets is given.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile show NAME");
  const ProfileRecord record = ReadOne(RequireLibrary(), parsed.positionals[0]);
  const bool secrets = parsed.Has("--show-secrets");
  if (ctx.json) {
    PrintJson(ctx.out, ProfileJson(record, secrets));
  } else {
    PrintRows(ctx.out, ProfileRows(record, secrets));
  }
  return 0;
}

int RunAdd(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, ProfileFieldOptions(), "profile add", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile add --name NAME --ssid SSID [fields] [--json]\n\n"
            << kProfileFieldHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl profile add --name NAME --ssid SSID [fields]");
  const core::CVtrLibrary& lib = RequireLibrary();
  ProfileRecord record;
  std::memset(&record, 0, sizeof(record));
  lib.InitialProfile(&record);
  ApplyProfileFields(parsed, lib, record);
  CheckProfile(record);
  const std::string name = ProfileName(record);
  switch (lib.AddProfile(kCapacity, name.c_str(), &record)) {
    case 0:
      Done(ctx, "added " + Quoted(name), {{"name", name}});
      return 0;
    case 1:
      throw Failure(Quoted(name) + " exists");
    case 4:
      throw Failure("the store is full: it holds " + std::to_string(kCapacity) + " profiles");
    default:
      FailWithStoreState("add " + Quoted(name));
  }
}

int RunEdit(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, ProfileFieldOptions(), "profile edit", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile edit NAME [fields] [--json]\n\n"
               "Changes the fields given and keeps the others; --name renames the profile.\n\n"
            << kProfileFieldHelp;
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile edit NAME [fields]");
  const std::string& name = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  ProfileRecord record = ReadOne(lib, name);
  ApplyProfileFields(parsed, lib, record);
  CheckProfile(record);
  const std::string newName = ProfileName(record);
  if (newName != name) {
    ProfileRecord other;
    if (lib.ReadSingleProfile(newName.c_str(), &other)) throw Failure(Quoted(newName) + " exists");
  }
  if (!lib.WriteSingleProfile(name.c_str(), &record)) FailWithStoreState("change " + Quoted(name));
  Done(ctx,
       newName == name ? "changed " + Quoted(name)
                       : "changed " + Quoted(name) + ", now named \"" + newName + "\"",
       {{"name", newName}});
  return 0;
}

int RunDelete(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile delete", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile delete NAME [--json]\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile delete NAME");
  const std::string& name = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  ReadOne(lib, name);
  if (!lib.DeleteProfile(name.c_str())) FailWithStoreState("delete " + Quoted(name));
  Done(ctx, "deleted " + Quoted(name), {{"name", name}});
  return 0;
}

int RunDefault(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile default", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile default NAME [--json]\n\n"
               "Makes NAME the one default profile, the one joined automatically.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile default NAME");
  const std::string& name = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  ReadOne(lib, name);
  auto list = ReadList(lib);
  if (!lib.SetDefaultProfile(static_cast<int32_t>(list.size()), name.c_str(), list.data())) {
    FailWithStoreState("make " + Quoted(name) + " the default");
  }
  Done(ctx, Quoted(name) + " is the default", {{"name", name}});
  return 0;
}

int RunImport(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile import", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile import FILE [--json]\n\n"
               "Merges an exported file: a profile of a stored name replaces it, a new one is\n"
               "added (not as the default); the file's \"<Default>\" profile is skipped.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile import FILE");
  const std::string& file = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  const std::size_t before = ReadList(lib).size();
  switch (lib.ImportProfile(file.c_str(), kCapacity)) {
    case 0: {
      const std::size_t after = ReadList(lib).size();
      Done(ctx,
           "imported " + file + ": " + std::to_string(after) + " profiles (" +
               std::to_string(after - std::min(after, before)) + " new)",
           {{"profiles", after}});
      return 0;
    }
    case 1: {
      std::error_code error;
      if (!std::filesystem::exists(StoreFolder() / "Profile.dll", error)) {
        throw Failure("cannot import: there is no profile store yet (add a profile first)");
      }
      throw Failure("cannot import " + file + ": it does not exist or holds no profiles");
    }
    default: {
      std::error_code error;
      if (std::filesystem::equivalent(file, StoreFolder() / "Profile.dll", error)) {
        throw Failure("cannot import: " + file + " is the profile store itself");
      }
      FailWithStoreState("import " + file);
    }
  }
}

int RunExport(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile export", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile export FILE [--json]\n\n"
               "Writes the whole store to FILE (readable by you only), replacing it.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile export FILE");
  const std::string& file = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  if (!lib.ExportProfile(file.c_str())) {
    std::error_code error;
    if (std::filesystem::equivalent(file, StoreFolder() / "Profile.dll", error)) {
      throw Failure("cannot export: " + file + " is the profile store itself");
    }
    FailWithStoreState("export to " + file);
  }
  Done(ctx, "exported " + std::to_string(ReadList(lib).size()) + " profiles to " + file,
       {{"file", file}});
  return 0;
}

}  // namespace

int RunProfile(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<Subcommand, 8> subcommands = {{{"list", RunList},
                                                      {"show", RunShow},
                                                      {"add", RunAdd},
                                                      {"edit", RunEdit},
                                                      {"delete", RunDelete},
                                                      {"default", RunDefault},
                                                      {"import", RunImport},
                                                      {"export", RunExport}}};
  return Dispatch(ctx, args, "profile", kProfileHelp, subcommands);
}

}  // namespace vtrctl
