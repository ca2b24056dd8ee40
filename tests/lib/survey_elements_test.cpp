// The beacon element parsers: security masks, 802.11n and WPS, on real element layouts and on
// broken ones.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <vector>

#include "survey_test_lists.h"

// The library exports only its VTR_* functions; these internals are compiled into the tests
// here, and only here.
#include "lib/common/information_elements.h"
#include "lib/common/information_elements_ht.h"
#include "lib/common/information_elements_security.h"
#include "lib/common/information_elements_survey.h"
#include "lib/common/information_elements_wps.h"

namespace {

using namespace survey_test;

vtr::SecurityMasks Security(const Bytes& elements) {
  return vtr::ParseSecurity(elements.data(), elements.size());
}
bool Ht(const Bytes& elements) {
  return vtr::HasHtElements(elements.data(), elements.size());
}
vtr::WpsFlags WpsOf(const Bytes& elements) {
  return vtr::ParseWps(elements.data(), elements.size());
}

const Bytes kSsid = Element(0, {'h', 'o', 'm', 'e'});
const Bytes kRates = Element(1, {0x82, 0x84, 0x8B, 0x96});

struct Seen {
  uint8_t id;
  uint8_t length;
  uint8_t firstBodyByte;
};

std::vector<Seen> Walk(const uint8_t* area, size_t length, size_t stopAfter = SIZE_MAX) {
  std::vector<Seen> seen;
  vtr::WalkElements(area, length, [&](const vtr::Element& element) {
    seen.push_back(
        {element.id, element.length, element.length > 0 ? element.Body()[0] : uint8_t{0}});
    return seen.size() < stopAfter;
  });
  return seen;
}

TEST(SurveyElementWalk, StaysInsideTheAreaAndStopsWhenAsked) {
  const Bytes area = Concat({Element(0, {}), Element(7, {1, 2, 3}), {9, 5, 1}});
  // The third states 5 body bytes where 1 is left: it and the rest are ignored.
  const auto seen = Walk(area.data(), area.size());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].id, 0);
  EXPECT_EQ(seen[0].length, 0);
  EXPECT_EQ(seen[1].id, 7);
  EXPECT_EQ(seen[1].firstBodyByte, 1);
  EXPECT_EQ(Walk(area.data(), area.size(), 1).size(), 1u);
  EXPECT_TRUE(Walk(area.data(), 1).empty());  // a lone id byte is no element
  EXPECT_TRUE(Walk(nullptr, 0).empty());
  EXPECT_TRUE(Walk(nullptr, 10).empty());
  // Each body ends exactly at the area's end.
  EXPECT_EQ(Walk(area.data(), 5).size(), 1u);
  EXPECT_EQ(Walk(area.data(), 7).size(), 2u);
}

// The survey's one walk finds what the three readers find on their own, whatever the order of
// the elements and wherever the walk could end early.
TEST(SurveyElementWalk, TheSurveysOneWalkReadsWhatEachParserReads) {
  const Bytes caps = Element(45, Bytes(26, 0));
  const Bytes operation = Element(61, Bytes(22, 0));
  const std::vector<Bytes> areas = {
      Concat({kSsid, Rsn({4}, {2}), caps, WpsAnnouncement(1, 4)}),
      Concat({kSsid, WpsAnnouncement(1, 4), caps, Wpa({2}, {2}), Rsn({2, 4}, {1, 2})}),
      Concat({caps, WpsAnnouncement(-1, -1), WpsAnnouncement(1, 4), Rsn({4}, {2})}),
      Concat({kSsid, Element(3, {}), operation, Wpa({4}, {1})}),
      Concat({Element(0, {}), operation, kRates, WpsAnnouncement(1, 0)}),
      Concat({kSsid, Rsn({4}, {2}), {0, 200}, caps}),
      Concat({kSsid, kRates}),
      Bytes{},
  };
  for (size_t i = 0; i < areas.size(); ++i) {
    for (const bool privacy : {false, true}) {
      const auto& area = areas[i];
      const auto read = vtr::ReadSurveyElements(area.data(), area.size(), privacy);
      const auto security = privacy ? Security(area) : vtr::SecurityMasks{};
      EXPECT_EQ(read.security.authMask, security.authMask) << i << " " << privacy;
      EXPECT_EQ(read.security.cipherMask, security.cipherMask) << i << " " << privacy;
      EXPECT_EQ(read.isHt, Ht(area)) << i << " " << privacy;
      EXPECT_EQ(read.wps.hasWps, WpsOf(area).hasWps) << i << " " << privacy;
      EXPECT_EQ(read.wps.wpsPbcActive, WpsOf(area).wpsPbcActive) << i << " " << privacy;
    }
  }
  // Settled early without privacy: capabilities and WPS seen, the RSN element after them is
  // not needed; with privacy it is.
  const Bytes early = Concat({caps, WpsAnnouncement(-1, -1), Rsn({4}, {2})});
  EXPECT_EQ(vtr::ReadSurveyElements(early.data(), early.size(), false).security.cipherMask, 0u);
  EXPECT_EQ(vtr::ReadSurveyElements(early.data(), early.size(), true).security.cipherMask, 4u);
}

