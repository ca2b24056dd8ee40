// Which contents a file on disk holds, told from its status alone: device, inode, size,
// modification and change times. A reader that keeps what it parsed of a file can so look again
// with one stat instead of opening and reading it.
//
// Equal stamps prove equal contents only for a stamp whose times lay further in the past than the
// file system's timestamp granularity when it was taken: every later change, whether the file was
// written in place or replaced by a new file that reuses the old one's inode, then carries a later
// time. A stamp taken sooner is never trusted, and the file is read again.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <filesystem>

namespace platform {

class ContentStamp {
 public:
  // The coarse clock the kernel stamps files with; take it before the file is looked at.
  static timespec LookStart();
  // The file at this path now; an unknown stamp when it cannot be looked at.
  static ContentStamp OnDisk(const std::filesystem::path& file);
  // A file whose status is info, looked at from lookStart on.
  static ContentStamp Of(const struct stat& info, const timespec& lookStart);

  // True when now shows the very contents this stamp was taken of.
  bool StillHolds(const ContentStamp& now) const;

 private:
  bool known_ = false;
  bool settled_ = false;  // its times were past the timestamp granularity when it was taken
  dev_t device_ = 0;
  ino_t inode_ = 0;
  off_t size_ = 0;
  timespec modified_{};
  timespec changed_{};
};

}  // namespace platform
