// The machine's record of its link holder: the lock on the file tells whether a holder runs, not
// the process id written in it, which a killed holder leaves behind.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "sim/link_holder.h"
#include "tests/support/machine_fixture.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

TEST(SimLinkHolder, TheTextOfAHolderThatWasKilledEndsNothing) {
  const fs::path dir = testing_support::MakeTempDirectory();
  // No file: no holder, and ending none makes no file either.
  EXPECT_TRUE(sim::EndLinkHolderIn(dir));
  EXPECT_FALSE(fs::exists(dir / sim::kLinkHolderFile));
  EXPECT_TRUE(sim::EndLinkHolderIn(dir / "gone"));

  // A process that is no holder, named by a file nobody locks.
  pid_t bystander = 0;
  char sleep[] = "sleep";
  char seconds[] = "30";
  char* argv[] = {sleep, seconds, nullptr};
  ASSERT_EQ(posix_spawnp(&bystander, "sleep", nullptr, nullptr, argv, environ), 0);
  std::ofstream(dir / sim::kLinkHolderFile) << bystander << "\n";
  EXPECT_TRUE(sim::EndLinkHolderIn(dir));
  int status = 0;
  EXPECT_EQ(waitpid(bystander, &status, WNOHANG), 0) << "the bystander was ended";
  kill(bystander, SIGKILL);
  waitpid(bystander, &status, 0);
  fs::remove_all(dir);
}

}  // namespace
