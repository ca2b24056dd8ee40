// The bytes of the BSSID list items and beacon elements the simulated adapter builds.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/beacon_elements.h"
#include "sim/bssid_list.h"
#include "sim/machine.h"
#include "sim/machine_description.h"
#include "tests/sim/miniport_support.h"

namespace {

using namespace miniport_support;
using Bytes = std::vector<uint8_t>;

sim::NetworkDescription Network(const std::string& json) {
  sim::NetworkDescription network;
  const auto fault = sim::ParseNetworkText(json, network);
  EXPECT_FALSE(fault.has_value()) << fault.value_or("");
  return network;
}

const Element* Find(const std::vector<Element>& elements, uint8_t id, Bytes prefix = {}) {
  for (const auto& element : elements) {
    if (element.id == id && element.body.size() >= prefix.size() &&
        std::equal(prefix.begin(), prefix.end(), element.body.begin())) {
      return &element;
    }
  }
  return nullptr;
}

bool Contains(const Bytes& bytes, const Bytes& part) {
  return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

Item OnlyItem(const sim::NetworkDescription& network) {
  const Bytes list = sim::BuildBssidList({network}, 1000);
  const auto items = Items(list);
  EXPECT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].length % 4, 0u);
  EXPECT_EQ(list.size(), 4 + items[0].length);
  return items[0];
}

TEST(SecurityElements, RsnAndWpaCarryTheirSuites) {
  EXPECT_EQ(sim::SecurityElement(false, sim::NetworkCiphers::kAes, true),
            (Bytes{48,   20,   1, 0, 0x00, 0x0F, 0xAC, 4,    1, 0, 0x00,
                   0x0F, 0xAC, 4, 1, 0,    0x00, 0x0F, 0xAC, 2, 0, 0}));
  EXPECT_EQ(sim::SecurityElement(true, sim::NetworkCiphers::kTkip, false),
            (Bytes{221, 22, 0x00, 0x50, 0xF2, 1, 1, 0, 0x00, 0x50, 0xF2, 2,
                   1,   0,  0x00, 0x50, 0xF2, 2, 1, 0, 0x00, 0x50, 0xF2, 1}));
  // Both ciphers: TKIP as the group cipher and both listed pairwise.
  const Bytes both = sim::SecurityElement(false, sim::NetworkCiphers::kBoth, true);
  EXPECT_EQ(Bytes(both.begin() + 4, both.begin() + 18),
            (Bytes{0x00, 0x0F, 0xAC, 2, 2, 0, 0x00, 0x0F, 0xAC, 2, 0x00, 0x0F, 0xAC, 4}));
}

TEST(SecurityElements, EachSecurityKindAnnouncesItsElements) {
  const struct {
    const char* security;
    bool privacy, rsn, wpa;
    uint8_t akm;
  } cases[] = {
      {"open", false, false, false, 0},      {"wep", true, false, false, 0},
      {"wpa-psk", true, false, true, 2},     {"wpa2-psk", true, true, false, 2},
      {"wpa-wpa2-psk", true, true, true, 2}, {"wpa", true, false, true, 1},
      {"wpa2", true, true, false, 1},        {"wpa-wpa2", true, true, true, 1},
  };
  for (const auto& c : cases) {
    const Item item = OnlyItem(Network(std::string(R"({"ssid":"n","bssid":"00-01-02-03-04-05",
        "channel":6,"rssi":-50,"security":")") +
                                       c.security + "\"}"));
    const auto elements = Elements(item.ies.data(), item.ies.size());
    EXPECT_EQ(item.privacy, c.privacy ? 1u : 0u) << c.security;
    EXPECT_EQ((item.capabilities & 0x0010) != 0, c.privacy) << c.security;
    const Element* rsn = Find(elements, 48);
    const Element* wpa = Find(elements, 221, {0x00, 0x50, 0xF2, 1});
    EXPECT_EQ(rsn != nullptr, c.rsn) << c.security;
    EXPECT_EQ(wpa != nullptr, c.wpa) << c.security;
    if (rsn != nullptr) {
      EXPECT_EQ(rsn->body[rsn->body.size() - 3], c.akm) << c.security;
    }
    if (wpa != nullptr) {
      EXPECT_EQ(wpa->body.back(), c.akm) << c.security;
    }
  }
}

