#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "sim/adapter_state_file.h"
#include "sim/machine.h"
#include "sim/machine_file.h"
#include "sim/machine_seed.h"
#include "sim/presets.h"
#include "sim/service_state.h"
#include "sim/sim_machine.h"
#include "sim/sim_registry.h"
#include "sim/wlan_profile_store.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

// Written beside its final name and renamed over it, so the file is whole or absent. The
// description holds the networks' keys and the logon password: only the owner reads it.
std::optional<std::string> WriteFileWhole(const fs::path& path, std::string_view text) {
  const fs::path temporary = path.string() + ".new";
  const int fd = OpenMachineFileForWriting(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return "cannot write " + temporary.string() + ": " + std::strerror(errno);
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    done += static_cast<size_t>(n);
  }
  const bool written = done == text.size() && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) < 0 || !written) {
    ::unlink(temporary.c_str());
    return "cannot write " + temporary.string() + ": " + std::strerror(error);
  }
  std::error_code failure;
  fs::rename(temporary, path, failure);
  if (failure) return "cannot write " + path.string() + ": " + failure.message();
  return std::nullopt;
}

// "machine.json.adapters[1].mac: ..." as "/m/machine.json: adapters[1].mac: ...".
std::string InDescriptionFile(const fs::path& file, const std::string& fault) {
  const std::string label = kDescriptionFile;
  if (fault.starts_with(label + ".")) return file.string() + ": " + fault.substr(label.size() + 1);
  if (fault.starts_with(label + ":")) return file.string() + fault.substr(label.size());
  return file.string() + ": " + fault;
}

std::variant<MachineDescription, std::string> LoadDescription(const fs::path& dir) {
  const fs::path file = dir / kDescriptionFile;
  std::string text;
  if (auto fault = ReadMachineFile(file, text)) return fault->Describe(file);
  auto parsed = ParseMachineDescription(text);
  if (auto* fault = std::get_if<std::string>(&parsed)) return InDescriptionFile(file, *fault);
  return parsed;
}

// A description others could read is made owner-only: it holds secrets.
void KeepDescriptionPrivate(const fs::path& dir) {
  const fs::path file = dir / kDescriptionFile;
  struct stat info {};
  if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) != 0 &&
      info.st_uid == ::geteuid()) {
    ::chmod(file.c_str(), info.st_mode & 0700);
  }
}

const Preset* FindPreset(std::string_view name) {
  for (const Preset& preset : BuiltInPresets()) {
    if (preset.name == name) return &preset;
  }
  return nullptr;
}

std::string PresetNames() {
  std::string names;
  for (const Preset& preset : BuiltInPresets()) {
    names += (names.empty() ? "" : ", ") + std::string(preset.name);
  }
  return names;
}

bool VirtualTimeRequested() {
  const char* value = std::getenv("RADIODESK_VIRTUAL_TIME");
  return value != nullptr && std::string_view(value) == "1";
}

// The machine of this process. Machines replaced by UseMachine stay alive, because a caller may
// still hold a port of the old one.
struct CurrentMachine {
  std::mutex mutex;
  SimMachine* machine = nullptr;
  std::vector<std::unique_ptr<SimMachine>> opened;
};

CurrentMachine& Current() {
  static CurrentMachine current;
  return current;
}

std::optional<std::string> OpenAsCurrent(const fs::path& dir) {
  if (auto error = CheckMachineDirectory(dir, MachineCheck::kOpening)) return error;
  // The directory a link leads to now is the machine, even if the link is changed later.
  std::error_code error;
  fs::path real = fs::canonical(dir, error);
  if (error) real = dir;
  auto loaded = LoadDescription(real);
  if (auto* message = std::get_if<std::string>(&loaded)) return *message;
  KeepDescriptionPrivate(real);
  auto& current = Current();
  current.opened.push_back(std::make_unique<SimMachine>(
      real, std::get<MachineDescription>(std::move(loaded)), VirtualTimeRequested()));
  current.machine = current.opened.back().get();
  return std::nullopt;
}

// The folder dir is to be made in; dir without a trailing separator.
fs::path Normalised(const fs::path& dir) {
  fs::path clean = dir.lexically_normal();
  if (!clean.has_filename()) clean = clean.parent_path();
  return clean;
}

bool IsEmptyDirectory(const fs::path& dir) {
  std::error_code error;
  return fs::is_directory(dir, error) && fs::is_empty(dir, error) && !error;
}