TEST(SurveySecurity, RsnAndWpaSuitesMakeTheMasks) {
  const struct {
    Bytes elements;
    uint32_t auth;
    uint32_t cipher;
    const char* what;
  } cases[] = {
      {Concat({kSsid, Rsn({4}, {2})}), 8, 4, "WPA2-PSK AES"},
      {Concat({kSsid, Rsn({2, 4}, {1})}), 32, 6, "WPA2 802.1X TKIP and AES"},
      {Concat({kSsid, Wpa({2}, {2})}), 4, 2, "WPA-PSK TKIP"},
      {Concat({kSsid, Wpa({4}, {1})}), 16, 4, "WPA 802.1X AES"},
      {Concat({kSsid, Rsn({4}, {2}), Wpa({2}, {2})}), 12, 6, "both elements: the union"},
      {Concat({kSsid, Wpa({1, 5}, {2})}), 4, 1, "WEP-40 and WEP-104 suites are WEP"},
      {Concat({kSsid, Rsn({4}, {1, 2})}), 40, 4, "two key managements"},
      {Concat({kSsid, Rsn({3, 6}, {2})}), 8, 1, "unknown ciphers add nothing"},
      {Concat({kSsid, Rsn({4}, {3})}), 0, 4, "unknown key management adds nothing"},
      {Concat({kSsid, kRates}), 0, 1, "privacy without WPA or RSN is WEP"},
      {Bytes{}, 0, 1, "no elements at all"},
  };
  for (const auto& c : cases) {
    const auto masks = Security(c.elements);
    EXPECT_EQ(masks.authMask, c.auth) << c.what;
    EXPECT_EQ(masks.cipherMask, c.cipher) << c.what;
  }
}

TEST(SurveySecurity, SuitesOfTheOtherFamilyDoNotCount) {
  // An RSN element listing WPA-OUI suites, and the reverse: only an element's own OUI counts.
  Bytes rsn = Rsn({4}, {2});
  Bytes wpa = Wpa({2}, {2});
  rsn[11] = 0x50;  // pairwise suite 00-0F-AC-04 becomes 00-50-F2-04
  rsn[12] = 0xF2;
  wpa[15] = 0x0F;  // pairwise suite 00-50-F2-02 becomes 00-0F-AC-02
  wpa[16] = 0xAC;
  EXPECT_EQ(Security(rsn).cipherMask, 1u);
  EXPECT_EQ(Security(rsn).authMask, 8u);
  EXPECT_EQ(Security(wpa).cipherMask, 1u);
  EXPECT_EQ(Security(wpa).authMask, 4u);
}

TEST(SurveySecurity, ElementsWithImplausibleCountsOrVersionsAreIgnored) {
  // A WPA element whose pairwise count is 21: nothing from it, so privacy means WEP.
  Bytes wpa21 = Wpa({2}, {2});
  wpa21[12] = 21;
  EXPECT_EQ(Security(wpa21).authMask, 0u);
  EXPECT_EQ(Security(wpa21).cipherMask, 1u);
  Bytes wpa20 = Wpa({2}, {2});
  wpa20[12] = 20;  // claims 20 suites, has one: the one that is there counts
  EXPECT_EQ(Security(wpa20).cipherMask, 2u);
  EXPECT_EQ(Security(wpa20).authMask, 0u);  // the key-management list is beyond the element

  Bytes rsn21 = Rsn({4}, {2});
  rsn21[8] = 21;
  EXPECT_EQ(Security(rsn21).authMask, 0u);
  EXPECT_EQ(Security(rsn21).cipherMask, 1u);

  Bytes rsnVersion2 = Rsn({4}, {2});
  rsnVersion2[2] = 2;
  EXPECT_EQ(Security(rsnVersion2).cipherMask, 1u);
  EXPECT_EQ(Security(rsnVersion2).authMask, 0u);

  Bytes wpaVersion0 = Wpa({2}, {2});
  wpaVersion0[6] = 0;
  EXPECT_EQ(Security(wpaVersion0).authMask, 0u);

  // Key-management counts of 0 and 21 add no authentication but keep the ciphers.
  for (const uint8_t count : {uint8_t{0}, uint8_t{21}}) {
    Bytes rsn = Rsn({4}, {2});
    rsn[14] = count;
    EXPECT_EQ(Security(rsn).authMask, 0u) << int{count};
    EXPECT_EQ(Security(rsn).cipherMask, 4u) << int{count};
  }
}

