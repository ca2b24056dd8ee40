// Machine directories: creating one from a built-in description, checking one, and choosing the
// one this process uses.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "sim/presets.h"

namespace sim {

// The file names inside a machine directory.
inline constexpr const char* kDescriptionFile = "machine.json";
inline constexpr const char* kHiveFile = "registry.reg";
inline constexpr const char* kDriveC = "drive_c";
inline constexpr const char* kCertificatesFolder = "certificates";
// The machine's virtual time, shared by its processes (a count of milliseconds).
inline constexpr const char* kVirtualTimeFile = "virtual_time";

// Creates dir (which must not exist or be empty, in a folder that exists) from the built-in
// description named preset, with the preset's certificate stores. The machine appears whole or
// not at all. Returns why it failed, or nothing on success.
std::optional<std::string> InitMachineDirectory(const std::filesystem::path& dir,
                                                std::string_view preset);

// Creates dir (which must not exist or be empty) from a machine.json text and the certificate
// stores' files.
std::optional<std::string> InitMachineFromDescription(
    const std::filesystem::path& dir, std::string_view description,
    std::span<const PresetFile> certificateFiles = {});

// Writes the certificate stores' files into the "certificates" folder of the machine in dir,
// each replaced whole. Returns why it failed, or nothing.
std::optional<std::string> WriteCertificateFiles(const std::filesystem::path& dir,
                                                 std::span<const PresetFile> certificateFiles);

// The machine.json text of a built-in description; empty when there is none of that name.
std::string_view PresetDescription(std::string_view preset);
// The certificate stores' files of a built-in description; none when there is none of that name.
std::span<const PresetFile> PresetCertificateFiles(std::string_view preset);

// What a check of a machine directory reads: what a machine cannot be opened without (its
// owner, description and hive, a directory one can write), or also every state file the
// programs keep in it, each fault with the way out.
enum class MachineCheck { kOpening, kEveryFile };

// Why dir cannot serve as a machine (another user's, a bad description, an unreadable hive, not
// writable, a damaged state file), or nothing.
std::optional<std::string> CheckMachineDirectory(const std::filesystem::path& dir,
                                                 MachineCheck scope = MachineCheck::kEveryFile);

// $XDG_STATE_HOME/radiodesk/machine (~/.local/state when the variable is unset).
std::filesystem::path DefaultMachineDirectory();
// RADIODESK_MACHINE when set, else the default machine directory.
std::filesystem::path SelectedMachineDirectory();

// Checks the selected machine, creating it from the "xp" description when it does not exist
// yet (or is an empty directory). Returns why it cannot be used, or nothing.
std::optional<std::string> PrepareSelectedMachine(MachineCheck scope = MachineCheck::kEveryFile);

// Makes dir the machine of this process from now on (tests switch machines between cases).
// The machine must exist; returns why it cannot be used, or nothing.
std::optional<std::string> UseMachine(const std::filesystem::path& dir);

}  // namespace sim