// Why no machine can be made at dir (a non-empty place, a missing folder), or nothing.
std::optional<std::string> CheckPlace(const fs::path& dir) {
  std::error_code error;
  if (fs::exists(fs::symlink_status(dir, error)) && !IsEmptyDirectory(dir)) {
    return dir.string() + " already exists and is not empty";
  }
  if (auto foreign = CheckMachineOwner(dir)) return foreign;
  fs::path parent = dir.parent_path();
  if (parent.empty()) parent = ".";
  if (!fs::is_directory(parent, error)) {
    return "cannot create " + dir.string() + ": the folder " + parent.string() +
           (fs::exists(parent, error) ? " is not a folder" : " does not exist (create it first)");
  }
  return std::nullopt;
}

// The machine is built whole in a new folder beside dir and renamed into place, so a process
// never sees half a machine, and of two processes making the same one, the second finds the
// place taken and can use the first one's.
std::optional<std::string> BuildMachine(const fs::path& dir, std::string_view description,
                                        const MachineDescription& machine,
                                        std::span<const PresetFile> certificateFiles) {
  fs::path parent = dir.parent_path();
  if (parent.empty()) parent = ".";
  // Appended piece by piece: GCC 12 at -O3 takes "." + std::string&& for an overlapping copy.
  std::string hidden = ".";
  hidden += dir.filename().string();
  hidden += ".new.XXXXXX";
  std::string pattern = (parent / hidden).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    return "cannot create " + dir.string() + ": " + std::strerror(errno);
  }
  const fs::path building = pattern;
  std::optional<std::string> failure = SeedMachine(building, machine);
  if (!failure) failure = WriteCertificateFiles(building, certificateFiles);
  if (!failure) failure = WriteFileWhole(building / kDescriptionFile, description);
  if (!failure && ::rename(building.c_str(), dir.c_str()) < 0) {
    failure = errno == ENOTEMPTY || errno == EEXIST
                  ? dir.string() + " already exists and is not empty"
                  : "cannot create " + dir.string() + ": " + std::strerror(errno);
  }
  std::error_code error;
  if (failure) fs::remove_all(building, error);
  // Messages name the machine's own place, not the folder it was built in.
  if (failure) {
    for (size_t at; (at = failure->find(building.string())) != std::string::npos;) {
      failure->replace(at, building.string().size(), dir.string());
    }
  }
  return failure;
}

std::optional<std::string> CreateMachine(const fs::path& place, std::string_view description,
                                         std::span<const PresetFile> certificateFiles) {
  auto parsed = ParseMachineDescription(description);
  if (auto* message = std::get_if<std::string>(&parsed)) return *message;
  const fs::path dir = Normalised(place);
  if (auto refused = CheckPlace(dir)) return refused;
  return BuildMachine(dir, description, std::get<MachineDescription>(parsed), certificateFiles);
}

