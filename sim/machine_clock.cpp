#include "sim/machine_clock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "sim/machine_file.h"

namespace sim {

VtrSystemTime ToSystemTime(int64_t utcMs, int32_t utcOffsetMinutes) {
  const int64_t localMs = utcMs + int64_t{utcOffsetMinutes} * 60'000;
  const std::time_t seconds = static_cast<std::time_t>(localMs / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  VtrSystemTime time{};
  time.year = static_cast<uint16_t>(parts.tm_year + 1900);
  time.month = static_cast<uint16_t>(parts.tm_mon + 1);
  time.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
  time.day = static_cast<uint16_t>(parts.tm_mday);
  time.hour = static_cast<uint16_t>(parts.tm_hour);
  time.minute = static_cast<uint16_t>(parts.tm_min);
  time.second = static_cast<uint16_t>(parts.tm_sec);
  time.milliseconds = static_cast<uint16_t>(localMs % 1000);
  return time;
}

bool ParseUtcTimestamp(const std::string& text, std::time_t& seconds) {
  std::tm parts{};
  char tail = 0;
  const int read =
      std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &parts.tm_year, &parts.tm_mon,
                  &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &tail);
  if (read != 6 && !(read == 7 && tail == 'Z')) return false;
  if (parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1 || parts.tm_mday > 31 ||
      parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60 || parts.tm_year < 1601) {
    return false;
  }
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  seconds = timegm(&parts);
  return true;
}

RealClock::RealClock(double timeScale, int32_t utcOffsetMinutes)
    : timeScale_(timeScale), utcOffsetMinutes_(utcOffsetMinutes) {}

uint64_t RealClock::NowMs() {
  const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
  const double ms = std::chrono::duration<double, std::milli>(elapsed).count() * timeScale_;
  return static_cast<uint64_t>(ms);
}

void RealClock::SleepMs(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms / timeScale_));
}

VtrSystemTime RealClock::LocalTime() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return ToSystemTime(std::chrono::duration_cast<std::chrono::milliseconds>(now).count(),
                      utcOffsetMinutes_);
}

namespace {

// Maps the machine's count, creating it at 0; nothing when the file cannot be had. A new file
// is all zero bytes, so a process that maps it while another creates it reads 0 as well.
uint64_t* MapCount(const std::filesystem::path& countFile) {
  const int fd = OpenMachineFileForWriting(countFile, O_RDWR | O_CREAT | O_NONBLOCK, 0644);
  if (fd < 0) return nullptr;
  struct stat status {};
  void* mapped = MAP_FAILED;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      (status.st_size >= static_cast<off_t>(sizeof(uint64_t)) ||
       ftruncate(fd, sizeof(uint64_t)) == 0)) {
    mapped = mmap(nullptr, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  close(fd);
  return mapped == MAP_FAILED ? nullptr : static_cast<uint64_t*>(mapped);
}

}  // namespace

VirtualClock::VirtualClock(const std::filesystem::path& countFile, int64_t startUtcMs,
                           int32_t utcOffsetMinutes)
    : startUtcMs_(startUtcMs), utcOffsetMinutes_(utcOffsetMinutes) {
  if (uint64_t* mapped = MapCount(countFile)) count_ = mapped;
}

VirtualClock::~VirtualClock() {
  if (count_ != &ownCount_) munmap(count_, sizeof(uint64_t));
}

uint64_t VirtualClock::NowMs() {
  return Count().load();
}

void VirtualClock::SleepMs(uint32_t ms) {
  Count().fetch_add(ms);
}

VtrSystemTime VirtualClock::LocalTime() {
  return ToSystemTime(startUtcMs_ + static_cast<int64_t>(Count().load()), utcOffsetMinutes_);
}

}  // namespace sim
