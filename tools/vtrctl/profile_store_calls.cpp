#include "tools/vtrctl/profile_store_calls.h"

#include <algorithm>
#include <cstring>

#include "app/core/vtr_library.h"
#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {
namespace {

using State = ProfileFileReading::State;

// How often a read that met another program's change is read again.
constexpr int kReadAgain = 3;

bool Unusable(const ProfileFileReading& store) {
  return store.state == State::kBusy || store.state == State::kUnreadable ||
         store.state == State::kDamaged;
}

bool Holds(const ProfileFileReading& store, const std::string& name) {
  return std::any_of(store.profiles.begin(), store.profiles.end(),
                     [&](const ProfileRecord& r) { return FieldText(r.profileName) == name; });
}

}  // namespace

std::string QuotedProfile(const std::string& name) {
  // A name read from a store or a file may hold any bytes; a message stays one readable line.
  return "profile \"" + PrintableText(name) + "\"";
}

void PrintDone(Context& ctx, const std::string& message, nlohmann::json json) {
  if (ctx.json) {
    json["result"] = message;
    PrintJson(ctx.out, json);
  } else {
    ctx.out << message << '\n';
  }
}

nlohmann::json NameJson(const std::string& name) {
  nlohmann::json json = nlohmann::json::object();
  PutText(json, "name", name);
  return json;
}

CheckedList ReadCheckedList(const core::CVtrLibrary& lib) {
  CheckedList read;
  for (int attempt = 0;; ++attempt) {
    read.store = ReadProfileStore();
    if (read.store.state == State::kBusy || read.store.state == State::kUnreadable) {
      throw Failure("cannot list the profiles: " + Problem(read.store));
    }
    read.profiles.assign(kProfileListCapacity, ProfileRecord{});
    const int32_t count = lib.ReadProfileList(kProfileListCapacity, read.profiles.data());
    read.profiles.resize(static_cast<std::size_t>(std::max(count, 0)));
    const std::size_t expected =
        std::min<std::size_t>(read.store.profiles.size(), kProfileListCapacity);
    if (read.profiles.size() == expected || attempt == kReadAgain) return read;
  }
}

ProfileRecord ReadProfileNamed(const core::CVtrLibrary& lib, const std::string& name) {
  for (int attempt = 0;; ++attempt) {
    ProfileRecord record;
    std::memset(&record, 0, sizeof(record));
    if (lib.ReadSingleProfile(name.c_str(), &record)) return record;
    const ProfileFileReading store = ReadProfileStore();
    // The file holds it: the read met another program's operation.
    if (Holds(store, name) && attempt < kReadAgain) continue;
    if (Unusable(store))
      throw Failure("cannot read " + QuotedProfile(name) + ": " + Problem(store));
    throw Failure("no " + QuotedProfile(name));
  }
}

bool ReadBack(const core::CVtrLibrary& lib, const std::string& name, ProfileRecord& record) {
  std::memset(&record, 0, sizeof(record));
  return RetryWhileBusy([&] { return lib.ReadSingleProfile(name.c_str(), &record) != 0; });
}

ProfileFileReading StoreForChange(const std::string& doing) {
  ProfileFileReading store = ReadProfileStore();
  if (Unusable(store)) throw Failure("cannot " + doing + ": " + Problem(store));
  return store;
}

void FailChange(const std::string& doing) {
  const ProfileFileReading store = ReadProfileStore();
  if (Unusable(store)) throw Failure("cannot " + doing + ": " + Problem(store));
  throw Failure("cannot " + doing + ": the profile store in " + ProfileStoreFolder().string() +
                " could not be written (is the folder writable, the disk full?)");
}

bool SetDefault(const core::CVtrLibrary& lib, const std::string& name) {
  auto list = ReadCheckedList(lib).profiles;
  return !list.empty() &&
         lib.SetDefaultProfile(static_cast<int32_t>(list.size()), name.c_str(), list.data()) != 0;
}

void StoreAsDefault(const core::CVtrLibrary& lib, const ProfileRecord& record) {
  const std::string name = FieldText(record.profileName);
  const std::string doing = "store " + QuotedProfile(name);
  StoreForChange(doing);
  constexpr int32_t kAdded = 0, kExists = 1, kFull = 4;
  int32_t added = kAdded;
  // Added the first time; replaced once it is there.
  const bool stored = RetryWhileBusy([&] {
    added = lib.AddProfile(kProfileListCapacity, name.c_str(), &record);
    return added == kAdded || added == kFull ||
           (added == kExists && lib.WriteSingleProfile(name.c_str(), &record) != 0);
  });
  if (added == kFull) {
    throw Failure("cannot " + doing + ": the store is full (it holds " +
                  std::to_string(kProfileListCapacity) + " profiles)");
  }
  if (!stored) FailChange(doing);
  const std::string makeDefault = "make " + QuotedProfile(name) + " the default";
  if (!RetryWhileBusy([&] { return SetDefault(lib, name); })) FailChange(makeDefault);
  ProfileRecord back;
  RequireSeen(ReadBack(lib, name, back) && back.isDefault == 1,
              "stored " + QuotedProfile(name) + " as the default");
}

bool StoreReadsWithout(const std::string& name) {
  const ProfileFileReading store = ReadProfileStore();
  return (store.state == State::kReadable || store.state == State::kAbsent) && !Holds(store, name);
}

void RequireSeen(bool seen, const std::string& done) {
  if (seen) return;
  const ProfileFileReading store = ReadProfileStore();
  throw Failure(done + ", but a read of the store does not show it" +
                (Unusable(store) ? ": " + Problem(store) : std::string()));
}

}  // namespace vtrctl
