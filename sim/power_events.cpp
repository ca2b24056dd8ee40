#include "sim/power_events.h"

#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

// Older events than these are of no use to anyone: a program looks only at what came since its
// last poll.
constexpr size_t kKeptEvents = 16;
constexpr std::streamsize kLargestFile = 4096;

}  // namespace

std::vector<platform::PowerEvent> SimPowerEvents::Load() const {
  std::vector<platform::PowerEvent> events;
  std::ifstream in(file_);
  std::string text(static_cast<size_t>(kLargestFile), '\0');
  in.read(text.data(), kLargestFile);
  text.resize(static_cast<size_t>(in.gcount()));
  std::istringstream lines(text);
  uint64_t sequence = 0;
  uint32_t kind = 0;
  while (lines >> sequence >> kind) {
    if (kind != static_cast<uint32_t>(platform::PowerEventKind::QuerySuspend) &&
        kind != static_cast<uint32_t>(platform::PowerEventKind::ResumeSuspend)) {
      continue;
    }
    events.push_back({sequence, static_cast<platform::PowerEventKind>(kind)});
  }
  return events;
}

uint64_t SimPowerEvents::LatestSequence() {
  std::lock_guard lock(mutex_);
  const auto events = Load();
  return events.empty() ? 0 : events.back().sequence;
}

std::vector<platform::PowerEvent> SimPowerEvents::EventsAfter(uint64_t sequence) {
  std::lock_guard lock(mutex_);
  std::vector<platform::PowerEvent> after;
  for (const auto& event : Load()) {
    if (event.sequence > sequence) after.push_back(event);
  }
  return after;
}

bool SimPowerEvents::Announce(platform::PowerEventKind kind) {
  std::lock_guard lock(mutex_);
  // One announcer at a time across the machine's processes, so no sequence number repeats.
  const std::string lockPath = file_.string() + ".lock";
  FILE* lockFile = std::fopen(lockPath.c_str(), "a");
  if (lockFile == nullptr) return false;
  ::flock(::fileno(lockFile), LOCK_EX);
  auto events = Load();
  const uint64_t next = events.empty() ? 1 : events.back().sequence + 1;
  events.push_back({next, kind});
  if (events.size() > kKeptEvents) events.erase(events.begin(), events.end() - kKeptEvents);
  const std::string temp = file_.string() + ".tmp." + std::to_string(::getpid());
  bool written = false;
  {
    std::ofstream out(temp, std::ios::trunc);
    for (const auto& event : events) {
      out << event.sequence << ' ' << static_cast<uint32_t>(event.kind) << '\n';
    }
    written = static_cast<bool>(out.flush());
  }
  written = written && std::rename(temp.c_str(), file_.c_str()) == 0;
  if (!written) std::remove(temp.c_str());
  std::fclose(lockFile);
  return written;
}

}  // namespace sim
