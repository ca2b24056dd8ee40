#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "sim/machine.h"
#include "sim/machine_seed.h"
#include "sim/presets.h"
#include "sim/sim_machine.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadFile(const fs::path& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "cannot read " + path.string();
  std::ostringstream contents;
  contents << file.rdbuf();
  text = contents.str();
  return std::nullopt;
}

// Written beside its final name and renamed over it, so the description is whole or absent.
std::optional<std::string> WriteFileWhole(const fs::path& path, std::string_view text) {
  const fs::path temporary = path.string() + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file.flush()) return "cannot write " + temporary.string();
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) return "cannot write " + path.string() + ": " + error.message();
  return std::nullopt;
}

std::variant<MachineDescription, std::string> LoadDescription(const fs::path& dir) {
  std::string text;
  if (auto error = ReadFile(dir / kDescriptionFile, text)) return *error;
  auto parsed = ParseMachineDescription(text);
  if (auto* error = std::get_if<std::string>(&parsed)) {
    return (dir / kDescriptionFile).string() + ": " + error->substr(error->find(':') + 2);
  }
  return parsed;
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
  if (auto error = CheckMachineDirectory(dir)) return error;
  auto loaded = LoadDescription(dir);
  auto& current = Current();
  current.opened.push_back(std::make_unique<SimMachine>(
      dir, std::get<MachineDescription>(std::move(loaded)), VirtualTimeRequested()));
  current.machine = current.opened.back().get();
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
  auto parsed = ParseMachineDescription(description);
  if (auto* message = std::get_if<std::string>(&parsed)) return *message;
  std::error_code error;
  const bool existed = fs::exists(dir, error);
  if (existed && !fs::is_empty(dir, error)) {
    return dir.string() + " already exists and is not empty";
  }
  fs::create_directories(dir, error);
  if (error) return "cannot create " + dir.string() + ": " + error.message();
  fs::permissions(dir, fs::perms::owner_all, error);

  std::optional<std::string> failure = SeedMachine(dir, std::get<MachineDescription>(parsed));
  if (!failure) failure = WriteCertificateFiles(dir, certificateFiles);
  if (!failure) failure = WriteFileWhole(dir / kDescriptionFile, description);
  if (failure) {
    // Leave nothing half-made behind: a later start would take it for a machine.
    if (existed) {
      for (const auto& entry : fs::directory_iterator(dir, error)) fs::remove_all(entry, error);
    } else {
      fs::remove_all(dir, error);
    }
  }
  return failure;
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

std::optional<std::string> CheckMachineDirectory(const fs::path& dir) {
  std::error_code error;
  if (!fs::is_directory(dir, error)) return dir.string() + " is not a machine directory";
  auto loaded = LoadDescription(dir);
  if (auto* message = std::get_if<std::string>(&loaded)) return *message;
  if (auto message = CheckHiveFile(dir / kHiveFile)) return message;
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    return "machine directory " + dir.string() + " is not writable";
  }
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

std::optional<std::string> PrepareSelectedMachine() {
  const fs::path dir = SelectedMachineDirectory();
  std::error_code error;
  if (!fs::exists(dir, error)) {
    if (auto failure = InitMachineDirectory(dir, "xp")) return failure;
  }
  return CheckMachineDirectory(dir);
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
  std::optional<std::string> failure = sim::PrepareSelectedMachine();
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
