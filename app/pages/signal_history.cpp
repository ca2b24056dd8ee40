#include "app/pages/signal_history.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace pages {

void SignalHistory::Clear() {
  slots_.fill(0);
  next_ = 0;
  count_ = 0;
}

int32_t SignalHistory::Add(int32_t signal) {
  slots_[next_] = signal;
  next_ = (next_ + 1) % kSlots;
  count_ = std::min(count_ + 1, kSlots);
  const int64_t sum = std::accumulate(slots_.begin(), slots_.end(), int64_t{0});
  const auto mean = std::ceil(static_cast<double>(sum) / static_cast<double>(count_));
  return static_cast<int32_t>(std::min(mean, 100.0));
}

}  // namespace pages