TEST(WpsElement, SelectedRegistrarComesBeforeTheDevicePasswordId) {
  sim::WpsDescription wps;
  wps.selectedRegistrar = true;
  wps.devicePasswordId = 4;
  const Bytes element = sim::WpsElement(wps, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(element[0], 221);
  ASSERT_EQ(element[1] + 2u, element.size());
  EXPECT_EQ(Bytes(element.begin() + 2, element.begin() + 6), (Bytes{0x00, 0x50, 0xF2, 4}));
  // Version 1.0, configured, selected registrar, push button, its config methods, UUID-E.
  EXPECT_EQ(Bytes(element.begin() + 6, element.begin() + 35),
            (Bytes{0x10, 0x4A, 0, 1, 0x10, 0x10, 0x44, 0,    1, 2, 0x10, 0x41, 0,    1,   1,
                   0x10, 0x12, 0, 2, 0,    4,    0x10, 0x53, 0, 2, 0x00, 0x84, 0x10, 0x47}));

  const Bytes idle = sim::WpsElement(sim::WpsDescription{}, {1, 2, 3, 4, 5, 6});
  EXPECT_GE(idle[1], 13);
  const Bytes attributes(idle.begin() + 6, idle.end());
  EXPECT_FALSE(Contains(attributes, {0x10, 0x41}));
  EXPECT_FALSE(Contains(attributes, {0x10, 0x12}));
}

TEST(HtElements, StandardAndPrestandardBodies) {
  const Bytes capabilities = sim::HtCapabilitiesElement();
  EXPECT_EQ(capabilities[0], 45);
  EXPECT_EQ(capabilities[1], 26);
  const Bytes operation = sim::HtOperationElement(11);
  EXPECT_EQ(operation[0], 61);
  EXPECT_EQ(operation[1], 22);
  EXPECT_EQ(operation[2], 11);
  EXPECT_EQ(operation[3] & 0x03, 3);  // the secondary channel lies below channel 11

  const Bytes prestandard = sim::PrestandardHtElements(6);
  const auto elements = Elements(prestandard.data(), prestandard.size());
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].body.size(), 30u);
  EXPECT_EQ(Bytes(elements[0].body.begin(), elements[0].body.begin() + 4),
            (Bytes{0x00, 0x90, 0x4C, 0x33}));
  EXPECT_EQ(elements[1].body.size(), 26u);
  EXPECT_EQ(Bytes(elements[1].body.begin(), elements[1].body.begin() + 5),
            (Bytes{0x00, 0x90, 0x4C, 0x34, 6}));
}

