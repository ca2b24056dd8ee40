// The profile store as vtrctl looks at it beside the library's answers: the library reports a
// refused operation as a bare failure and a store it cannot read as an empty one, so vtrctl reads
// the store file itself, with the store's own reader and under the store's own lock, to tell an
// empty store from a damaged, an unreadable or a busy one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "vtrlib.h"

namespace vtrctl {

// What a profile file (the store, or a file exported from it) holds.
struct ProfileFileReading {
  enum class State { kAbsent, kReadable, kDamaged, kUnreadable, kBusy };
  State state = State::kAbsent;
  std::filesystem::path file;
  // The entries that read, in file order (before the damage, for a damaged file).
  std::vector<ProfileRecord> profiles;
  // kDamaged: the entry, counted from 1, where reading stopped; 0 when the header is damaged.
  std::size_t damagedEntry = 0;
  // kDamaged: what is wrong, in words; kUnreadable: the file and why it cannot be read.
  std::string detail;
};

// The store's folder: RADIODESK_PROFILE_DIR when set, else the program's folder, which holds the
// library and so its store.
std::filesystem::path ProfileStoreFolder();
std::filesystem::path ProfileStoreFile();
// The files the store keeps beside itself and in the machine's temporary folder.
std::vector<std::filesystem::path> ProfileStoreOwnFiles();

// Reads any profile file, without the store's lock.
ProfileFileReading ReadProfileFile(const std::filesystem::path& file);
// Reads the store under its lock. While another program holds the store it tries again every
// 50 ms of the machine's clock, 2 s at most, and then answers kBusy.
ProfileFileReading ReadProfileStore();
ProfileFileReading ReadProfileStore(platform::ClockPort& clock);

// Why the store (or a file) cannot serve, in words: "the profile store P is damaged at entry 3:
// ...". Only for kDamaged, kUnreadable and kBusy.
std::string Problem(const ProfileFileReading& reading);

// Runs a library operation on the store until it succeeds, or fails while no other program holds
// the store; waits between tries as ReadProfileStore does. True when it succeeded.
bool RetryWhileBusy(const std::function<bool()>& operation);
bool RetryWhileBusy(const std::function<bool()>& operation, platform::ClockPort& clock);

// Makes an empty store (a header without entries) where there is none, as the library makes one
// for its first profile: under the store's lock, written whole and renamed into place. False
// when it could not be made; an existing store is left as it is.
bool CreateEmptyStore();

}  // namespace vtrctl
