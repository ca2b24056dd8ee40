// Every store operation stopped at each of its writes, flushes and renames, by a crash or by a
// full disk: the store must read back whole, with the old contents or the new ones.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lib/common/profile_write_gate.h"
#include "tests/lib/profile_fixture.h"
#include "vtrlib.h"

namespace {

using namespace profile_testing;
using State = std::optional<std::string>;  // a file's bytes; nothing when it does not exist

// Stops the process at the given step (counted from 1) of the operation.
struct StepGate {
  int step = 0;
  int stopAt = 0;
  int verdict = kRadiodeskWriteProceed;
  bool tripped = false;
  static int Call(void* context) {
    auto* self = static_cast<StepGate*>(context);
    if (++self->step != self->stopAt) return kRadiodeskWriteProceed;
    self->tripped = true;
    return self->verdict;
  }
};

// The old store, the new one, or (when there was none) the empty store the first addition
// creates before it appends.
bool Whole(const State& left, const State& before, const State& after) {
  return left == before || left == after || (!before && left == Header(0));
}

struct Operation {
  std::string name;
  State before;
  std::function<bool()> run;  // whether the operation reported success
};

class ProfileCrashTest : public ProfileStoreTest {
 protected:
  void SetUp() override {
    ProfileStoreTest::SetUp();
    source_ = testing_support::MakeTempDirectory() / "Profile.cfg";
    WriteFile(source_, Store({Profile("<Default>"), Profile("a", 1), Profile("new")}));
  }

  State Current() const { return StoreExists() ? State(StoreBytes()) : std::nullopt; }
  void Reset(const State& state) const {
    std::filesystem::remove(StorePath());
    if (state) SetStore(*state);
  }
  // The names the store reads back with; every whole store reads to its end.
  std::vector<std::string> ReadBack() const {
    const auto list = ReadAll();
    return Names(list.data(), static_cast<int32_t>(list.size()));
  }

  std::vector<Operation> Operations() const {
    const std::string two = Store({Profile("a", 1), Profile("b")});
    const auto add = [] {
      const auto c = Profile("c");
      return VTR_AddProfile(128, "c", &c) == 0;
    };
    return {
        {"add", two, add},
        {"first add", std::nullopt, add},
        {"write single", two,
         [] {
           const auto r = Profile("renamed");
           return VTR_WriteSingleProfile("a", &r) == 1;
         }},
        {"delete", two, [] { return VTR_DeleteProfile("a") == 1; }},
        {"set default", two,
         [] {
           ProfileRecord list[2] = {Profile("a", 1), Profile("b")};
           return VTR_SetDefaultProfile(2, "b", list) == 1;
         }},
        {"write list", two,
         [] {
           const ProfileRecord list[3] = {Profile("x"), Profile("y"), Profile("z")};
           return VTR_WriteProfileList(3, list) == 3;
         }},
        {"import", two, [this] { return VTR_ImportProfile(source_.c_str(), 128) == 0; }},
        {"import into an empty store", Header(0),
         [this] { return VTR_ImportProfile(source_.c_str(), 128) == 0; }},
        {"upgrade on read",
         RecordBytes(Profile("old1")).substr(0, 2184) +
             RecordBytes(Profile("old2")).substr(0, 2184),
         [this] { return !ReadAll().empty(); }},
    };
  }

