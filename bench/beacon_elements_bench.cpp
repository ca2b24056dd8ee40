// What the survey reads from one beacon's elements (security masks when privacy is set, 802.11n,
// WPS), per beacon, over a corpus of real element blobs: every network of both presets as the
// simulated machine builds its beacon, and busy beacons of the kind crowded places are full of.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <variant>
#include <vector>

#include "lib/common/information_elements_survey.h"
#include "sim/beacon_elements.h"
#include "sim/machine_description.h"
#include "sim/presets.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Beacon {
  Bytes elements;
  bool privacy;
};

// Built with resize and copy: GCC 12 at -O3 warns wrongly about inserting into a short vector.
void Append(Bytes& to, const Bytes& bytes) {
  const size_t at = to.size();
  to.resize(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), to.begin() + static_cast<std::ptrdiff_t>(at));
}

Bytes Element(uint8_t id, const Bytes& body) {
  Bytes element(2);
  element[0] = id;
  element[1] = static_cast<uint8_t>(body.size());
  Append(element, body);
  return element;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& part : parts) Append(all, part);
  return all;
}

Bytes WpsAttribute(uint16_t type, const Bytes& value) {
  Bytes attribute(4);
  attribute[0] = static_cast<uint8_t>(type >> 8);
  attribute[1] = static_cast<uint8_t>(type);
  attribute[2] = static_cast<uint8_t>(value.size() >> 8);
  attribute[3] = static_cast<uint8_t>(value.size());
  Append(attribute, value);
  return attribute;
}

// What an access point puts in front of its security elements: name, rates, channel, TIM,
// country, ERP and the extended rates.
Bytes Preamble() {
  return Concat({Element(0, {'C', 'i', 't', 'y', '-', 'H', 'o', 't', 's', 'p', 'o', 't'}),
                 Element(1, {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24}), Element(3, {6}),
                 Element(5, {0, 1, 0, 0}), Element(7, {'D', 'E', ' ', 1, 13, 20}), Element(42, {0}),
                 Element(50, {0x30, 0x48, 0x60, 0x6C})});
}

Bytes HtElements() {
  return Concat({sim::HtCapabilitiesElement(), sim::HtOperationElement(6)});
}

// WMM parameter element: QoS info, reserved, four access-category records.
Bytes Wmm() {
  return Element(221, {0x00, 0x50, 0xF2, 0x02, 0x01, 0x01, 0x80, 0x00, 0x03, 0xA4, 0x00, 0x00,
                       0x27, 0xA4, 0x00, 0x00, 0x42, 0x43, 0x5E, 0x00, 0x62, 0x32, 0x2F, 0x00});
}

Bytes BusyWps() {
  Bytes body{0x00, 0x50, 0xF2, 0x04};
  for (const Bytes& attribute : {
           WpsAttribute(0x104A, {0x10}),                                // version
           WpsAttribute(0x1044, {0x02}),                                // configured
           WpsAttribute(0x1057, {0x00}),                                // setup not locked
           WpsAttribute(0x103B, {0x03}),                                // response type: AP
           WpsAttribute(0x1047, Bytes(16, 0x5A)),                       // UUID-E
           WpsAttribute(0x1021, {'H', 'a', 'l', 'v', 'o', 'r', 'n'}),   // manufacturer
           WpsAttribute(0x1023, {'H', 'X', '-', '3', '0', '0'}),        // model name
           WpsAttribute(0x1024, {'3', '0', '0'}),                       // model number
           WpsAttribute(0x1042, {'0', '0', '0', '1'}),                  // serial number
           WpsAttribute(0x1054, {0, 6, 0x00, 0x50, 0xF2, 0x04, 0, 1}),  // primary device type
           WpsAttribute(0x1011, {'H', 'a', 'l', 'v', 'o', 'r', 'n', 'A', 'P'}),  // device name
           WpsAttribute(0x1008, {0x00, 0x84}),                                   // config methods
           WpsAttribute(0x103C, {0x03}),                                         // both bands
           WpsAttribute(0x1041, {0x01}),                                // registrar selected
           WpsAttribute(0x1012, {0x00, 0x04}),                          // push button
           WpsAttribute(0x1053, {0x00, 0x80}),                          // its config methods
           WpsAttribute(0x1049, {0x00, 0x37, 0x2A, 0x00, 0x01, 0x20}),  // WFA extension
       }) {
    Append(body, attribute);
  }
  return Element(221, body);
}