TEST(SurveySecurity, ShortAndTruncatedElementsAreReadOnlyAsFarAsTheyGo) {
  // A 12-byte body is too short to be looked at, even with a plausible start.
  const Bytes rsn = Rsn({4}, {2});
  Bytes shortRsn(rsn.begin(), rsn.begin() + 14);
  shortRsn[1] = 12;
  EXPECT_EQ(Security(shortRsn).cipherMask, 1u);
  // A 13-byte body holds one whole pairwise suite but no key-management count.
  Bytes rsn13(rsn.begin(), rsn.begin() + 15);
  rsn13[1] = 13;
  EXPECT_EQ(Security(rsn13).cipherMask, 4u);
  EXPECT_EQ(Security(rsn13).authMask, 0u);
  // An element cut in the middle of its key-management suite keeps its ciphers only.
  Bytes cut(rsn.begin(), rsn.begin() + 2 + 17);
  cut[1] = 17;
  EXPECT_EQ(Security(cut).cipherMask, 4u);
  EXPECT_EQ(Security(cut).authMask, 0u);
  // A whole RSN element whose stated length runs past the area is not read at all.
  Bytes overlong = rsn;
  overlong[1] = static_cast<uint8_t>(rsn.size());
  EXPECT_EQ(Security(overlong).cipherMask, 1u);
  // Nor is anything behind a broken element.
  EXPECT_EQ(Security(Concat({{0, 200}, rsn})).cipherMask, 1u);
}

TEST(SurveyHt, CapabilitiesOrLongEnoughOperationElements) {
  const Bytes caps = Element(45, Bytes(26, 0));
  const Bytes operation = Element(61, Bytes(22, 0));
  const Bytes preStandardInfo = Element(221, Concat({{0x00, 0x90, 0x4C, 0x34}, Bytes(22, 0)}));
  const Bytes preStandardCaps = Element(221, Concat({{0x00, 0x90, 0x4C, 0x33}, Bytes(26, 0)}));
  EXPECT_FALSE(Ht(Concat({kSsid, kRates})));
  EXPECT_TRUE(Ht(Concat({kSsid, kRates, caps})));
  EXPECT_TRUE(Ht(Element(45, {})));  // the id alone is enough
  EXPECT_TRUE(Ht(Concat({kSsid, operation})));
  EXPECT_FALSE(Ht(Concat({kSsid, Element(61, Bytes(21, 0))})));
  EXPECT_TRUE(Ht(Concat({kSsid, preStandardInfo})));
  EXPECT_FALSE(Ht(Concat({kSsid, Element(221, Concat({{0x00, 0x90, 0x4C, 0x34}, Bytes(21, 0)}))})));
  // The pre-standard capabilities element alone is not looked for.
  EXPECT_FALSE(Ht(Concat({kSsid, preStandardCaps})));
}

TEST(SurveyHt, OperationLookEndsAtAnEmptyElementAfterTheCurrentOne) {
  const Bytes operation = Element(61, Bytes(22, 0));
  // A hidden network's empty name element comes first and is no obstacle.
  EXPECT_TRUE(Ht(Concat({Element(0, {}), kRates, operation})));
  // An empty element after the current one ends the look before the operation element...
  EXPECT_FALSE(Ht(Concat({kSsid, Element(3, {}), operation})));
  // ...but not the look for the capabilities element.
  EXPECT_TRUE(Ht(Concat({kSsid, Element(3, {}), Element(45, Bytes(26, 0))})));
  // An operation element whose length runs past the area is not there.
  Bytes cut = Concat({kSsid, operation});
  cut.pop_back();
  EXPECT_FALSE(Ht(cut));
}