  std::filesystem::path source_;
};

TEST_F(ProfileCrashTest, ACrashAtAnyWriteLeavesTheOldStoreOrTheNewOne) {
  for (const auto& op : Operations()) {
    SCOPED_TRACE(op.name);
    Reset(op.before);
    const auto oldNames = ReadBack();
    Reset(op.before);
    ASSERT_TRUE(op.run());
    const State after = Current();
    ASSERT_NE(after, op.before);
    const auto newNames = ReadBack();

    int steps = 0;
    for (int stopAt = 1;; ++stopAt) {
      Reset(op.before);
      StepGate gate{0, stopAt, kRadiodeskWriteCrash};
      RadiodeskSetProfileWriteGate(&StepGate::Call, &gate);
      op.run();
      RadiodeskSetProfileWriteGate(nullptr, nullptr);
      if (!gate.tripped) break;
      steps = stopAt;
      SCOPED_TRACE("stopped at step " + std::to_string(stopAt));
      const State left = Current();
      ASSERT_TRUE(Whole(left, op.before, after));
      if (left) {
        const auto names = ReadBack();
        EXPECT_TRUE(names == oldNames || names == newNames);
      }
      // What the crash left behind never stands in the way of the next operation.
      op.run();
      EXPECT_TRUE(Current() == after);
    }
    // At the least: the new contents written, flushed, renamed into place, the folder flushed.
    EXPECT_GE(steps, 4);
  }
}

TEST_F(ProfileCrashTest, AFullDiskAtAnyWriteFailsAndLeavesTheStoreAsItWas) {
  for (const auto& op : Operations()) {
    SCOPED_TRACE(op.name);
    Reset(op.before);
    ASSERT_TRUE(op.run());
    const State after = Current();
    int steps = 0;
    for (int stopAt = 1;; ++stopAt) {
      Reset(op.before);
      StepGate gate{0, stopAt, kRadiodeskWriteFail};
      RadiodeskSetProfileWriteGate(&StepGate::Call, &gate);
      const bool succeeded = op.run();
      RadiodeskSetProfileWriteGate(nullptr, nullptr);
      if (!gate.tripped) break;
      steps = stopAt;
      SCOPED_TRACE("failed at step " + std::to_string(stopAt));
      const State left = Current();
      // A failure reported is a store left as it was; only a failed flush of the folder after
      // the rename still lets the operation succeed, with the new store in place.
      if (succeeded) {
        EXPECT_TRUE(left == after);
      } else {
        EXPECT_TRUE(left == op.before || (!op.before && left == Header(0)));
      }
      EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    }
    EXPECT_GE(steps, 4);
  }
}

TEST_F(ProfileCrashTest, AFullDiskReportsTheFailureOfEachOperation) {
  const std::string two = Store({Profile("a", 1), Profile("b")});
  StepGate gate{0, 1, kRadiodeskWriteFail};
  auto failFirstWrite = [&] {
    gate = StepGate{0, 1, kRadiodeskWriteFail};
    RadiodeskSetProfileWriteGate(&StepGate::Call, &gate);
  };
  SetStore(two);
  const auto c = Profile("c");
  failFirstWrite();
  EXPECT_EQ(VTR_AddProfile(128, "c", &c), 3);
  failFirstWrite();
  EXPECT_FALSE(VTR_WriteSingleProfile("a", &c));
  failFirstWrite();
  EXPECT_FALSE(VTR_DeleteProfile("a"));
  ProfileRecord list[2] = {Profile("a", 1), Profile("b")};
  failFirstWrite();
  EXPECT_FALSE(VTR_SetDefaultProfile(2, "b", list));
  failFirstWrite();
  EXPECT_EQ(VTR_WriteProfileList(1, &c), 0);
  failFirstWrite();
  EXPECT_EQ(VTR_ImportProfile(source_.c_str(), 128), 3);
  failFirstWrite();
  EXPECT_FALSE(VTR_ExportProfile((source_.parent_path() / "out.cfg").c_str()));
  EXPECT_FALSE(std::filesystem::exists(source_.parent_path() / "out.cfg"));
  RadiodeskSetProfileWriteGate(nullptr, nullptr);
  EXPECT_TRUE(SameBytes(StoreBytes(), two));
  std::filesystem::remove(StorePath());
  failFirstWrite();
  EXPECT_EQ(VTR_AddProfile(128, "c", &c), 2);
  EXPECT_FALSE(StoreExists());
}

TEST_F(ProfileCrashTest, ACrashDuringExportLeavesTheOldFileOrTheWholeCopy) {
  SetStore(Store({Profile("a"), Profile("b")}));
  const auto target = source_.parent_path() / "out.cfg";
  for (int stopAt = 1;; ++stopAt) {
    WriteFile(target, "older export");
    StepGate gate{0, stopAt, kRadiodeskWriteCrash};
    RadiodeskSetProfileWriteGate(&StepGate::Call, &gate);
    VTR_ExportProfile(target.c_str());
    RadiodeskSetProfileWriteGate(nullptr, nullptr);
    if (!gate.tripped) break;
    const std::string left = ReadFile(target);
    EXPECT_TRUE(left == "older export" || left == StoreBytes()) << stopAt;
  }
  EXPECT_TRUE(SameBytes(ReadFile(target), StoreBytes()));
}

TEST_F(ProfileCrashTest, TemporaryFilesAreNeverWrittenThroughALink) {
  SetStore(Store({Profile("a")}));
  const auto victim = source_.parent_path() / "victim";
  WriteFile(victim, "precious");
  std::filesystem::create_symlink(victim, dir_ / "Profile.dll.tmp");
  const auto b = Profile("b");
  ASSERT_EQ(VTR_AddProfile(128, "b", &b), 0);
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// Each change is one write of the complete new store to a new owner-only file beside the store,
// one flush of it, the rename over the store and the flush of the folder: nothing else is
// written, and the store is untouched until the rename.
TEST_F(ProfileCrashTest, EachChangeIsOneWriteOneFlushARenameAndTheFolderFlushed) {
  struct Step {
    bool stagingExists = false;
    unsigned stagingMode = 0;
    std::string staging;
    std::string store;
  };
  struct Probe {
    std::filesystem::path staging;
    std::filesystem::path store;
    std::vector<Step> steps;
  } probe{dir_ / "Profile.dll.tmp", StorePath(), {}};
  const auto gate = [](void* context) {
    auto* p = static_cast<Probe*>(context);
    Step step;
    step.stagingExists = std::filesystem::exists(p->staging);
    if (step.stagingExists) {
      step.stagingMode = Permissions(p->staging);
      step.staging = ReadFile(p->staging);
    }
    step.store = ReadFile(p->store);
    p->steps.push_back(step);
    return int{kRadiodeskWriteProceed};
  };
  const std::string before = Store({Profile("a", 1), Profile("b")});
  const auto c = Profile("c");
  const std::vector<std::pair<std::string, std::function<bool()>>> changes = {
      {"add", [&] { return VTR_AddProfile(128, "c", &c) == 0; }},
      {"write single", [&] { return VTR_WriteSingleProfile("a", &c) == 1; }},
      {"delete", [] { return VTR_DeleteProfile("a") == 1; }},
      {"set default",
       [] {
         ProfileRecord list[2] = {Profile("a", 1), Profile("b")};
         return VTR_SetDefaultProfile(2, "b", list) == 1;
       }},
      {"import", [this] { return VTR_ImportProfile(source_.c_str(), 128) == 0; }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    SetStore(before);
    probe.steps.clear();
    RadiodeskSetProfileWriteGate(gate, &probe);
    ASSERT_TRUE(change());
    RadiodeskSetProfileWriteGate(nullptr, nullptr);
    const std::string after = StoreBytes();
    ASSERT_NE(after, before);
    ASSERT_EQ(probe.steps.size(), 4u);  // write, flush, rename, flush of the folder
    EXPECT_TRUE(probe.steps[0].stagingExists);
    EXPECT_EQ(probe.steps[0].stagingMode, 0600u);
    EXPECT_EQ(probe.steps[0].staging, "");
    EXPECT_TRUE(SameBytes(probe.steps[1].staging, after));  // complete before its flush
    EXPECT_TRUE(SameBytes(probe.steps[2].store, before));   // untouched until the rename
    EXPECT_FALSE(probe.steps[3].stagingExists);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  }
}

}  // namespace
