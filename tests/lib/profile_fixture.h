// A machine and a profile store folder of its own for each profile test, and the store file's
// bytes built by hand so that tests check the library against the format, not against itself.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lib/common/profile_write_gate.h"
#include "platform/services.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace profile_testing {

inline std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

inline uint32_t Le32At(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes.at(offset + i));
  return value;
}

inline std::string Header(uint32_t count) {
  std::string header(128, '\0');
  header.replace(0, 4, "VLPF");
  header[4] = 1;
  header[5] = 0x20;
  header.replace(8, 23, "Vantrel Library Profile");
  header.replace(40, 4, Le32(count));
  return header;
}

inline std::string RecordBytes(const ProfileRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof(record));
}

// An entry as a writer of the given length and trust flag lays it down; a length beyond 2244 is
// followed by that many more bytes of a later format.
inline std::string Entry(const ProfileRecord& record, uint32_t length = 2244, uint32_t trust = 0) {
  std::string entry = Le32(length) + Le32(trust) + std::string(24, '\0') + RecordBytes(record);
  if (length > entry.size()) entry += std::string(length - entry.size(), '\x5a');
  if (length < entry.size()) entry.resize(length);
  return entry;
}

// Compares two files' bytes, telling sizes and the first difference instead of printing them.
inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at byte " << at;
}

inline ProfileRecord Profile(const std::string& name, uint32_t isDefault = 0) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof(record));
  VTR_InitialProfile(&record);
  std::strncpy(record.profileName, name.c_str(), sizeof(record.profileName) - 1);
  std::strncpy(record.ssid, ("net-" + name).c_str(), sizeof(record.ssid) - 1);
  std::strncpy(record.psk, "correct horse battery", sizeof(record.psk) - 1);
  record.isDefault = isDefault;
  return record;
}

inline std::string Store(const std::vector<ProfileRecord>& records) {
  std::string bytes = Header(static_cast<uint32_t>(records.size()));
  for (const auto& record : records) bytes += Entry(record);
  return bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline unsigned Permissions(const std::filesystem::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
}

inline std::vector<std::string> Names(const ProfileRecord* list, int32_t count) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < count; ++i) names.emplace_back(list[i].profileName);
  return names;
}

class ProfileStoreTest : public testing_support::MachineTest {
 protected:
  void SetUp() override {
    machine_ = UseXpMachine();
    dir_ = testing_support::MakeTempDirectory();
    ::setenv("RADIODESK_PROFILE_DIR", dir_.c_str(), 1);
    UseFileMode();
  }
  void TearDown() override {
    RadiodeskSetProfileWriteGate(nullptr, nullptr);
    UseFileMode();
    ::unsetenv("RADIODESK_PROFILE_DIR");
  }

  static void UseFileMode() {
    ProfileStorageSetting setting{};
    setting.mode = 1;
    setting.rootKey = 0xFF;
    VTR_ProfileSetting(&setting);
  }

  std::filesystem::path StorePath() const { return dir_ / "Profile.dll"; }
  std::string StoreBytes() const { return ReadFile(StorePath()); }
  void SetStore(const std::string& bytes) const { WriteFile(StorePath(), bytes); }
  bool StoreExists() const { return std::filesystem::exists(StorePath()); }

  // The user's temporary folder of the machine, on the host.
  static std::filesystem::path UserTemp() {
    auto& services = platform::Current();
    return services.Files().HostPath(services.SystemInfo().TempPath()).value();
  }
  // Files a finished operation must not leave behind.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> found;
    if (std::filesystem::exists(UserTemp() / "~VTR_Profile.tmp")) found.push_back("user temp");
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      const auto name = entry.path().filename().string();
      if (name != "Profile.dll" && name != "Profile.dll.lock") found.push_back(name);
    }
    return found;
  }

  std::vector<ProfileRecord> ReadAll(int32_t max = 128) const {
    std::vector<ProfileRecord> list(static_cast<size_t>(std::max(max, 1)));
    const int32_t count = VTR_ReadProfileList(max, list.data());
    list.resize(static_cast<size_t>(std::max(count, 0)));
    return list;
  }
  std::vector<std::string> StoredNames() const {
    const auto list = ReadAll();
    return Names(list.data(), static_cast<int32_t>(list.size()));
  }

  std::filesystem::path machine_;
  std::filesystem::path dir_;
};

}  // namespace profile_testing
