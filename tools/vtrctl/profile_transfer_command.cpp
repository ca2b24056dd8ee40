// vtrctl profile import and export, through the library's VTR_ImportProfile and
// VTR_ExportProfile. The library copies and merges as the utility does; vtrctl checks first what
// the library takes on trust (what the file holds, whether its profiles fit, what the export would
// replace) and reads the result back.
#include "tools/vtrctl/profile_transfer_command.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/profile_store_calls.h"

namespace vtrctl {
namespace {

using State = ProfileFileReading::State;

constexpr const char* kWorkingProfile = "<Default>";

// The host file a path names, as the library maps it ("C:\..." lands in the machine's drive_c).
std::filesystem::path HostFile(const std::string& path) {
  return platform::Current().Files().HostPath(path).value_or(std::filesystem::path(path));
}

// The same file: the same path without regard to case, as the library compares the store's, or
// one file reached by two names.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  const auto normal = [&](const std::filesystem::path& path) {
    return std::filesystem::absolute(path, error).lexically_normal().string();
  };
  return strcasecmp(normal(a).c_str(), normal(b).c_str()) == 0;
}

// How many profiles the merge adds: names the store does not hold, each once, the file's own
// "<Default>" left out. Into a store without profiles the file is copied whole.
std::size_t NewProfiles(const std::vector<ProfileRecord>& stored,
                        const std::vector<ProfileRecord>& incoming) {
  if (stored.empty()) return incoming.size();
  std::set<std::string> names;
  for (const auto& record : stored) names.insert(FieldText(record.profileName));
  std::size_t added = 0;
  for (const auto& record : incoming) {
    const std::string name = FieldText(record.profileName);
    if (name != kWorkingProfile && names.insert(name).second) ++added;
  }
  return added;
}

// What a file that is no regular file is, for the one line that refuses it.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISLNK(mode)) return "a symbolic link (name the file it points to)";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// Export puts a new file in place of the target: only a regular file of the user's, or a new
// name, may be replaced so.
void RefuseTarget(const std::filesystem::path& target, const std::string& shown) {
  const auto own = ProfileStoreOwnFiles();
  if (SameFile(target, own.front())) {
    throw Failure("cannot export: " + shown + " is the profile store itself");
  }
  for (const auto& file : own) {
    if (SameFile(target, file)) {
      throw Failure("cannot export to " + shown + ": it is one of the profile store's own files");
    }
  }
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    throw Failure("cannot export to " + shown + ": it is " + KindOf(st.st_mode) +
                  "; export writes a regular file or a new one");
  }
}

// A folder of this process's own, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vtrctl-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw Failure("cannot make a temporary folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The store's bytes on standard output: exported into a folder only this user can enter, then
// copied out.
void ExportToStandardOutput(Context& ctx, const core::CVtrLibrary& lib) {
  const ScratchFolder scratch;
  const std::filesystem::path copy = scratch.Path() / "Profile.cfg";
  if (!RetryWhileBusy([&] { return lib.ExportProfile(copy.c_str()) != 0; })) {
    FailChange("export the store");
  }
  std::ifstream in(copy, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  ctx.out << bytes.str() << std::flush;
}

}  // namespace

