// Building survey entries from BSSID lists laid out byte by byte: every field, the filters,
// the output bound, and lists and items whose lengths cannot be trusted.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "survey_test_lists.h"

// The library exports only its VTR_* functions; this internal is compiled into the tests here,
// and only here. The element parsers and conversions it calls are compiled into the tests of
// those.
#include "lib/driver/survey_list.h"

namespace {

using namespace survey_test;

constexpr uint8_t kCanary = 0xA5;

struct Survey {
  uint32_t count;
  std::vector<VtrSurveyEntry> entries;
};

Survey Build(const Bytes& list, uint32_t filterMask = 0, uint32_t signalFormat = 0,
             uint32_t capacity = vtr::kSurveyCapacity) {
  Survey survey{0, std::vector<VtrSurveyEntry>(capacity + 2)};
  std::memset(survey.entries.data(), 0, survey.entries.size() * sizeof(VtrSurveyEntry));
  for (auto& entry : survey.entries) entry.reserved302[0] = entry.reserved302[1] = kCanary;
  survey.count = vtr::BuildSurveyEntries(list.data(), list.size(), filterMask, signalFormat,
                                         survey.entries.data(), capacity);
  return survey;
}

std::string Names(const Survey& survey) {
  std::string names;
  for (uint32_t i = 0; i < survey.count; ++i) names += std::string(survey.entries[i].ssid) + " ";
  return names;
}

Network Named(const std::string& ssid) {
  Network network;
  network.ssid = ssid;
  return network;
}

TEST(SurveyList, FillsEveryFieldOfAnEntry) {
  Network network;
  network.mac = {0x00, 0x0C, 0x43, 0xAB, 0xCD, 0xEF};
  network.ssid = "home";
  network.privacy = 1;
  network.rssi = -60;
  network.frequencyKhz = 2412000;
  network.elements = Concat({Element(0, {'h', 'o', 'm', 'e'}), Element(1, kRates11g), Rsn({4}, {2}),
                             Element(45, Bytes(26, 0)), WpsAnnouncement(1, 4)});
  std::vector<VtrSurveyEntry> entries(2);
  std::memset(entries.data(), 'Z', entries.size() * sizeof(VtrSurveyEntry));
  const Bytes list = List({Item(network)});
  ASSERT_EQ(vtr::BuildSurveyEntries(list.data(), list.size(), 0, 0, entries.data(), 2), 1u);
  const VtrSurveyEntry& entry = entries[0];
  EXPECT_EQ(entry.phyMode, 4u);
  // Exactly the name's bytes: the caller's byte after them is still there.
  EXPECT_EQ(std::string(entry.ssid, 5), "homeZ");
  EXPECT_STREQ(entry.bssid, "00-0C-43-AB-CD-EF");
  EXPECT_EQ(entry.channel, 1u);
  EXPECT_EQ(entry.signal, 76);
  EXPECT_STREQ(entry.frequency, "2.412 GHz");
  EXPECT_EQ(entry.isHt, 1);
  EXPECT_EQ(entry.hasWps, 1);
  EXPECT_EQ(entry.wpsPbcActive, 1);
  EXPECT_EQ(entry.reserved302[0], 'Z');
  EXPECT_EQ(entry.reserved302[1], 'Z');
  EXPECT_EQ(entry.networkType, 1u);
  EXPECT_EQ(entry.authMask, 8u);
  EXPECT_EQ(entry.cipherMask, 4u);
  EXPECT_EQ(entries[1].phyMode, 0x5A5A5A5Au);  // the next entry is not touched
}

TEST(SurveyList, NamesSignalsAndFrequencies) {
  Network hidden = Named("");
  Network weak = Named("weak");
  weak.rssi = -200;
  Network fiveGhz = Named("five");
  fiveGhz.frequencyKhz = 5765000;
  fiveGhz.rates = kRates11b;  // the frequency decides, not the rates
  Network upper = Named("upper");
  upper.frequencyKhz = 5785000;
  Network broken = Named("broken");
  broken.frequencyKhz = 0xFFFFFFFF;
  const Bytes list = List({Item(hidden), Item(weak), Item(fiveGhz), Item(upper), Item(broken)});

  const Survey percent = Build(list);
  ASSERT_EQ(percent.count, 5u);
  // A hidden network's name stays as the caller zeroed it.
  EXPECT_EQ(std::memcmp(percent.entries[0].ssid, std::string(257, '\0').data(), 257), 0);
  EXPECT_EQ(percent.entries[1].signal, 0);
  EXPECT_EQ(percent.entries[2].channel, 153u);
  EXPECT_STREQ(percent.entries[2].frequency, "5.765 GHz");
  EXPECT_EQ(percent.entries[2].phyMode, 6u);
  EXPECT_EQ(percent.entries[3].channel, 157u);
  EXPECT_STREQ(percent.entries[3].frequency, "5.785 GHz");
  // A frequency no driver gives is cut to the field, terminated, and has no channel.
  EXPECT_STREQ(percent.entries[4].frequency, "4294.967 G");
  EXPECT_EQ(percent.entries[4].channel, 0u);

  const Survey dbm = Build(list, 0, 1);
  EXPECT_EQ(dbm.entries[1].signal, -200);
  EXPECT_EQ(dbm.entries[0].signal, -60);
  EXPECT_EQ(Build(list, 0, 2).entries[1].signal, 0);  // only bit 0 asks for dBm
}

TEST(SurveyList, SecurityOnlyForNetworksWithPrivacy) {
  Network open = Named("open");
  open.elements = Rsn({4}, {2});  // ignored: the network has no privacy
  Network wep = Named("wep");
  wep.privacy = 1;
  Network mixed = Named("mixed");
  mixed.privacy = 1;
  mixed.elements = Concat({Rsn({4}, {2}), Wpa({2}, {2})});
  const Survey survey = Build(List({Item(open), Item(wep), Item(mixed)}));
  ASSERT_EQ(survey.count, 3u);
  EXPECT_EQ(survey.entries[0].authMask, 0u);
  EXPECT_EQ(survey.entries[0].cipherMask, 0u);
  EXPECT_EQ(survey.entries[1].authMask, 0u);
  EXPECT_EQ(survey.entries[1].cipherMask, 1u);
  EXPECT_EQ(survey.entries[2].authMask, 12u);
  EXPECT_EQ(survey.entries[2].cipherMask, 6u);
}

TEST(SurveyList, FiltersByBandForInfrastructureAndByTypeForAdHoc) {
  std::vector<Bytes> items;
  for (const bool adHoc : {true, false}) {
    for (const char* band : {"a", "b", "g"}) {
      Network network = Named(std::string(adHoc ? "adhoc-" : "infra-") + band);
      network.infrastructureMode = adHoc ? platform::kModeIbss : platform::kModeInfrastructure;
      network.rates = band[0] == 'b' ? kRates11b : kRates11g;
      network.frequencyKhz = band[0] == 'a' ? 5180000 : 2437000;
      items.push_back(Item(network));
    }
  }
  Network unknownMode = Named("auto-g");
  unknownMode.infrastructureMode = platform::kModeAutoUnknown;
  items.push_back(Item(unknownMode));
  const Bytes list = List(items);

  const Survey all = Build(list);
  EXPECT_EQ(Names(all), "adhoc-a adhoc-b adhoc-g infra-a infra-b infra-g auto-g ");
  EXPECT_EQ(all.entries[0].networkType, 0u);
  EXPECT_EQ(all.entries[6].networkType, 1u);
  EXPECT_EQ(Names(Build(list, 14)), "adhoc-a adhoc-b adhoc-g ");
  EXPECT_EQ(Names(Build(list, 1)), "infra-a infra-b infra-g auto-g ");
  EXPECT_EQ(Names(Build(list, 2)), "adhoc-a adhoc-b adhoc-g infra-b infra-g auto-g ");
  EXPECT_EQ(Names(Build(list, 4)), "adhoc-a adhoc-b adhoc-g infra-a infra-g auto-g ");
  EXPECT_EQ(Names(Build(list, 8)), "adhoc-a adhoc-b adhoc-g infra-a infra-b ");
  EXPECT_EQ(Build(list, 15).count, 0u);
  EXPECT_EQ(Build(list, 0xFFFFFFF0).count, 7u);  // bits above 8 mean nothing
}

TEST(SurveyList, WritesAtMost128EntriesInListOrder) {
  // A full list: 192 items of the fixed part and the beacon's fixed fields fill the buffer the
  // driver is asked with.
  std::vector<Bytes> items;
  for (int i = 0; i < 192; ++i) {
    Network network = Named("n" + std::to_string(i));
    network.infrastructureMode = i % 2 == 0 ? platform::kModeInfrastructure : platform::kModeIbss;
    items.push_back(Item(network));
  }
  const Bytes list = List(items);
  ASSERT_EQ(list.size(), 24580u);
  const Survey full = Build(list);
  ASSERT_EQ(full.count, 128u);
  EXPECT_STREQ(full.entries[127].ssid, "n127");
  EXPECT_EQ(full.entries[128].phyMode, 0u);  // the array's end is respected
  EXPECT_EQ(full.entries[128].reserved302[0], kCanary);
  // Filtered items use no entry: with ad hoc left out, the 96 infrastructure items all fit.
  const Survey filtered = Build(list, 1);
  ASSERT_EQ(filtered.count, 96u);
  EXPECT_STREQ(filtered.entries[95].ssid, "n190");
  EXPECT_EQ(Build(list, 0, 0, 3).count, 3u);
}

TEST(SurveyList, WalkEndsAtItemsWhoseLengthCannotBeTrusted) {
  const Bytes a = Item(Named("a"));
  const Bytes b = Item(Named("b"));
  const Bytes c = Item(Named("c"));
  auto withLength = [](Bytes item, uint32_t length) {
    StoreLe32(item, 0, length);
    return item;
  };
  EXPECT_EQ(Names(Build(List({a, withLength(b, 0), c}))), "a ");
  EXPECT_EQ(Names(Build(List({a, withLength(b, 115), c}))), "a ");
  EXPECT_EQ(Names(Build(List({a, withLength(b, 116), c}))), "a b ");  // the fixed part alone
  EXPECT_EQ(Names(Build(List({a, b, withLength(c, static_cast<uint32_t>(c.size()) + 1)}))), "a b ");
  EXPECT_EQ(Names(Build(List({a, withLength(b, 0xFFFFFFFF), c}))), "a ");

  // A count larger than the items there: the walk ends with the bytes.
  Bytes overcounted = List({a, b});
  StoreLe32(overcounted, 0, 1000);
  EXPECT_EQ(Names(Build(overcounted)), "a b ");
  // A count smaller than the items there: the rest are not read.
  Bytes undercounted = List({a, b, c});
  StoreLe32(undercounted, 0, 2);
  EXPECT_EQ(Names(Build(undercounted)), "a b ");
  // A list cut inside an item's fixed part.
  const Bytes cut = List({a, b});
  EXPECT_EQ(Names(Build(Bytes(cut.begin(), cut.end() - 10))), "a ");
  EXPECT_EQ(Build(Bytes{1, 0, 0}).count, 0u);
  EXPECT_EQ(vtr::BuildSurveyEntries(nullptr, 0, 0, 0, nullptr, 128), 0u);
}

TEST(SurveyList, ElementsAreReadWithinIeLengthAndTheItem) {
  Network ht = Named("ht");
  ht.privacy = 1;
  ht.elements = Concat({Rsn({4}, {2}), Element(45, Bytes(26, 0))});
  const Bytes item = Item(ht);
  constexpr size_t kIeLengthOffset = 112;

  // IELength beyond the item: the elements are read up to the item's end.
  Bytes overlong = item;
  StoreLe32(overlong, kIeLengthOffset, 0xFFFFFFFF);
  const Survey clipped = Build(List({overlong, Item(Named("next"))}));
  ASSERT_EQ(clipped.count, 2u);
  EXPECT_EQ(clipped.entries[0].isHt, 1);
  EXPECT_EQ(clipped.entries[0].cipherMask, 4u);
  EXPECT_STREQ(clipped.entries[1].ssid, "next");

  // IELength covering only the RSN element: the HT element behind it is not seen.
  Bytes shorter = item;
  StoreLe32(shorter, kIeLengthOffset, static_cast<uint32_t>(12 + Rsn({4}, {2}).size()));
  const Survey partial = Build(List({shorter}));
  EXPECT_EQ(partial.entries[0].isHt, 0);
  EXPECT_EQ(partial.entries[0].authMask, 8u);

  // IELength shorter than the fixed fields: no elements at all.
  for (uint32_t ieLength : {0u, 11u, 12u}) {
    Bytes none = item;
    StoreLe32(none, kIeLengthOffset, ieLength);
    const Survey bare = Build(List({none}));
    EXPECT_EQ(bare.entries[0].isHt, 0) << ieLength;
    EXPECT_EQ(bare.entries[0].cipherMask, 1u) << ieLength;
  }
}

TEST(SurveyList, NameLengthBeyondTheFieldCopiesTheFieldOnly) {
  Network network = Named("0123456789abcdef0123456789ABCDEF");
  Bytes item = Item(network);
  StoreLe32(item, 12, 200);
  const Survey survey = Build(List({item}));
  EXPECT_EQ(std::string(survey.entries[0].ssid), "0123456789abcdef0123456789ABCDEF");
}

}  // namespace
