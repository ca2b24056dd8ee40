// The survey's sort: each key's exchange rule, and with it the order among equal keys, as the
// bubble sort over whole entries leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// The library exports only its VTR_* functions; this internal is compiled into the tests here,
// and only here.
#include "lib/common/survey_sort.h"

namespace {

VtrSurveyEntry Entry(const std::string& ssid) {
  VtrSurveyEntry entry;
  std::memset(&entry, 0, sizeof(entry));
  std::memcpy(entry.ssid, ssid.data(), ssid.size());
  return entry;
}

// The entries' names in their order; every test entry is named by its origin.
std::string Names(const std::vector<VtrSurveyEntry>& entries) {
  std::string names;
  for (const auto& entry : entries) names += std::string(entry.ssid) + " ";
  return names;
}

std::string Sorted(std::vector<VtrSurveyEntry> entries, uint32_t key, uint32_t descending) {
  vtr::SortEntries(key, descending, static_cast<uint32_t>(entries.size()), entries.data());
  return Names(entries);
}

std::vector<VtrSurveyEntry> WithSignals(std::initializer_list<std::pair<const char*, int32_t>> s) {
  std::vector<VtrSurveyEntry> entries;
  for (const auto& [name, signal] : s) {
    entries.push_back(Entry(name));
    entries.back().signal = signal;
  }
  return entries;
}

TEST(SurveySort, NamesCompareAsSignedBytes) {
  const std::vector<VtrSurveyEntry> entries{Entry("Net"), Entry(""), Entry("Network"),
                                            Entry("\xC3\xA9t\xC3\xA9"), Entry("Attic")};
  // Bytes above 0x7F are negative as signed characters and so come before ASCII; a name that
  // begins another is the smaller one; an empty name is the smallest of all.
  EXPECT_EQ(Sorted(entries, 0, 0), " \xC3\xA9t\xC3\xA9 Attic Net Network ");
  EXPECT_EQ(Sorted(entries, 0, 1), "Network Net Attic \xC3\xA9t\xC3\xA9  ");
}

TEST(SurveySort, EqualTextsAreNeverExchanged) {
  auto entries = std::vector<VtrSurveyEntry>{Entry("b1"), Entry("a"), Entry("b2"), Entry("c")};
  for (auto& entry : entries)
    std::strcpy(entry.frequency, entry.ssid[0] == 'a' ? "5.180 GHz" : "2.437 GHz");
  EXPECT_EQ(Sorted(entries, 7, 0), "b1 b2 c a ");
  EXPECT_EQ(Sorted(entries, 7, 1), "a b1 b2 c ");
}

TEST(SurveySort, SecurityIsAuthenticationThenCipherInTheirLowHalves) {
  const struct {
    const char* name;
    uint32_t auth;
    uint32_t cipher;
  } given[] = {
      {"psk2aes", 8, 4},
      {"open", 0, 0},
      {"wep", 0, 1},
      {"pskTkip", 4, 2},
      {"psk2aesHigh", 0x00010008, 0x00020004},  // the high halves are not looked at
      {"pskAes", 4, 4},
  };
  std::vector<VtrSurveyEntry> entries;
  for (const auto& g : given) {
    entries.push_back(Entry(g.name));
    entries.back().authMask = g.auth;
    entries.back().cipherMask = g.cipher;
  }
  EXPECT_EQ(Sorted(entries, 2, 0), "open wep pskTkip pskAes psk2aes psk2aesHigh ");
  EXPECT_EQ(Sorted(entries, 2, 1), "psk2aes psk2aesHigh pskAes pskTkip wep open ");
}

TEST(SurveySort, EqualNumbersAreExchangedToo) {
  // With every signal equal each comparison exchanges, and the passes reverse the list.
  const auto same = WithSignals({{"a", -60}, {"b", -60}, {"c", -60}, {"d", -60}});
  EXPECT_EQ(Sorted(same, 5, 1), "d c b a ");
  EXPECT_EQ(Sorted(same, 5, 0), "d c b a ");

  // Descending, exchange when the earlier is not greater:
  //   A B C D -> (B<=C) A C B D -> (B<=D) A C D B; (A<=C) C A D B; (C<=A) A C D B.
  const auto mixed = WithSignals({{"A", -50}, {"B", -70}, {"C", -50}, {"D", -70}});
  EXPECT_EQ(Sorted(mixed, 5, 1), "A C D B ");
  // Ascending, exchange when the earlier is not smaller:
  //   A B C D -> B A C D -> B C A D -> B C D A; B D C A; D B C A.
  EXPECT_EQ(Sorted(mixed, 5, 0), "D B C A ");
}

TEST(SurveySort, NumberColumnsCompareWithTheirSigns) {
  auto entries = WithSignals({{"ch0", 0}, {"ch-1", 0}, {"ch6", 0}, {"ch161", 0}});
  entries[0].channel = 0;
  entries[1].channel = 0xFFFFFFFF;  // -1 as the signed value compared
  entries[2].channel = 6;
  entries[3].channel = 161;
  EXPECT_EQ(Sorted(entries, 4, 0), "ch-1 ch0 ch6 ch161 ");
  EXPECT_EQ(Sorted(entries, 4, 1), "ch161 ch6 ch0 ch-1 ");

  auto signals = WithSignals({{"weak", -200}, {"strong", -30}, {"mid", 50}});
  EXPECT_EQ(Sorted(signals, 5, 1), "mid strong weak ");

  auto wps = WithSignals({{"none", 0}, {"wps", 0}, {"odd", 0}});
  wps[1].hasWps = 1;
  wps[2].hasWps = 0xFF;  // an unsigned byte: the largest
  EXPECT_EQ(Sorted(wps, 3, 1), "odd wps none ");

  auto types = WithSignals({{"adhoc", 0}, {"infra", 0}});
  types[1].networkType = 1;
  EXPECT_EQ(Sorted(types, 6, 1), "infra adhoc ");
  EXPECT_EQ(Sorted(types, 6, 0), "adhoc infra ");
}

TEST(SurveySort, OtherKeysKeepTheDriversOrder) {
  const auto entries = WithSignals({{"b", -80}, {"a", -40}, {"c", -60}});
  EXPECT_EQ(Sorted(entries, 8, 1), "b a c ");
  EXPECT_EQ(Sorted(entries, 0xFFFFFFFF, 0), "b a c ");
  EXPECT_EQ(Sorted({}, 5, 1), "");
}

// The whole-entry bubble sort, written out plainly, as the reference for the sort that reaches
// its order without it. Texts compare as signed characters, the shorter first.
int ReferenceText(const char* a, const char* b) {
  const std::string_view x(a);
  const std::string_view y(b);
  const auto less = [](char p, char q) {
    return static_cast<signed char>(p) < static_cast<signed char>(q);
  };
  if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), less)) return -1;
  return std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), less) ? 1 : 0;
}

