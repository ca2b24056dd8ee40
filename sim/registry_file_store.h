// The hive file on disk, shared by every process and thread that uses the machine.
//
// Readers take a shared advisory lock (flock on "<hive>.lock" beside the hive), writers an
// exclusive one. A writer reads the current file, applies its change, writes a complete new file
// under a unique temporary name, syncs it, renames it over the hive and syncs the directory: so
// two writers never lose each other's changes and a crash leaves the old hive or the new one,
// never a mix. A hive that does not parse is never overwritten.
//
// Changes made by another process are seen at once: the last parsed hive is kept with the text
// and the content stamp of the file it came from, and used only while the hive on disk still
// shows that stamp (one stat, no lock: a hive is replaced only whole, by rename). Otherwise the
// hive is read under the lock, and parsed again only when its text differs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "sim/kept_parse.h"
#include "sim/registry_hive.h"

namespace sim {

// Windows' answer for a registry it cannot read (ERROR_BADDB).
inline constexpr long kErrorBadDb = 1009;
// The directory the hive should live in does not exist (ERROR_PATH_NOT_FOUND).
inline constexpr long kErrorPathNotFound = 3;
// No room left to write the new hive (ERROR_DISK_FULL).
inline constexpr long kErrorDiskFull = 112;

class RegistryFileStore {
 public:
  // Called once the new file is complete and synced, just before it is renamed over the hive.
  // Returning false stops there, as a crash at that moment would: the new file stays behind
  // under its temporary name and the change is reported as failed. For tests.
  using BeforeRename = std::function<bool(const std::filesystem::path& tempFile)>;

  explicit RegistryFileStore(std::filesystem::path hiveFile, BeforeRename beforeRename = {});

  // Runs read on the current hive under the shared lock and returns its result, or the error
  // that kept the hive from being read (kErrorBadDb for a file that does not parse).
  long Read(const std::function<long(const Hive&)>& read);

  // Runs change on a copy of the current hive under the exclusive lock. When change returns 0
  // and has set changed, the result is written back; otherwise the file is left alone.
  long Modify(const std::function<long(Hive& hive, bool& changed)>& change);

  const std::filesystem::path& HiveFile() const { return hiveFile_; }
  const std::filesystem::path& LockFile() const { return lockFile_; }
  // Prefix of the temporary files new hives are written to before the rename.
  std::string TempPrefix() const;

 private:
  long Load(std::shared_ptr<const Hive>& hive);
  long WriteWhole(const std::string& text);
  void RemoveStaleTempFiles() const;

  const std::filesystem::path hiveFile_;
  const std::filesystem::path lockFile_;
  const BeforeRename beforeRename_;

  KeptParse<Hive> kept_;
};

}  // namespace sim
