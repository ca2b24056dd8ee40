#include "app/pages/throughput_history.h"

#include <algorithm>
#include <limits>

#include "app/core/mul_div.h"

namespace pages {

namespace {

constexpr int32_t kSmallestTop = 200;
constexpr int32_t kMillisecondBits = 8000;  // bytes per millisecond to bits per second

// A counter below its last value went round: its correction drops by one. The counter's value
// is always its reading plus its correction.
uint32_t Corrected(uint32_t reading, uint32_t last, uint32_t& correction) {
  if (reading + correction < last) --correction;
  return reading + correction;
}

int32_t RateOf(uint32_t now, uint32_t last, uint32_t elapsedMs) {
  return core::MulDiv(static_cast<int32_t>(now - last), kMillisecondBits,
                      static_cast<int32_t>(elapsedMs));
}

}  // namespace

int32_t AxisTop(int32_t largestRate) {
  const double top = std::min(largestRate * 1.2, double{std::numeric_limits<int32_t>::max()});
  return std::max(static_cast<int32_t>(top), kSmallestTop);
}

void ThroughputHistory::Reset() {
  *this = ThroughputHistory();
}

std::optional<ThroughputHistory::Step> ThroughputHistory::Read(uint32_t tick, uint32_t sentOctets,
                                                               uint32_t receivedOctets) {
  if (lastSent_ == 0 || lastReceived_ == 0) {
    lastTick_ = tick;
    lastSent_ = sentCorrection_ + sentOctets;
    lastReceived_ = receivedCorrection_ + receivedOctets;
  }
  if (tick == lastTick_) return std::nullopt;
  uint32_t elapsed = tick - lastTick_;
  // The tick count went round: one more millisecond off, as Windows' tick arithmetic has it.
  if (tick < lastTick_) --elapsed;
  const uint32_t sent = Corrected(sentOctets, lastSent_, sentCorrection_);
  const uint32_t received = Corrected(receivedOctets, lastReceived_, receivedCorrection_);

  Step step;
  step.receive = RateOf(received, lastReceived_, elapsed);
  step.transmit = RateOf(sent, lastSent_, elapsed);
  lastTick_ = tick;
  lastSent_ = sent;
  lastReceived_ = received;

  ring_[next_] = {step.transmit, step.receive};
  count_ = std::min(count_ + 1, kCapacity);
  const auto stored = ring_.begin() + static_cast<std::ptrdiff_t>(count_);
  const int32_t largestTransmit = std::max_element(ring_.begin(), stored, [](auto a, auto b) {
                                    return a.transmit < b.transmit;
                                  })->transmit;
  const int32_t largestReceive = std::max_element(ring_.begin(), stored, [](auto a, auto b) {
                                   return a.receive < b.receive;
                                 })->receive;
  if (largestTransmit != largestTransmit_ && largestTransmit != 0) {
    largestTransmit_ = largestTransmit;
    step.transmitTop = AxisTop(largestTransmit);
  }
  if (largestReceive != largestReceive_ && largestReceive != 0) {
    largestReceive_ = largestReceive;
    step.receiveTop = AxisTop(largestReceive);
  }
  next_ = (next_ + 1) % kCapacity;
  return step;
}

}  // namespace pages
