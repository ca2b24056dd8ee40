// The adapter's state file in the machine directory, shared by every process on the machine.
//
// Each request reads the file under a shared advisory lock (flock on "<file>.lock"), so a change
// made by any process is seen by the next request of every other one. A change is made under the
// exclusive lock: the current file is read, changed, written whole beside it under a temporary
// name, synced and renamed over it, so a crash leaves the old state or the new, never a mix. A
// change that leaves the state as it was writes nothing. The file holds keys, so only its owner
// may read it.
//
// The last parsed state is kept with the text and the content stamp of the file it came from.
// While the file on disk still shows that stamp, a request uses it after one stat, without the
// lock or a read (the file is replaced only whole, by rename, so what was read was complete);
// otherwise the file is read under the lock, and parsed again only when its text differs.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "sim/adapter_state.h"
#include "sim/kept_parse.h"

namespace sim {

inline constexpr const char* kAdapterStateFile = "adapter_state.json";

class AdapterStateFile {
 public:
  // initial: the state while the file does not exist yet.
  AdapterStateFile(std::filesystem::path file, AdapterState initial);

  // 0, or a Windows error when the state cannot be read (a file that does not parse is never
  // overwritten; the adapter then fails every request until it is mended or removed).
  long Read(const std::function<void(const AdapterState&)>& read);
  long Modify(const std::function<void(AdapterState&)>& change);

  // Puts the adapter back as the description made it (removes the file).
  long Reset();

  const std::filesystem::path& File() const { return file_; }

 private:
  long Load(std::shared_ptr<const AdapterState>& state, std::string& text);
  long WriteWhole(const std::string& text);
  // A damaged file fails every request: it is told once, not at each of them.
  void ReportOnce(const std::string& fault);

  const std::filesystem::path file_;
  const std::filesystem::path lockFile_;
  const AdapterState initial_;

  KeptParse<AdapterState> kept_;
  std::mutex reportMutex_;
  std::string reportedFault_;  // guarded by reportMutex_
};

// Why the state file cannot be read (its path and the fault), or nothing when it reads whole or
// does not exist.
std::optional<std::string> CheckAdapterStateFile(const std::filesystem::path& file);

}  // namespace sim
