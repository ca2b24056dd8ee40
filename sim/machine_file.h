// Reading and creating the files of a machine directory. Every file the machine keeps (its
// description, the hive, the adapter's and the services' state, the stored WLAN profiles, the
// certificate stores, the driver files) is read through ReadMachineFile: only a regular file is
// opened, and only up to kMachineFileLimit bytes, so a FIFO, a device or a link to /dev/zero put
// in a file's place is refused at once instead of hanging the program or filling its memory.
//
// A machine may belong to another user only when RADIODESK_FOREIGN_MACHINE=1 says so (root
// repairing someone's machine); the files such a process creates are given to the directory's
// owner, so that the owner can still read and change them.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/content_stamp.h"

namespace sim {

// The largest machine file read: far above any real description, hive or state.
inline constexpr size_t kMachineFileLimit = size_t{16} << 20;

// The setting that lets a process use a machine directory another user owns.
inline constexpr const char* kForeignMachineVariable = "RADIODESK_FOREIGN_MACHINE";

struct MachineFileFault {
  enum class Kind { kMissing, kNotRegular, kTooLarge, kUnreadable };
  Kind kind;
  int error = 0;  // errno, for kUnreadable

  // "<file> is a FIFO, not a regular file", "<file> cannot be read (Permission denied)", ...
  std::string Describe(const std::filesystem::path& file) const;
  // The Windows error a service answers with for it.
  long WindowsError() const;
};

// The size of the pieces ReadMachineFileInPieces hands on.
inline constexpr size_t kMachineFilePiece = size_t{64} << 10;

// Reads a regular file of at most limit bytes piece by piece, in order, until take returns false
// or the file ends; nothing on success. For files that may be larger than a machine file (the
// program files whose version resource is looked for) or need not be read to the end.
std::optional<MachineFileFault> ReadMachineFileInPieces(
    const std::filesystem::path& file, const std::function<bool(std::string_view)>& take,
    size_t limit);

// Reads the whole file into text; nothing on success. stamp, when given, receives the stamp of
// the contents read (an unknown one on a fault).
std::optional<MachineFileFault> ReadMachineFile(const std::filesystem::path& file,
                                                std::string& text,
                                                platform::ContentStamp* stamp = nullptr);

// Opens (creating when flags say so) a file in a machine directory. A file this process creates
// in a directory owned by another user is given to that user and group. -1 and errno on failure.
int OpenMachineFileForWriting(const std::filesystem::path& file, int flags, mode_t mode);

// Why this process must not use the machine in dir (another user's), or nothing.
std::optional<std::string> CheckMachineOwner(const std::filesystem::path& dir);

}  // namespace sim