// A state file that cannot be read as what it should hold, with the way out.
std::optional<std::string> CheckStateFiles(const fs::path& dir) {
  if (auto fault = CheckAdapterStateFile(dir / kAdapterStateFile)) {
    return *fault + "; `vtrctl sim reset` puts the adapter back as described";
  }
  if (auto fault = CheckHiveFile(dir / kServicesStateFile)) {
    return *fault + "; remove the file to put the services back as described";
  }
  if (auto fault = CheckWlanProfileFile(dir / kWlanProfilesFile)) {
    return *fault + "; remove the file to forget the WLAN service's stored profiles";
  }
  std::string text;
  const fs::path clock = dir / kVirtualTimeFile;
  if (auto fault = ReadMachineFile(clock, text);
      fault && fault->kind != MachineFileFault::Kind::kMissing) {
    return fault->Describe(clock) + "; remove it to start the machine's time over";
  }
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir / kCertificatesFolder, error)) {
    if (auto fault = ReadMachineFile(entry.path(), text)) {
      return fault->Describe(entry.path()) + "; put PEM certificates in its place";
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> InitMachineDirectory(const fs::path& dir, std::string_view preset) {
  const Preset* found = FindPreset(preset);
  if (found == nullptr) {
    return "unknown preset \"" + std::string(preset) + "\" (built in: " + PresetNames() + ")";
  }
  return InitMachineFromDescription(dir, found->description, found->certificateFiles);
}

std::optional<std::string> WriteCertificateFiles(const fs::path& dir,
                                                 std::span<const PresetFile> certificateFiles) {
  if (certificateFiles.empty()) return std::nullopt;
  const fs::path folder = dir / kCertificatesFolder;
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return "cannot create " + folder.string() + ": " + error.message();
  for (const PresetFile& file : certificateFiles) {
    if (auto failure = WriteFileWhole(folder / file.name, file.text)) return failure;
  }
  return std::nullopt;
}

std::optional<std::string> InitMachineFromDescription(
    const fs::path& dir, std::string_view description,
    std::span<const PresetFile> certificateFiles) {
  return CreateMachine(dir, description, certificateFiles);
}

std::string_view PresetDescription(std::string_view preset) {
  const Preset* found = FindPreset(preset);
  return found != nullptr ? found->description : std::string_view();
}

std::span<const PresetFile> PresetCertificateFiles(std::string_view preset) {
  const Preset* found = FindPreset(preset);
  return found != nullptr ? std::span<const PresetFile>(found->certificateFiles)
                          : std::span<const PresetFile>();
}

std::optional<std::string> CheckMachineDirectory(const fs::path& dir, MachineCheck scope) {
  std::error_code error;
  if (!fs::is_directory(dir, error)) return dir.string() + " is not a machine directory";
  if (auto foreign = CheckMachineOwner(dir)) return foreign;
  auto loaded = LoadDescription(dir);
  if (auto* message = std::get_if<std::string>(&loaded)) return *message;
  // Every machine is made with its adapters' keys in the hive: without it no adapter is found,
  // which would be the wrong story to tell.
  if (!fs::exists(fs::symlink_status(dir / kHiveFile, error))) {
    return (dir / kHiveFile).string() +
           " does not exist: the machine has lost its registry (`vtrctl machine init` makes a "
           "new machine)";
  }
  if (auto message = CheckHiveFile(dir / kHiveFile)) return message;
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    return "machine directory " + dir.string() + " is not writable";
  }
  if (scope == MachineCheck::kEveryFile) return CheckStateFiles(dir);
  return std::nullopt;
}

fs::path DefaultMachineDirectory() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state != '\0') {
    return fs::path(state) / "radiodesk" / "machine";
  }
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : ".") / ".local" / "state" / "radiodesk" / "machine";
}

fs::path SelectedMachineDirectory() {
  if (const char* dir = std::getenv("RADIODESK_MACHINE"); dir != nullptr && *dir != '\0') {
    return fs::path(dir);
  }
  return DefaultMachineDirectory();
}

std::optional<std::string> PrepareSelectedMachine(MachineCheck scope) {
  const fs::path dir = SelectedMachineDirectory();
  std::error_code error;
  if (!fs::exists(dir, error) || IsEmptyDirectory(dir)) {
    // Only the default machine's folders are ours to make; a directory the user names must be
    // in a folder that exists, or a mistyped path would be made silently.
    if (dir == DefaultMachineDirectory()) fs::create_directories(dir.parent_path(), error);
    const Preset* xp = FindPreset("xp");
    auto failure = CreateMachine(dir, xp->description, xp->certificateFiles);
    // Another process may have put its new machine in place first: that one is used.
    if (failure && (!fs::exists(dir, error) || IsEmptyDirectory(dir))) return failure;
  }
  return CheckMachineDirectory(dir, scope);
}

std::optional<std::string> UseMachine(const fs::path& dir) {
  std::lock_guard lock(Current().mutex);
  return OpenAsCurrent(dir);
}

}  // namespace sim

namespace platform {

Services& Current() {
  auto& current = sim::Current();
  std::lock_guard lock(current.mutex);
  if (current.machine != nullptr) return *current.machine;
  const auto dir = sim::SelectedMachineDirectory();
  std::optional<std::string> failure = sim::PrepareSelectedMachine(sim::MachineCheck::kOpening);
  if (!failure) failure = sim::OpenAsCurrent(dir);
  if (failure) {
    // A machine that cannot be read has nothing in it: no adapters, no registry of its own.
    std::fprintf(stderr, "radiodesk: the machine cannot be used: %s\n", failure->c_str());
    sim::MachineDescription empty;
    empty.name = "unusable";
    current.opened.push_back(std::make_unique<sim::SimMachine>(dir / "unusable", std::move(empty),
                                                               sim::VirtualTimeRequested()));
    current.machine = current.opened.back().get();
  }
  return *current.machine;
}

}  // namespace platform