void ReferenceSort(uint32_t key, bool descending, std::vector<VtrSurveyEntry>& e) {
  const uint32_t n = static_cast<uint32_t>(e.size());
  for (uint32_t p = 0; p < n; ++p) {
    for (uint32_t j = 0; j + 1 < n - p; ++j) {
      const VtrSurveyEntry& a = e[j];
      const VtrSurveyEntry& b = e[j + 1];
      int64_t x = 0;
      int64_t y = 0;
      int order = 0;
      bool numbers = true;
      switch (key) {
        case 0:
          order = ReferenceText(a.ssid, b.ssid), numbers = false;
          break;
        case 1:
          order = ReferenceText(a.bssid, b.bssid), numbers = false;
          break;
        case 7:
          order = ReferenceText(a.frequency, b.frequency), numbers = false;
          break;
        case 2:
          x = (a.authMask & 0xFFFF) << 16 | (a.cipherMask & 0xFFFF);
          y = (b.authMask & 0xFFFF) << 16 | (b.cipherMask & 0xFFFF);
          order = x < y ? -1 : x > y, numbers = false;
          break;
        case 3:
          x = a.hasWps, y = b.hasWps;
          break;
        case 4:
          x = static_cast<int32_t>(a.channel), y = static_cast<int32_t>(b.channel);
          break;
        case 5:
          x = a.signal, y = b.signal;
          break;
        default:
          x = static_cast<int32_t>(a.networkType), y = static_cast<int32_t>(b.networkType);
      }
      const bool swap =
          numbers ? (descending ? x <= y : x >= y) : (descending ? order < 0 : order > 0);
      if (swap) std::swap(e[j], e[j + 1]);
    }
  }
}

