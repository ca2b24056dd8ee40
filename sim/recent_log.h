// A process's record of the calls a part of the machine received, in order, for tests to assert
// the sequence a caller makes. Only the most recent calls are kept: a program that polls the
// machine for days must not hold every call it ever made.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace sim {

template <typename Entry>
class RecentLog {
 public:
  // Far more than any single operation a test looks at makes.
  static constexpr size_t kKept = 4096;

  void Add(Entry entry) {
    std::lock_guard lock(mutex_);
    if (entries_.size() == kKept) entries_.pop_front();
    entries_.push_back(std::move(entry));
  }
  std::vector<Entry> All() const {
    std::lock_guard lock(mutex_);
    return std::vector<Entry>(entries_.begin(), entries_.end());
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::deque<Entry> entries_;  // guarded by mutex_
};

}  // namespace sim
