// Reading the wireless adapter's hardware and the neighbourhood from machine.json: what each
// field means, and faults named by their field path.
#include <gtest/gtest.h>

#include "sim/adapter_state.h"
#include "sim/machine_description.h"
#include "support/machine_fixture.h"

namespace {

std::string FaultOf(const nlohmann::json& description) {
  auto parsed = sim::ParseMachineDescription(description.dump());
  auto* fault = std::get_if<std::string>(&parsed);
  return fault != nullptr ? *fault : std::string("(no fault)");
}

nlohmann::json WithNetwork(nlohmann::json network) {
  auto description = testing_support::XpDescription();
  description["neighbourhood"] = nlohmann::json::array({network});
  return description;
}

nlohmann::json BaseNetwork() {
  return {{"ssid", "N"}, {"bssid", "00-01-02-03-04-05"}, {"channel", 6}, {"rssi", -50}};
}

TEST(NeighbourhoodDescription, FaultsNameTheField) {
  const struct {
    const char* field;
    nlohmann::json value;
    const char* fault;
  } cases[] = {
      {"channel", 15,
       "machine.json.neighbourhood[0].channel: no such channel (1-14, 34-165, "
       "183-196)"},
      {"rssi", 5, "machine.json.neighbourhood[0].rssi: expected dBm from -200 to 0"},
      {"rates", "a",
       "machine.json.neighbourhood[0].rates: \"a\" rates do not fit a 2.4 GHz "
       "channel"},
      {"bssid", "00-01-02-03-04",
       "machine.json.neighbourhood[0].bssid: expected 6 address "
       "bytes"},
      {"ssid", std::string(33, 'x'), "machine.json.neighbourhood[0].ssid: at most 32 bytes"},
      {"security", "wpa3",
       "machine.json.neighbourhood[0].security: expected open, wep, "
       "wpa-psk, wpa2-psk, wpa-wpa2-psk, wpa, wpa2 or wpa-wpa2"},
      {"ciphers", "tkip",
       "machine.json.neighbourhood[0].ciphers: only WPA and WPA2 networks "
       "name their ciphers"},
      {"ht", "yes",
       "machine.json.neighbourhood[0].ht: expected \"none\", \"standard\" or "
       "\"prestandard\""},
      {"extraIes", "dd0",
       "machine.json.neighbourhood[0].extraIes: expected hexadecimal bytes "
       "like \"dd05 0050f204\""},
      {"mode", "mesh",
       "machine.json.neighbourhood[0].mode: expected \"infrastructure\" or "
       "\"adhoc\""},
      {"wps",
       {{"devicePasswordId", "nfc"}},
       "machine.json.neighbourhood[0].wps.devicePasswordId: expected \"pin\", \"push-button\" or "
       "a number"},
      {"credentials",
       {{"wepKeys", {"0102"}}},
       "machine.json.neighbourhood[0].credentials.wepKeys[0]: expected 5 or 13 bytes"},
  };
  for (const auto& c : cases) {
    auto network = BaseNetwork();
    network[c.field] = c.value;
    EXPECT_EQ(FaultOf(WithNetwork(network)), c.fault) << c.field;
  }
  auto both = BaseNetwork();
  both["frequency"] = 2437;
  EXPECT_EQ(FaultOf(WithNetwork(both)),
            "machine.json.neighbourhood[0]: give either \"channel\" or \"frequency\" (MHz)");
  auto noRssi = BaseNetwork();
  noRssi.erase("rssi");
  EXPECT_EQ(FaultOf(WithNetwork(noRssi)),
            "machine.json.neighbourhood[0]: missing required field \"rssi\"");

  auto description = testing_support::XpDescription();
  description["neighbourhood"] = {BaseNetwork(), BaseNetwork()};
  EXPECT_EQ(FaultOf(description),
            "machine.json.neighbourhood[1].bssid: another network has this address");
}

TEST(NeighbourhoodDescription, RadioBelongsToAWirelessAdapter) {
  auto description = testing_support::XpDescription();
  description["adapters"][0]["radio"] = nlohmann::json::object();
  EXPECT_EQ(FaultOf(description),
            "machine.json.adapters[0].radio: only a wireless adapter has one");
  description = testing_support::XpDescription();
  description["adapters"][1]["radio"]["firmwareVersion"] = "1.5.2";
  EXPECT_EQ(FaultOf(description),
            "machine.json.adapters[1].radio.firmwareVersion: expected "
            "\"major.minor\" like \"1.5\"");

  description["adapters"][1]["radio"] = {
      {"firmwareVersion", "2.10"}, {"ndisVersion", "5.0"}, {"region", 5}, {"dualBand", true}};
  auto parsed = sim::ParseMachineDescription(description.dump());
  const auto& radio = std::get<sim::MachineDescription>(parsed).adapters[1].radio;
  EXPECT_EQ(radio.firmwareVersion, 0x020A);
  EXPECT_EQ(radio.ndisVersion, 0x0500);
  EXPECT_EQ(radio.region, 5u);
  EXPECT_TRUE(radio.dualBand);
}

TEST(NeighbourhoodDescription, NetworksSurviveTheirOwnJson) {
  const auto machine = std::get<sim::MachineDescription>(
      sim::ParseMachineDescription(testing_support::XpDescription().dump()));
  for (const auto& network : machine.neighbourhood) {
    sim::NetworkDescription again;
    ASSERT_FALSE(sim::ParseNetworkText(sim::NetworkJson(network).dump(), again).has_value());
    EXPECT_EQ(again, network) << sim::SsidText(network);
  }
  // Hidden names, non-ASCII names and secrets are kept.
  const auto& hidden = machine.neighbourhood[10];
  EXPECT_TRUE(hidden.hidden);
  EXPECT_EQ(std::string(hidden.ssid.begin(), hidden.ssid.end()), "Backroom");
  EXPECT_EQ(sim::SsidText(machine.neighbourhood[13]), "Caf\\xC3\\xA9-Luna");
  EXPECT_EQ(machine.neighbourhood[4].credentials.wepKeys[0],
            (std::vector<uint8_t>{0x1a, 0x2b, 0x3c, 0x4d, 0x5e}));
}

TEST(NeighbourhoodDescription, ChannelsAndFrequencies) {
  const struct {
    uint32_t channel, frequency;
  } pairs[] = {{1, 2412},   {13, 2472},  {14, 2484}, {36, 5180},
               {153, 5765}, {165, 5825}, {184, 4920}};
  for (const auto& p : pairs) {
    EXPECT_EQ(sim::ChannelFrequencyMHz(p.channel), p.frequency) << p.channel;
    EXPECT_EQ(sim::FrequencyChannel(p.frequency), p.channel) << p.frequency;
  }
  EXPECT_EQ(sim::ChannelFrequencyMHz(0), 0u);
  EXPECT_EQ(sim::ChannelFrequencyMHz(15), 0u);
  EXPECT_EQ(sim::FrequencyChannel(2413), 0u);
}

}  // namespace

