// The library's profile store calls as vtrctl makes them: reads checked against the store's file,
// so that a store another program holds or a damaged one never passes for an empty one, and the
// reasons a change was refused, told from the store as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/profile_store_reading.h"
#include "vtrlib.h"

namespace core {
class CVtrLibrary;
}

namespace vtrctl {

// The utility's lists hold 128 profiles; so does every list read here.
inline constexpr int32_t kProfileListCapacity = 128;

// profile "NAME", for a message: the name's control bytes escaped.
std::string QuotedProfile(const std::string& name);

// The end of a change: its line for people, or json with that line as "result".
void PrintDone(Context& ctx, const std::string& message, nlohmann::json json);
// {"name": NAME}, with "nameHex" when the name is not UTF-8.
nlohmann::json NameJson(const std::string& name);

// The profiles as the library lists them, with the store's file as it was read beside them. A
// list that disagrees with the file (another program changed the store in between) is read
// again. Fails when the store is busy or cannot be read; a damaged store is the caller's to
// report, after what could be read.
struct CheckedList {
  std::vector<ProfileRecord> profiles;
  ProfileFileReading store;
};
CheckedList ReadCheckedList(const core::CVtrLibrary& lib);

// The profile of that name; fails saying whether it is missing, or the store busy, damaged or
// unreadable.
ProfileRecord ReadProfileNamed(const core::CVtrLibrary& lib, const std::string& name);

// The record the store holds under name now, if it reads; a read that meets another program's
// operation is made again.
bool ReadBack(const core::CVtrLibrary& lib, const std::string& name, ProfileRecord& record);

// The store before a change of it: fails when it is busy, damaged or unreadable, since a change
// would then be refused, or made where a later read cannot see it. doing names the change ("add
// profile "Home"").
ProfileFileReading StoreForChange(const std::string& doing);

// Fails with the reason the library refused a change: the store as it is now, else its folder.
[[noreturn]] void FailChange(const std::string& doing);

// Makes the profile of that name the one default (VTR_SetDefaultProfile over the list as read).
bool SetDefault(const core::CVtrLibrary& lib, const std::string& name);

// Stores record under its name, replacing a profile of that name, and makes it the one default,
// as the utility keeps the profile it connects with.
void StoreAsDefault(const core::CVtrLibrary& lib, const ProfileRecord& record);

// Whether the store's file reads to its end and holds no profile of that name.
bool StoreReadsWithout(const std::string& name);

// Fails unless a read after a change shows it: done says what was done, seen whether the read
// shows it.
void RequireSeen(bool seen, const std::string& done);

}  // namespace vtrctl