TEST(SurveyWps, AnnouncementAndPushButtonSession) {
  const struct {
    Bytes elements;
    uint8_t hasWps;
    uint8_t pbc;
    const char* what;
  } cases[] = {
      {Concat({kSsid, kRates}), 0, 0, "no WPS element"},
      {Concat({kSsid, WpsAnnouncement(-1, -1)}), 1, 0, "configured, no registrar"},
      {Concat({kSsid, WpsAnnouncement(1, 4)}), 1, 1, "registrar selected for push button"},
      {Concat({kSsid, WpsAnnouncement(1, 0)}), 1, 0, "registrar selected for a PIN"},
      {Concat({kSsid, WpsAnnouncement(0, 4)}), 1, 0, "push button without a registrar"},
      {Concat({kSsid, WpsAnnouncement(-1, 4)}), 1, 0, "password id without a registrar"},
      {Concat({kSsid, Wps({Attribute(0x1012, {0, 4}), Attribute(0x1041, {1})})}), 1, 0,
       "the walk stops at the password id"},
      {Concat({kSsid, Wps({Attribute(0x104A, {0x10}), Attribute(0, {}), Attribute(0x1041, {1}),
                           Attribute(0x1012, {0, 4})})}),
       1, 0, "the walk stops at a type of 0"},
      {Concat({kSsid,
               Wps({Attribute(0x104A, {0x10}), Attribute(0x1041, {1}), Attribute(0x1012, {4})})}),
       1, 0, "a one-byte password id has no second byte"},
  };
  for (const auto& c : cases) {
    const auto flags = WpsOf(c.elements);
    EXPECT_EQ(flags.hasWps, c.hasWps) << c.what;
    EXPECT_EQ(flags.wpsPbcActive, c.pbc) << c.what;
  }
}

TEST(SurveyWps, OnlyTheFirstLongEnoughWpsElementCounts) {
  // 12 body bytes is too short to be taken as WPS.
  const Bytes tooShort = Wps({Attribute(0x104A, {}), Attribute(0x1044, {})});
  ASSERT_EQ(tooShort[1], 12);
  EXPECT_EQ(WpsOf(tooShort).hasWps, 0);
  // A second element with an active session is not looked at.
  const auto flags = WpsOf(Concat({WpsAnnouncement(-1, -1), WpsAnnouncement(1, 4)}));
  EXPECT_EQ(flags.hasWps, 1);
  EXPECT_EQ(flags.wpsPbcActive, 0);
  // Another vendor's element before it does not hide it.
  const auto after = WpsOf(Concat({Wpa({2}, {2}), WpsAnnouncement(1, 4)}));
  EXPECT_EQ(after.wpsPbcActive, 1);
}

TEST(SurveyWps, AttributesRunningPastTheElementAreNotRead) {
  // A selected-registrar attribute claiming 200 bytes: the walk ends there.
  Bytes element =
      Wps({Attribute(0x104A, {0x10}), Attribute(0x1041, {1}), Attribute(0x1012, {0, 4})});
  element[2 + 4 + 5 + 3] = 200;  // low byte of the registrar attribute's length
  EXPECT_EQ(WpsOf(element).hasWps, 1);
  EXPECT_EQ(WpsOf(element).wpsPbcActive, 0);
  // A password id whose second byte lies past the element's stated length (the byte is still
  // in the area, as the start of a broken element).
  Bytes cut = Wps({Attribute(0x104A, {0x10}), Attribute(0x1041, {1}), Attribute(0x1012, {0, 4})});
  cut[1] = static_cast<uint8_t>(cut[1] - 1);
  EXPECT_EQ(WpsOf(cut).wpsPbcActive, 0);
}

TEST(SurveyWps, ActiveSessionIsReportedToTheDebuggerOutput) {
  const Bytes active = WpsAnnouncement(1, 4);
  ::setenv("RADIODESK_DEBUG_OUTPUT", "1", 1);
  testing::internal::CaptureStderr();
  WpsOf(active);
  WpsOf(WpsAnnouncement(1, 0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Found PCB WPS session\n");
  ::unsetenv("RADIODESK_DEBUG_OUTPUT");
  testing::internal::CaptureStderr();
  EXPECT_EQ(WpsOf(active).wpsPbcActive, 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
