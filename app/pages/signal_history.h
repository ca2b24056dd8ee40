// The signal the Network Status page's meter shows: the mean of the last ten readings, rounded
// up, so one weak reading does not make the meter jump.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pages {

class SignalHistory {
 public:
  static constexpr size_t kSlots = 10;

  void Clear();
  // Stores a reading over the oldest and gives what the meter shows: the smallest whole number
  // not below the sum of the slots over the readings stored, at most 100.
  int32_t Add(int32_t signal);
  size_t Count() const { return count_; }

 private:
  std::array<int32_t, kSlots> slots_{};
  size_t next_ = 0;
  size_t count_ = 0;
};

}  // namespace pages