TEST(BssidItem, FieldsComeFromTheDescription) {
  const Item b = OnlyItem(Network(R"({"ssid":"Old","bssid":"00-09-5B-1E-44-A0","channel":11,
      "rssi":-73,"rates":"b","security":"wep"})"));
  EXPECT_EQ(Bytes(b.mac, b.mac + 6), (Bytes{0x00, 0x09, 0x5B, 0x1E, 0x44, 0xA0}));
  EXPECT_EQ(b.ssid, (Bytes{'O', 'l', 'd'}));
  EXPECT_EQ(b.rssi, -73);
  EXPECT_EQ(b.dsConfig, 2462000u);
  EXPECT_EQ(b.networkType, platform::kNetworkDs);
  EXPECT_EQ(b.infrastructureMode, platform::kModeInfrastructure);
  EXPECT_EQ(b.rates, (Bytes{0x82, 0x84, 0x8B, 0x96, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  const Item g = OnlyItem(Network(R"({"ssid":"G","bssid":"00-00-00-00-00-01","channel":1,
      "rssi":-40})"));
  EXPECT_EQ(g.networkType, platform::kNetworkOfdm24);
  const auto elements = Elements(g.ies.data(), g.ies.size());
  EXPECT_EQ(Find(elements, 1)->body.size(), 8u);
  EXPECT_EQ(Find(elements, 50)->body, (Bytes{0x0C, 0x12, 0x18, 0x60}));
  EXPECT_EQ(Find(elements, 3)->body, Bytes{1});

  const Item a = OnlyItem(Network(R"({"ssid":"A","bssid":"00-00-00-00-00-02","frequency":5765,
      "rssi":-200,"rates":"a","mode":"adhoc"})"));
  EXPECT_EQ(a.dsConfig, 5765000u);
  EXPECT_EQ(a.rssi, -200);
  EXPECT_EQ(a.networkType, platform::kNetworkOfdm5);
  EXPECT_EQ(a.infrastructureMode, platform::kModeIbss);
  EXPECT_EQ(a.capabilities & 0x0003, 0x0002);
}

TEST(BssidItem, HiddenNetworksAndRawElements) {
  const Item hidden = OnlyItem(Network(R"({"ssid":"Backroom","hidden":true,
      "bssid":"00-00-00-00-00-03","channel":6,"rssi":-64})"));
  EXPECT_TRUE(hidden.ssid.empty());
  EXPECT_EQ(Elements(hidden.ies.data(), hidden.ies.size())[0].body.size(), 0u);

  const Item raw = OnlyItem(Network(R"({"ssidHex":"c3a9","bssid":"00-00-00-00-00-04",
      "channel":6,"rssi":-64,"security":"wpa2-psk","ies":"3003 0100","extraIes":"dd10 0050f2"})"));
  EXPECT_EQ(raw.ssid, (Bytes{0xC3, 0xA9}));
  EXPECT_EQ(raw.ies, (Bytes{0x30, 0x03, 0x01, 0x00, 0xDD, 0x10, 0x00, 0x50, 0xF2}));
  EXPECT_EQ(raw.privacy, 1u);

  const Item notPrivate = OnlyItem(Network(R"({"ssid":"x","bssid":"00-00-00-00-00-05",
      "channel":6,"rssi":-64,"security":"wpa2-psk","privacy":false})"));
  EXPECT_EQ(notPrivate.privacy, 0u);
  EXPECT_NE(Find(Elements(notPrivate.ies.data(), notPrivate.ies.size()), 48), nullptr);
}

TEST(BssidItem, XpNeighbourhoodElementsAreWellFormed) {
  const auto machine =
      std::get<sim::MachineDescription>(sim::ParseMachineDescription(sim::PresetDescription("xp")));
  ASSERT_EQ(machine.neighbourhood.size(), 19u);
  const auto items = Items(sim::BuildBssidList(machine.neighbourhood, 0));
  int broken = 0, prestandard = 0, standard = 0, pushButton = 0;
  for (const auto& item : items) {
    bool complete = false;
    const auto elements = Elements(item.ies.data(), item.ies.size(), &complete);
    broken += complete ? 0 : 1;
    standard += Find(elements, 45) != nullptr ? 1 : 0;
    prestandard += Find(elements, 221, {0x00, 0x90, 0x4C, 0x34}) != nullptr ? 1 : 0;
    const Element* wps = Find(elements, 221, {0x00, 0x50, 0xF2, 4});
    if (wps != nullptr && Contains(wps->body, {0x10, 0x12, 0, 2, 0, 4})) {
      ++pushButton;
    }
  }
  // Only Far-Away carries a broken element, by description.
  EXPECT_EQ(broken, 1);
  EXPECT_EQ(standard, 6);
  EXPECT_EQ(prestandard, 2);
  EXPECT_EQ(pushButton, 1);
}

}  // namespace