namespace {

TEST(AdapterStateText, SurvivesItsOwnFormat) {
  sim::AdapterState state;
  state.present = false;
  state.radioOn = false;
  state.region = 5;
  state.regionProgrammed = true;
  state.settings[0x0D71010C] = {9, 0, 0, 0};
  state.keys.push_back({0x80000001u, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {1, 2, 3, 4, 5}});
  for (uint64_t start : {uint64_t{0}, uint64_t{1} << 40, ~uint64_t{0}}) {
    state.scanStartMs = start;
    state.previousList = std::get<sim::MachineDescription>(
                             sim::ParseMachineDescription(testing_support::XpDescription().dump()))
                             .neighbourhood;
    sim::AdapterState again;
    ASSERT_FALSE(sim::ParseAdapterState(sim::FormatAdapterState(state), again).has_value());
    EXPECT_EQ(again, state);
  }
  sim::AdapterState bad;
  EXPECT_EQ(sim::ParseAdapterState(R"({"present":true,"radioOn":true,"region":1,
      "regionProgrammed":false,"scanStartMs":-1})",
                                   bad),
            "adapter state.scanStartMs: number out of range");
  EXPECT_EQ(sim::ParseAdapterState(R"({"present":true,"radioOn":true,"region":1,
      "regionProgrammed":false,"settings":{"0x0D71010C":"9"}})",
                                   bad),
            "adapter state.settings.0x0D71010C: expected hexadecimal bytes like \"dd05 0050f204\"");
}

}  // namespace
