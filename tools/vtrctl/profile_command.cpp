// vtrctl profile: the profile store through the adapter library, as the utility keeps it.
// Results speak of profiles and the store, never of the library's result codes.
#include <array>
#include <cstring>
#include <vector>

#include "app/core/vtr_library.h"
#include "tools/vtrctl/code_names.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/profile_command_fields.h"
#include "tools/vtrctl/profile_store_calls.h"
#include "tools/vtrctl/profile_transfer_command.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {
namespace {

constexpr const char* kWorkingProfile = "<Default>";

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

void PrintList(Context& ctx, const std::vector<ProfileRecord>& list) {
  if (ctx.json) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& record : list) {
      nlohmann::json item;
      PutText(item, "name", ProfileName(record));
      PutSsid(item, FieldText(record.ssid));
      item.update({{"default", record.isDefault == 1},
                   {"networkType", NetworkTypeName(record.networkType)},
                   {"security", SecurityText(record)}});
      out.push_back(std::move(item));
    }
    PrintJson(ctx.out, out);
    return;
  }
  if (list.empty()) {
    ctx.out << "no profiles\n";
    return;
  }
  std::size_t width = 4;
  for (const auto& record : list) {
    width = std::max(width, PrintableText(ProfileName(record)).size());
  }
  ctx.out << "  "
          << "NAME" << std::string(width - 4 + 2, ' ') << "SSID / SECURITY\n";
  for (const auto& record : list) {
    const std::string name = PrintableText(ProfileName(record));
    ctx.out << (record.isDefault == 1 ? "* " : "  ") << name
            << std::string(width - name.size() + 2, ' ') << PrintableText(FieldText(record.ssid))
            << "  " << SecurityText(record) << (record.networkType == 0 ? "  ad hoc" : "") << '\n';
  }
}

int RunList(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile list", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile list [--json]\n\n"
               "The stored profiles in store order. On a damaged store it lists the profiles\n"
               "before the damage and then fails, naming it.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl profile list");
  const CheckedList read = ReadCheckedList(RequireLibrary());
  const bool damaged = read.store.state == ProfileFileReading::State::kDamaged;
  if (!damaged || !read.profiles.empty()) PrintList(ctx, read.profiles);
  if (damaged) {
    ctx.out.flush();
    throw Failure(Problem(read.store));
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
  const ProfileRecord record = ReadProfileNamed(RequireLibrary(), parsed.positionals[0]);
  const bool secrets = parsed.Has("--show-secrets");
  if (ctx.json) {
    PrintJson(ctx.out, ProfileJson(record, secrets));
  } else {
    PrintRows(ctx.out, ProfileRows(record, secrets));
  }
  return 0;
}

bool SameRecord(const ProfileRecord& a, const ProfileRecord& b) {
  return std::memcmp(&a, &b, sizeof(ProfileRecord)) == 0;
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
  const std::string doing = "add " + QuotedProfile(name);
  StoreForChange(doing);
  constexpr int32_t kAdded = 0, kExists = 1, kFull = 4;
  int32_t result = kAdded;
  RetryWhileBusy([&] {
    result = lib.AddProfile(kProfileListCapacity, name.c_str(), &record);
    return result == kAdded || result == kExists || result == kFull;
  });
  if (result == kExists) throw Failure(QuotedProfile(name) + " exists");
  if (result == kFull) {
    throw Failure("cannot " + doing + ": the store is full (it holds " +
                  std::to_string(kProfileListCapacity) + " profiles)");
  }
  if (result != kAdded) FailChange(doing);
  ProfileRecord stored;
  RequireSeen(ReadBack(lib, name, stored), "added " + QuotedProfile(name));
  PrintDone(ctx, "added " + QuotedProfile(name), NameJson(name));
  return 0;
}

int RunEdit(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, ProfileFieldOptions(), "profile edit", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile edit NAME [fields] [--json]\n\n"
               "Changes the fields given and keeps the others; --name renames the profile.\n"
               "Keys and passwords of a security the profile no longer uses are cleared.\n\n"
            << kProfileFieldHelp;
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile edit NAME [fields]");
  const std::string& name = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  ProfileRecord record = ReadProfileNamed(lib, name);
  ApplyProfileFields(parsed, lib, record);
  CheckProfile(record);
  const std::string newName = ProfileName(record);
  ProfileRecord stored;
  if (newName != name && ReadBack(lib, newName, stored)) {
    throw Failure(QuotedProfile(newName) + " exists");
  }
  const std::string doing = "change " + QuotedProfile(name);
  StoreForChange(doing);
  if (!RetryWhileBusy([&] { return lib.WriteSingleProfile(name.c_str(), &record) != 0; })) {
    FailChange(doing);
  }
  const std::string done = newName == name ? "changed " + QuotedProfile(name)
                                           : "changed " + QuotedProfile(name) + ", now named \"" +
                                                 PrintableText(newName) + "\"";
  RequireSeen(ReadBack(lib, newName, stored) && SameRecord(stored, record) &&
                  (newName == name || !ReadBack(lib, name, stored)),
              done);
  PrintDone(ctx, done, NameJson(newName));
  return 0;
}

int RunDelete(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile delete", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile delete NAME [--json]\n\n"
               "Removes a profile; \"<Default>\", the utility's working profile, stays.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile delete NAME");
  const std::string& name = parsed.positionals[0];
  if (name == kWorkingProfile) {
    throw UsageError("\"<Default>\" is the utility's own working profile; it cannot be deleted");
  }
  const core::CVtrLibrary& lib = RequireLibrary();
  ReadProfileNamed(lib, name);
  const std::string doing = "delete " + QuotedProfile(name);
  StoreForChange(doing);
  if (!RetryWhileBusy([&] { return lib.DeleteProfile(name.c_str()) != 0; })) FailChange(doing);
  RequireSeen(StoreReadsWithout(name), "deleted " + QuotedProfile(name));
  PrintDone(ctx, "deleted " + QuotedProfile(name), NameJson(name));
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
  ReadProfileNamed(lib, name);
  const std::string doing = "make " + QuotedProfile(name) + " the default";
  StoreForChange(doing);
  if (!RetryWhileBusy([&] { return SetDefault(lib, name); })) FailChange(doing);
  ProfileRecord stored;
  RequireSeen(ReadBack(lib, name, stored) && stored.isDefault == 1,
              "made " + QuotedProfile(name) + " the default");
  PrintDone(ctx, QuotedProfile(name) + " is the default", NameJson(name));
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
                                                      {"import", RunProfileImport},
                                                      {"export", RunProfileExport}}};
  return Dispatch(ctx, args, "profile", kProfileHelp, subcommands);
}

}  // namespace vtrctl
