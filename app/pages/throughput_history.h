// The adapter's throughput as the Network Status page follows it. Each reading of the interface's
// octet counters gives the bit rates since the one before; the last sixty steps are kept, and the
// largest rate of each direction among them scales its graph.
//
// The counters and their corrections are 32-bit, as Windows' are, and the difference of two
// readings is taken modulo 2^32: a counter that went round still gives the traffic in between
// (one byte short, as the correction counts the wrap from one below it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace pages {

// The graph's top for a largest rate: 1.2 times it, cut to whole bits, at least 200.
int32_t AxisTop(int32_t largestRate);

class ThroughputHistory {
 public:
  static constexpr size_t kCapacity = 60;
  // What each direction's largest rate starts as, and the graphs' top after a reset.
  static constexpr int32_t kInitialLargest = 1000;

  struct Step {
    int32_t transmit = 0;  // bit/s
    int32_t receive = 0;
    // A new top for the graph whose largest rate changed.
    std::optional<int32_t> transmitTop;
    std::optional<int32_t> receiveTop;
  };

  void Reset();
  // A reading of the counters at tick (milliseconds, wrapping at 2^32). Nothing when the first
  // reading only sets the baseline or the tick has not moved since the last one.
  std::optional<Step> Read(uint32_t tick, uint32_t sentOctets, uint32_t receivedOctets);
  size_t Count() const { return count_; }

 private:
  struct Rates {
    int32_t transmit = 0;
    int32_t receive = 0;
  };

  std::array<Rates, kCapacity> ring_{};
  size_t next_ = 0;
  size_t count_ = 0;
  uint32_t lastTick_ = 0;
  uint32_t lastSent_ = 0;
  uint32_t lastReceived_ = 0;
  uint32_t sentCorrection_ = 0;
  uint32_t receivedCorrection_ = 0;
  int32_t largestTransmit_ = kInitialLargest;
  int32_t largestReceive_ = kInitialLargest;
};

}  // namespace pages
