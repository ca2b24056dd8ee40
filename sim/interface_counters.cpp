#include "sim/interface_counters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

// The swing of a varying rate: three slow waves whose periods share no common measure, so the
// rate wanders without a visible repeat. Their weights add up to one, so the rate stays within
// the variation around its mean and never drops below zero.
struct Wave {
  double periodMs;
  double weight;
  double phase;
};
constexpr Wave kWaves[] = {{23'000, 0.5, 0.0}, {7'300, 0.3, 1.3}, {2'900, 0.2, 4.1}};
// Sending follows other waves than receiving: the two graphs of a link do not move as one.
constexpr double kSendPhaseShift = 2.0;

// The integral of the waves from 0 to ms, in milliseconds: bounded, so the mean rate holds.
double SwingIntegralMs(uint64_t ms, double phaseShift) {
  double sum = 0;
  for (const Wave& wave : kWaves) {
    const double omega = 2 * std::numbers::pi / wave.periodMs;
    const double phase = wave.phase + phaseShift;
    sum +=
        wave.weight / omega * (std::cos(phase) - std::cos(omega * static_cast<double>(ms) + phase));
  }
  return sum;
}

// The bytes a link carries in its first ms at a mean of bytesPerSecond: never decreasing in ms,
// since the rate it integrates is never negative. The steady part is counted in whole numbers,
// so a steady rate counts exactly.
uint64_t CarriedBytes(uint32_t bytesPerSecond, uint32_t variationPercent, double phaseShift,
                      uint64_t ms) {
  const uint64_t steady = uint64_t{bytesPerSecond} * ms;  // byte-milliseconds
  const uint64_t whole = steady / 1000;
  if (variationPercent == 0) return whole;
  const double swing =
      bytesPerSecond * (variationPercent / 100.0) * SwingIntegralMs(ms, phaseShift);
  // The swing stays within a few seconds' worth of bytes: small enough for a double.
  const auto rest =
      static_cast<int64_t>(std::floor((static_cast<double>(steady % 1000) + swing) / 1000.0));
  if (rest < 0 && static_cast<uint64_t>(-rest) > whole) return 0;
  return rest < 0 ? whole - static_cast<uint64_t>(-rest) : whole + static_cast<uint64_t>(rest);
}

// The bytes carried between two moments after the link came up.
uint64_t CarriedBetween(uint32_t bytesPerSecond, uint32_t variationPercent, double phaseShift,
                        uint64_t fromMs, uint64_t toMs) {
  const uint64_t before = CarriedBytes(bytesPerSecond, variationPercent, phaseShift, fromMs);
  const uint64_t after = CarriedBytes(bytesPerSecond, variationPercent, phaseShift, toMs);
  return after > before ? after - before : 0;
}

}  // namespace

OctetCounts Octets(const LinkState& link, uint64_t nowMs) {
  OctetCounts counts{link.counters.inOctets, link.counters.outOctets};
  if (!link.association) return counts;
  const Association& association = *link.association;
  const uint64_t from = std::max(link.counters.sinceMs, association.upAtMs);
  if (nowMs <= from) return counts;
  const bool answered = association.framesPass && !association.ownIbss;
  const TrafficDescription& traffic = association.traffic;
  const uint32_t inRate = answered ? traffic.receiveBytesPerSecond : 0;
  const uint32_t outRate = answered ? traffic.sendBytesPerSecond : kUnansweredSendBytesPerSecond;
  const uint32_t variation = answered ? traffic.variationPercent : 0;
  // The waves run from the moment the link came up.
  const uint64_t start = from - association.upAtMs;
  const uint64_t end = nowMs - association.upAtMs;
  counts.in += CarriedBetween(inRate, variation, 0, start, end);
  counts.out += CarriedBetween(outRate, variation, kSendPhaseShift, start, end);
  return counts;
}

void SettleCounters(LinkState& link, uint64_t nowMs) {
  const OctetCounts counts = Octets(link, nowMs);
  link.counters.inOctets = counts.in;
  link.counters.outOctets = counts.out;
  link.counters.sinceMs = std::max(link.counters.sinceMs, nowMs);
}

}  // namespace sim
