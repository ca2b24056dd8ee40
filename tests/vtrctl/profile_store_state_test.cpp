// vtrctl profile on stores and files that are not as they should be: damaged, unreadable, held
// by another program, missing, full, or not a file at all; and profile fields that would be read
// the wrong way. Each case is the built program in its own process, as a user meets it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/vtrctl_fixture.h"
#include "vtrlib/profile_record.h"

namespace {

namespace fs = std::filesystem;

using testing_support::RunResult;

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kEntrySize = 2244;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class ProfileStoreState : public testing_support::VtrctlMachineTest {
 protected:
  RunResult Profile(std::vector<std::string> args) const {
    args.insert(args.begin(), "profile");
    return Run(args);
  }
  void Add(const std::string& name) const {
    const RunResult added = Profile({"add", "--name", name, "--ssid", name + "-net"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
  }
  fs::path Store() const { return root_ / "store" / "Profile.dll"; }

  // A failure as a user reads it: exit status 1, one line naming the reason.
  static void ExpectRefused(const RunResult& result, const std::string& says) {
    EXPECT_EQ(result.exitCode, 1) << result.out;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
  }
};

TEST_F(ProfileStoreState, DamageIsNamedWithItsEntryAndNoChangeIsMadeBehindIt) {
  Add("A");
  Add("B");
  Add("C");
  const std::string whole = Slurp(Store());
  const std::string at3 = "is damaged at entry 3";

  // Cut in the middle of the third entry: the two before it list, and the command fails.
  Spit(Store(), whole.substr(0, kHeaderSize + 2 * kEntrySize + 1000));
  const std::string truncated = Slurp(Store());
  RunResult list = Profile({"list"});
  ExpectRefused(list, at3);
  EXPECT_NE(list.out.find("A-net"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("B-net"), std::string::npos) << list.out;
  // The library would append behind the damage, where no read finds the new profile.
  ExpectRefused(
      Profile({"add", "--name", "D", "--ssid", "d"}),
      "cannot add profile \"D\": " + ("the profile store " + Store().string()) + " " + at3);
  ExpectRefused(Profile({"show", "C"}), "cannot read profile \"C\": the profile store");
  ExpectRefused(Profile({"delete", "A"}), at3);
  ExpectRefused(Profile({"edit", "A", "--ssid", "x"}), at3);
  EXPECT_EQ(Slurp(Store()), truncated);

  // Cut where an entry ends: the header still counts three.
  Spit(Store(), whole.substr(0, kHeaderSize + 2 * kEntrySize));
  ExpectRefused(Profile({"list", "--json"}), "header counts 3 profiles, but the file ends after 2");

  // An entry that fails the reader's check (its phyMode field is 3).
  std::string bad = whole;
  const std::size_t phyMode = kHeaderSize + kEntrySize + 32 + offsetof(ProfileRecord, phyMode);
  bad[phyMode] = 3;
  Spit(Store(), bad);
  ExpectRefused(Profile({"default", "A"}),
                "cannot make profile \"A\" the default: the profile "
                "store " +
                    Store().string() + " is damaged at entry 2");

  // A header that is not a store's no longer reads as "no profiles".
  Spit(Store(), "XXXX" + whole.substr(4));
  list = Profile({"list"});
  ExpectRefused(list, "is damaged: its header is not a profile store's");
  EXPECT_EQ(list.out, "");
  ExpectRefused(Profile({"add", "--name", "D", "--ssid", "d"}), "is damaged");
  EXPECT_EQ(Slurp(Store()), "XXXX" + whole.substr(4));
}

TEST_F(ProfileStoreState, UnreadableBusyAndEmptyStoresAreToldApart) {
  // No store yet, and a store without entries: both simply hold no profiles.
  EXPECT_EQ(Profile({"list"}).out, "no profiles\n");
  Add("A");
  ASSERT_EQ(Profile({"delete", "A"}).exitCode, 0);
  const RunResult empty = Profile({"list", "--json"});
  EXPECT_EQ(empty.exitCode, 0) << empty.err;
  EXPECT_EQ(nlohmann::json::parse(empty.out), nlohmann::json::array());

  // A folder in the store's place cannot be read; it is not an empty store.
  const std::string whole = Slurp(Store());
  fs::remove(Store());
  fs::create_directory(Store());
  ExpectRefused(Profile({"list"}), "cannot list the profiles: the profile store " +
                                       Store().string() + " is a directory, not a regular file");
  ExpectRefused(Profile({"add", "--name", "B", "--ssid", "b"}), "is a directory");
  fs::remove(Store());
  Spit(Store(), whole);

  // Another program's operation holds the store for longer than vtrctl waits.
  const int fd = ::open((root_ / "store" / "Profile.dll.lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  const RunResult busy = Profile({"list"});
  ::close(fd);
  ExpectRefused(busy, "cannot list the profiles: the store is in use by another program");
  EXPECT_EQ(busy.out, "");
}

TEST_F(ProfileStoreState, ExportWritesOnlyARegularFileOrANewName) {
  Add("A");
  const fs::path fifo = root_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ExpectRefused(Profile({"export", fifo.string()}), "it is a FIFO");
  EXPECT_TRUE(fs::is_fifo(fifo));
  ExpectRefused(Profile({"export", root_.string()}), "it is a folder");
  fs::create_symlink(root_ / "elsewhere.cfg", root_ / "link.cfg");
  ExpectRefused(Profile({"export", (root_ / "link.cfg").string()}), "it is a symbolic link");
  EXPECT_TRUE(fs::is_symlink(root_ / "link.cfg"));
  EXPECT_FALSE(fs::exists(root_ / "elsewhere.cfg"));
  // The store's lock and staging file, named in another letter case.
  for (const char* own : {"PROFILE.DLL.LOCK", "Profile.dll.tmp"}) {
    ExpectRefused(Profile({"export", (root_ / "store" / own).string()}),
                  "one of the profile store's own files");
  }
  EXPECT_FALSE(fs::exists(root_ / "store" / "Profile.dll.tmp"));

  // A new name and a regular file are written; "-" is standard output.
  const fs::path file = root_ / "Profile.cfg";
  Spit(file, "old");
  const RunResult exported = Profile({"export", file.string()});
  EXPECT_EQ(exported.out, "exported 1 profiles to " + file.string() + "\n") << exported.err;
  EXPECT_EQ(Slurp(file), Slurp(Store()));
  const RunResult out = Profile({"export", "-"});
  EXPECT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out, Slurp(Store()));
}

TEST_F(ProfileStoreState, ImportMakesAFirstStoreAndRefusesWhatWouldNotFit) {
  Add("A");
  Add("B");
  const fs::path file = root_ / "two.cfg";
  ASSERT_EQ(Profile({"export", file.string()}).exitCode, 0);

  // Into a store that does not exist yet: the store is made, the file copied in.
  fs::remove(Store());
  const RunResult first = Profile({"import", file.string()});
  EXPECT_EQ(first.out, "imported " + file.string() + ": 2 profiles (2 new)\n") << first.err;
  EXPECT_EQ(Slurp(Store()), Slurp(file));

  // Into a store with room for one of the two new profiles: nothing changes.
  fs::remove(Store());
  for (int i = 0; i < 127; ++i) Add("P" + std::to_string(i));
  const std::string full = Slurp(Store());
  ExpectRefused(Profile({"import", file.string()}),
                "1 of its 2 new profiles would not fit (the store holds 127 of the 128");
  EXPECT_EQ(Slurp(Store()), full);

  // A damaged file is refused before the store is touched.
  Spit(file, Slurp(file).substr(0, kHeaderSize + kEntrySize + 10));
  ExpectRefused(Profile({"import", file.string()}), "is damaged at entry 2");
  EXPECT_EQ(Slurp(Store()), full);
}

TEST_F(ProfileStoreState, EditKeepsFieldsReadableAndNamesUsable) {
  ASSERT_EQ(Profile({"add", "--name", "W", "--ssid", "w", "--encryption", "wep", "--wep-key",
                     "1:0102030405"})
                .exitCode,
            0);
  // A text key beside slot 1's hexadecimal one would make the store read slot 1 as text.
  const RunResult mixed = Profile({"edit", "W", "--wep-key", "2:abcde", "--wep-ascii"});
  EXPECT_EQ(mixed.exitCode, 2);
  EXPECT_NE(mixed.err.find("WEP key 1 is stored as hexadecimal digits"), std::string::npos)
      << mixed.err;
  auto shown = RunJson({"profile", "show", "W", "--show-secrets"});
  EXPECT_EQ(shown["wepKeys"][0], "0102030405");
  EXPECT_EQ(shown["wepAscii"], false);
  ASSERT_EQ(Profile({"edit", "W", "--wep-key", "1:hello", "--wep-key", "2:abcde", "--wep-ascii"})
                .exitCode,
            0);
  shown = RunJson({"profile", "show", "W", "--show-secrets"});
  EXPECT_EQ(shown["wepKeys"], nlohmann::json({"hello", "abcde", nullptr, nullptr}));
  EXPECT_EQ(shown["wepAscii"], true);

  // A pre-shared key left behind by a change of security is cleared from the store.
  ASSERT_EQ(Profile({"add", "--name", "H", "--ssid", "h", "--auth", "wpa2-psk", "--encryption",
                     "aes", "--psk", "correct horse battery"})
                .exitCode,
            0);
  ASSERT_EQ(Profile({"edit", "H", "--auth", "open", "--encryption", "none"}).exitCode, 0);
  EXPECT_EQ(Slurp(Store()).find("correct horse battery"), std::string::npos);
  EXPECT_TRUE(RunJson({"profile", "show", "H", "--show-secrets"})["psk"].is_null());
  const RunResult unused =
      Profile({"add", "--name", "X", "--ssid", "x", "--psk", "correct horse battery"});
  EXPECT_EQ(unused.exitCode, 2);
  EXPECT_EQ(unused.err, "vtrctl: --psk goes with --auth wpa-psk or wpa2-psk\n");

  // Names the lists and the utility could not keep.
  const std::string before = Slurp(Store());
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"add", "--name", "two\nlines", "--ssid", "x"},
                                             {"add", "--name", " <Default>", "--ssid", "x"},
                                             {"edit", "H", "--name", "<Default>"},
                                             {"delete", "<Default>"}}) {
    const RunResult refused = Profile(args);
    EXPECT_EQ(refused.exitCode, 2) << args[2];
    EXPECT_EQ(refused.out, "");
  }
  EXPECT_EQ(Slurp(Store()), before);
}

}  // namespace