int RunProfileImport(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile import", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile import FILE [--json]\n\n"
               "Merges an exported file: a profile of a stored name replaces it, a new one is\n"
               "added (not as the default); the file's \"<Default>\" profile is skipped. Into a\n"
               "store that does not exist yet or holds no profile the file is copied whole.\n"
               "A damaged file, or one whose new profiles would not fit in the 128 the lists\n"
               "show, is refused, and the store stays as it was.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile import FILE");
  const std::string& file = parsed.positionals[0];
  const core::CVtrLibrary& lib = RequireLibrary();
  const std::filesystem::path source = HostFile(file);
  if (SameFile(source, ProfileStoreFile())) {
    throw Failure("cannot import: " + file + " is the profile store itself");
  }
  const ProfileFileReading incoming = ReadProfileFile(source);
  if (incoming.state == State::kAbsent) throw Failure("cannot import " + file + ": no such file");
  if (incoming.state != State::kReadable) throw Failure("cannot import: " + Problem(incoming));
  if (incoming.profiles.empty()) throw Failure("cannot import " + file + ": it holds no profiles");

  const std::string doing = "import " + file;
  const ProfileFileReading store = StoreForChange(doing);
  const std::size_t added = NewProfiles(store.profiles, incoming.profiles);
  const std::size_t total = store.profiles.size() + added;
  if (total > static_cast<std::size_t>(kProfileListCapacity)) {
    throw Failure("cannot " + doing + ": " + std::to_string(total - kProfileListCapacity) +
                  " of its " + std::to_string(added) +
                  " new profiles would not fit (the store holds " +
                  std::to_string(store.profiles.size()) + " of the " +
                  std::to_string(kProfileListCapacity) + " profiles the lists show)");
  }
  // The library imports only into a store that exists; a first import makes it.
  if (store.state == State::kAbsent && !RetryWhileBusy(CreateEmptyStore)) FailChange(doing);
  // Read every profile of both files, so that the merge drops none of them.
  const auto most = static_cast<int32_t>(
      std::max<std::size_t>({static_cast<std::size_t>(kProfileListCapacity), store.profiles.size(),
                             incoming.profiles.size()}));
  constexpr int32_t kImported = 0, kFailed = 3;
  int32_t result = kFailed;
  RetryWhileBusy([&] {
    result = lib.ImportProfile(file.c_str(), most);
    return result != kFailed;
  });
  if (result != kImported) FailChange(doing);

  const std::string done = "imported " + file + ": " + std::to_string(total) + " profiles (" +
                           std::to_string(added) + " new)";
  const CheckedList after = ReadCheckedList(lib);
  RequireSeen(after.store.state == State::kReadable && after.profiles.size() == total, done);
  PrintDone(ctx, done, {{"profiles", total}, {"added", added}});
  return 0;
}

int RunProfileExport(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "profile export", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl profile export FILE [--json]\n\n"
               "Writes the whole store to FILE, readable by you only: a new file, or a regular\n"
               "file it replaces. Folders, devices, FIFOs, links and the store's own files are\n"
               "refused. FILE - writes the store to standard output.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl profile export FILE");
  const std::string& file = parsed.positionals[0];
  const bool toOutput = file == "-";
  if (toOutput && ctx.json) {
    throw UsageError("export - writes the store itself to standard output; leave out --json");
  }
  const core::CVtrLibrary& lib = RequireLibrary();
  const std::filesystem::path target = HostFile(file);
  if (!toOutput) RefuseTarget(target, file);
  const ProfileFileReading store = ReadProfileStore();
  if (store.state == State::kAbsent) {
    throw Failure("cannot export: there is no profile store in " + ProfileStoreFolder().string() +
                  " yet");
  }
  if (store.state == State::kBusy || store.state == State::kUnreadable) {
    throw Failure("cannot export: " + Problem(store));
  }
  if (toOutput) {
    ExportToStandardOutput(ctx, lib);
    return 0;
  }
  if (!RetryWhileBusy([&] { return lib.ExportProfile(file.c_str()) != 0; })) {
    FailChange("export to " + file);
  }
  const std::string done =
      "exported " + std::to_string(store.profiles.size()) + " profiles to " + file;
  const ProfileFileReading copy = ReadProfileFile(target);
  RequireSeen(copy.state == store.state && copy.profiles.size() == store.profiles.size(), done);
  // A damaged store is copied as it is: the copy keeps everything the store still holds.
  PrintDone(ctx,
            store.state == State::kDamaged
                ? done + "; the store is damaged, and the copy holds it as it is"
                : done,
            {{"file", file}, {"profiles", store.profiles.size()}});
  return 0;
}

}  // namespace vtrctl
