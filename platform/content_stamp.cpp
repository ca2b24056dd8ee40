#include "platform/content_stamp.h"

namespace platform {
namespace {

constexpr long kNanosecondsPerSecond = 1'000'000'000;

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// How far a file's times may lag behind or run ahead of the coarse clock: a few clock ticks on a
// file system that keeps fractions of a second, two seconds (FAT) on one that keeps whole seconds.
timespec TimestampGranularity(const timespec& stamp) {
  if (stamp.tv_nsec == 0) return timespec{2, 0};
  return timespec{0, 50'000'000};
}

bool LongBefore(const timespec& stamp, const timespec& lookStart) {
  const timespec margin = TimestampGranularity(stamp);
  timespec limit{stamp.tv_sec + margin.tv_sec, stamp.tv_nsec + margin.tv_nsec};
  if (limit.tv_nsec >= kNanosecondsPerSecond) {
    limit.tv_sec += 1;
    limit.tv_nsec -= kNanosecondsPerSecond;
  }
  return limit.tv_sec < lookStart.tv_sec ||
         (limit.tv_sec == lookStart.tv_sec && limit.tv_nsec < lookStart.tv_nsec);
}

}  // namespace

timespec ContentStamp::LookStart() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

ContentStamp ContentStamp::OnDisk(const std::filesystem::path& file) {
  const timespec lookStart = LookStart();
  struct stat info {};
  if (::stat(file.c_str(), &info) < 0) return {};
  return Of(info, lookStart);
}

ContentStamp ContentStamp::Of(const struct stat& info, const timespec& lookStart) {
  ContentStamp stamp;
  stamp.known_ = true;
  stamp.device_ = info.st_dev;
  stamp.inode_ = info.st_ino;
  stamp.size_ = info.st_size;
  stamp.modified_ = info.st_mtim;
  stamp.changed_ = info.st_ctim;
  stamp.settled_ = LongBefore(info.st_mtim, lookStart) && LongBefore(info.st_ctim, lookStart);
  return stamp;
}

bool ContentStamp::StillHolds(const ContentStamp& now) const {
  return known_ && settled_ && now.known_ && device_ == now.device_ && inode_ == now.inode_ &&
         size_ == now.size_ && SameTime(modified_, now.modified_) &&
         SameTime(changed_, now.changed_);
}

}  // namespace platform