// Every key in both directions against the reference, whole entries compared byte for byte.
void ExpectReferenceOrder(const std::vector<VtrSurveyEntry>& entries) {
  for (uint32_t key = 0; key <= 7; ++key) {
    for (uint32_t descending : {0u, 1u}) {
      auto expected = entries;
      ReferenceSort(key, descending != 0, expected);
      auto actual = entries;
      vtr::SortEntries(key, descending, static_cast<uint32_t>(actual.size()), actual.data());
      ASSERT_EQ(std::memcmp(actual.data(), expected.data(), actual.size() * sizeof(actual[0])), 0)
          << "key " << key << " descending " << descending << " size " << actual.size();
    }
  }
}

// Entries with values drawn from `distinct` choices per column, so that equal keys are common;
// names may carry bytes above 0x7F.
std::vector<VtrSurveyEntry> RandomEntries(std::mt19937& random, uint32_t size, uint32_t distinct) {
  auto pick = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  static const char* const kNames[] = {"a", "b", "\xC3\xA9", "ab", "", "B", "\x80z", "a\xFF"};
  std::vector<VtrSurveyEntry> entries(size);
  for (uint32_t i = 0; i < entries.size(); ++i) {
    auto& entry = entries[i];
    std::memset(&entry, 0, sizeof(entry));
    std::snprintf(entry.ssid, sizeof(entry.ssid), "%s", kNames[pick(std::min(distinct, 8u))]);
    std::snprintf(entry.bssid, sizeof(entry.bssid), "00-00-00-00-00-%02X", static_cast<uint8_t>(pick(distinct)));
    std::snprintf(entry.frequency, sizeof(entry.frequency), "%.3f GHz", 2.412 + pick(distinct));
    entry.authMask = pick(distinct) * 4;
    entry.cipherMask = pick(distinct) * 2;
    entry.hasWps = static_cast<uint8_t>(pick(distinct) == 0 ? 0xFF : pick(2));
    entry.channel = pick(distinct) * 5 - 5;  // -5 as the signed value compared
    entry.signal = -static_cast<int32_t>(pick(distinct)) * 10;
    entry.networkType = pick(distinct);
    entry.reserved302[0] = static_cast<uint8_t>(i);  // every entry told apart
    entry.reserved302[1] = static_cast<uint8_t>(i >> 8);
  }
  return entries;
}

TEST(SurveySort, MatchesTheWholeEntryBubbleSortOnRandomLists) {
  std::mt19937 random(20260101);
  for (int round = 0; round < 60; ++round) {
    ExpectReferenceOrder(RandomEntries(random, static_cast<uint32_t>(random() % 130), 4));
  }
}

// Equal neighbours of the number columns are exchanged on every pass that reaches them, so the
// order among equal keys depends on where the other keys lie: long lists of few values, a list
// of one value, and one value interleaved with others at every spacing.
TEST(SurveySort, MatchesTheWholeEntryBubbleSortOnListsOfManyEqualKeys) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 40; ++round) {
    const uint32_t size = 100 + static_cast<uint32_t>(random() % 93);
    ExpectReferenceOrder(RandomEntries(random, size, 2 + static_cast<uint32_t>(round % 3)));
  }
  ExpectReferenceOrder(RandomEntries(random, 128, 1));
  for (uint32_t spacing = 1; spacing <= 5; ++spacing) {
    auto entries = RandomEntries(random, 60, 1);
    for (uint32_t i = 0; i < entries.size(); i += spacing + 1) {
      entries[i].signal = -static_cast<int32_t>(i);
      entries[i].channel = i;
      entries[i].hasWps = static_cast<uint8_t>(i % 3);
      entries[i].networkType = i % 2;
    }
    ExpectReferenceOrder(entries);
  }
}

}  // namespace