std::vector<Beacon> BusyBeacons() {
  // RSN: TKIP group, TKIP and CCMP pairwise, 802.1X and PSK key management, capabilities.
  const Bytes rsnTwoByTwo =
      Element(48, {1,    0, 0x00, 0x0F, 0xAC, 2,    2,    0, 0x00, 0x0F, 0xAC, 2, 0x00, 0x0F,
                   0xAC, 4, 2,    0,    0x00, 0x0F, 0xAC, 1, 0x00, 0x0F, 0xAC, 2, 0x0C, 0x00});
  const Bytes wpa =
      Element(221, {0x00, 0x50, 0xF2, 1,    1,    0,    0x00, 0x50, 0xF2, 2,    2,    0,    0x00,
                    0x50, 0xF2, 2,    0x00, 0x50, 0xF2, 4,    1,    0,    0x00, 0x50, 0xF2, 2});
  const Bytes rsnPsk = Element(48, {1,    0, 0x00, 0x0F, 0xAC, 4,    1,    0, 0x00, 0x0F,
                                    0xAC, 4, 1,    0,    0x00, 0x0F, 0xAC, 2, 0x00, 0x00});
  // Protected management frames required: PSK and PSK-SHA256, no PMKIDs, BIP for management.
  const Bytes rsnPmf = Element(
      48, {1,    0,    0x00, 0x0F, 0xAC, 4,    1, 0,    0x00, 0x0F, 0xAC, 4,    2,    0,    0x00,
           0x0F, 0xAC, 2,    0x00, 0x0F, 0xAC, 6, 0xC0, 0x00, 0,    0,    0x00, 0x0F, 0xAC, 6});
  const Bytes extendedCapabilities = Element(127, {0x04, 0x00, 0x08, 0x00, 0, 0, 0, 0x40});
  const Bytes rmCapabilities = Element(70, {0x72, 0x08, 0x01, 0x00, 0x00});
  const Bytes wpaRsnWmm = Concat({Preamble(), wpa, rsnPsk, HtElements(), Wmm()});
  // The same beacon cut short inside its WMM element, as a partly heard frame arrives.
  const Bytes truncated(wpaRsnWmm.begin(), wpaRsnWmm.end() - 9);
  return {
      {Concat({Preamble(), rsnTwoByTwo, HtElements(), Wmm()}), true},
      {wpaRsnWmm, true},
      {Concat({Preamble(), rsnPsk, HtElements(), Wmm(), BusyWps()}), true},
      {Concat({Preamble(), rsnPmf, rmCapabilities, HtElements(), extendedCapabilities, Wmm()}),
       true},
      {truncated, true},
  };
}

std::vector<Beacon> PresetBeacons() {
  std::vector<Beacon> beacons;
  for (const auto& preset : sim::BuiltInPresets()) {
    const auto parsed = sim::ParseMachineDescription(preset.description);
    for (const auto& network : std::get<sim::MachineDescription>(parsed).neighbourhood) {
      beacons.push_back(Beacon{sim::BeaconElements(network), sim::HasPrivacy(network)});
    }
  }
  return beacons;
}

// What the survey stores of a beacon, folded so the reads cannot be optimised away.
uint32_t ReadBeacon(const Beacon& beacon) {
  const vtr::SurveyElements read =
      vtr::ReadSurveyElements(beacon.elements.data(), beacon.elements.size(), beacon.privacy);
  return read.security.authMask << 8 ^ read.security.cipherMask << 4 ^ (read.isHt ? 1u : 0u) ^
         read.wps.hasWps << 1 ^ read.wps.wpsPbcActive << 2;
}

// One beacon per iteration, the corpus in turn: the time per iteration is the time per beacon.
void ReadBeacons(benchmark::State& state, const std::vector<Beacon>& beacons) {
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadBeacon(beacons[next]));
    next = next + 1 == beacons.size() ? 0 : next + 1;
  }
  state.counters["beacons"] = static_cast<double>(beacons.size());
}

void BM_SurveyReadsBeacons(benchmark::State& state) {
  auto beacons = PresetBeacons();
  for (auto& busy : BusyBeacons()) beacons.push_back(std::move(busy));
  ReadBeacons(state, beacons);
}
BENCHMARK(BM_SurveyReadsBeacons);

void BM_SurveyReadsBusyBeacons(benchmark::State& state) {
  ReadBeacons(state, BusyBeacons());
}
BENCHMARK(BM_SurveyReadsBusyBeacons);

}  // namespace
