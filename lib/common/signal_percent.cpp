#include "lib/common/signal_percent.h"

namespace vtr {

int32_t SignalPercent(int32_t rssi) {
  // The slope is 2.6 percent per dB; in tenths it stays exact, and the operands are never
  // negative, so integer division truncates toward zero as the published curve does.
  if (rssi >= -50) return 100;
  if (rssi >= -80) return (rssi + 80) * 26 / 10 + 24;
  if (rssi >= -90) return (rssi + 90) * 26 / 10;
  return 0;
}

}  // namespace vtr
