// Reading WLAN profile documents: every field the service uses, and the documents it refuses.
#include "sim/wlan_profile_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace sim;

constexpr const char* kV1 = "http://www.microsoft.com/networking/WLAN/profile/v1";

// A profile document of the parts given; security is the inside of <MSM>.
std::string Document(const std::string& ssidConfig, const std::string& connection,
                     const std::string& security, const std::string& name = "Home") {
  return std::string("<?xml version=\"1.0\"?>\n<WLANProfile xmlns=\"") + kV1 + "\"><name>" + name +
         "</name><SSIDConfig>" + ssidConfig + "</SSIDConfig>" + connection + "<MSM>" + security +
         "</MSM></WLANProfile>";
}

std::string Security(const std::string& authentication, const std::string& encryption,
                     const std::string& rest = "", const std::string& useOneX = "false") {
  return "<security><authEncryption><authentication>" + authentication +
         "</authentication><encryption>" + encryption + "</encryption><useOneX>" + useOneX +
         "</useOneX></authEncryption>" + rest + "</security>";
}

std::string SharedKey(const std::string& type, const std::string& material,
                      const std::string& isProtected = "false") {
  return "<sharedKey><keyType>" + type + "</keyType><protected>" + isProtected +
         "</protected><keyMaterial>" + material + "</keyMaterial></sharedKey>";
}

const std::string kEss =
    "<connectionType>ESS</connectionType><connectionMode>auto</connectionMode>";
const std::string kSsid = "<SSID><name>Home</name></SSID>";

std::string OpenProfile() {
  return Document(kSsid, kEss, Security("open", "none"));
}

// The 802.1X part of a profile with the EAP method and blob given.
std::string OneX(const std::string& type, const std::string& blob = "") {
  return "<OneX xmlns=\"http://www.microsoft.com/networking/OneX/v1\"><EAPConfig>"
         "<EapHostConfig xmlns=\"http://www.microsoft.com/provisioning/EapHostConfig\">"
         "<EapMethod><Type xmlns=\"http://www.microsoft.com/provisioning/EapCommon\">" +
         type + "</Type></EapMethod>" +
         (blob.empty() ? "" : "<ConfigBlob>" + blob + "</ConfigBlob>") +
         "</EapHostConfig></EAPConfig></OneX>";
}

WlanProfile Read(const std::string& text) {
  auto read = ReadWlanProfile(text.data(), text.size());
  if (auto* fault = std::get_if<ProfileFault>(&read)) {
    ADD_FAILURE() << "unreadable: " << fault->message << "\n" << text;
    return {};
  }
  return std::get<WlanProfile>(read);
}

// The reason code of an unreadable document; 0 when it was read.
uint32_t Refusal(const std::string& text) {
  auto read = ReadWlanProfile(text.data(), text.size());
  auto* fault = std::get_if<ProfileFault>(&read);
  return fault != nullptr ? fault->reasonCode : 0;
}

TEST(WlanProfileReaderTest, ReadsTheNetworkAndHowToConnect) {
  const WlanProfile open = Read(OpenProfile());
  EXPECT_EQ(open.name, "Home");
  EXPECT_EQ(open.ssid, std::vector<uint8_t>({'H', 'o', 'm', 'e'}));
  EXPECT_FALSE(open.nonBroadcast);
  EXPECT_FALSE(open.adhoc);
  EXPECT_TRUE(open.autoConnect);
  EXPECT_EQ(open.authentication, ProfileAuthentication::kOpen);
  EXPECT_EQ(open.encryption, ProfileEncryption::kNone);
  EXPECT_FALSE(open.sharedKey);

  // The hexadecimal name wins over the text; bytes that are no text stay as they are.
  const WlanProfile hex = Read(Document(
      "<SSID><hex>00FFab</hex><name>Other</name></SSID><nonBroadcast> true </nonBroadcast>", kEss,
      Security("open", "none")));
  EXPECT_EQ(hex.ssid, std::vector<uint8_t>({0x00, 0xFF, 0xAB}));
  EXPECT_TRUE(hex.nonBroadcast);

  const WlanProfile adhoc = Read(Document(
      kSsid, "<connectionType>IBSS</connectionType><connectionMode>manual</connectionMode>",
      Security("open", "none")));
  EXPECT_TRUE(adhoc.adhoc);
  EXPECT_FALSE(adhoc.autoConnect);
  // Without a connection mode an ad hoc profile connects manually, an ESS one automatically.
  EXPECT_FALSE(
      Read(Document(kSsid, "<connectionType>IBSS</connectionType>", Security("open", "none")))
          .autoConnect);
  EXPECT_TRUE(
      Read(Document(kSsid, "<connectionType>ESS</connectionType>", Security("open", "none")))
          .autoConnect);
}

TEST(WlanProfileReaderTest, ReadsWepAndPreSharedKeys) {
  const WlanProfile wep = Read(Document(
      kSsid, kEss,
      Security("shared", "WEP",
               SharedKey("networkKey", "2B7E151628AED2A6ABF7158809") + "<keyIndex>2</keyIndex>")));
  EXPECT_EQ(wep.authentication, ProfileAuthentication::kShared);
  EXPECT_EQ(wep.encryption, ProfileEncryption::kWep);
  ASSERT_TRUE(wep.sharedKey);
  EXPECT_EQ(wep.sharedKey->keyType, ProfileKeyType::kNetworkKey);
  EXPECT_EQ(wep.sharedKey->keyMaterial, "2B7E151628AED2A6ABF7158809");
  EXPECT_EQ(wep.keyIndex, 2u);
  // Five or thirteen characters are a WEP key too; the key index defaults to the first slot.
  const WlanProfile ascii =
      Read(Document(kSsid, kEss, Security("open", "WEP", SharedKey("networkKey", "a b&lt;c"))));
  EXPECT_EQ(ascii.sharedKey->keyMaterial, "a b<c");
  EXPECT_EQ(ascii.keyIndex, 0u);

  const WlanProfile psk = Read(Document(
      kSsid, kEss, Security("WPA2PSK", "AES", SharedKey("passPhrase", " correct horse "))));
  EXPECT_EQ(psk.authentication, ProfileAuthentication::kWpa2Psk);
  EXPECT_EQ(psk.encryption, ProfileEncryption::kAes);
  EXPECT_EQ(psk.sharedKey->keyType, ProfileKeyType::kPassPhrase);
  // A passphrase keeps its blanks.
  EXPECT_EQ(psk.sharedKey->keyMaterial, " correct horse ");
  const std::string hexKey(64, 'c');
  const WlanProfile raw =
      Read(Document(kSsid, kEss, Security("WPAPSK", "TKIP", SharedKey("networkKey", hexKey))));
  EXPECT_EQ(raw.authentication, ProfileAuthentication::kWpaPsk);
  EXPECT_EQ(raw.encryption, ProfileEncryption::kTkip);
  EXPECT_EQ(raw.sharedKey->keyMaterial, hexKey);
}

TEST(WlanProfileReaderTest, ReadsTheEapMethodAndTheTlsRoot) {
  const WlanProfile peap =
      Read(Document(kSsid, kEss, Security("WPA", "TKIP", OneX("25", "00ff"), "true")));
  EXPECT_EQ(peap.authentication, ProfileAuthentication::kWpa);
  EXPECT_TRUE(peap.useOneX);
  EXPECT_EQ(peap.eapType, kEapTypePeap);
  EXPECT_FALSE(peap.tlsRootHash);

  const std::string root = "00112233445566778899AABBCCDDEEFF01234567";
  const WlanProfile tls = Read(Document(
      kSsid, kEss,
      Security("WPA2", "AES",
               OneX("13", "020000002A0000000500000014000000" + root + "000001000000"), "true")));
  EXPECT_EQ(tls.eapType, kEapTypeTls);
  ASSERT_TRUE(tls.tlsRootHash);
  EXPECT_EQ((*tls.tlsRootHash)[0], 0x00);
  EXPECT_EQ((*tls.tlsRootHash)[10], 0xAA);
  EXPECT_EQ((*tls.tlsRootHash)[19], 0x67);
  // A chain that found no root leaves the hash out of the blob: no root to trust.
  const WlanProfile rootless = Read(Document(
      kSsid, kEss,
      Security("WPA2", "AES", OneX("13", "020000002A0000000500000014000000000001000000"), "true")));
  EXPECT_EQ(rootless.eapType, kEapTypeTls);
  EXPECT_FALSE(rootless.tlsRootHash);
}

TEST(WlanProfileReaderTest, RefusesMalformedDocuments) {
  const std::string open = OpenProfile();
  EXPECT_EQ(Refusal(open.substr(0, open.size() - 5)), kReasonInvalidProfileSchema);
  EXPECT_EQ(Refusal("WLANProfile"), kReasonInvalidProfileSchema);
  EXPECT_EQ(Refusal(""), kReasonInvalidProfileSchema);
  // The length given is the end: the same text cut short is not a document.
  auto cut = ReadWlanProfile(open.data(), open.size() - 1);
  EXPECT_TRUE(std::holds_alternative<ProfileFault>(cut));
  // A document type could bring entities; a profile has none.
  EXPECT_EQ(Refusal("<!DOCTYPE WLANProfile [<!ENTITY n \"Home\">]>" +
                    Document(kSsid, kEss, Security("open", "none"), "&n;")),
            kReasonInvalidProfileSchema);
  // An element where a value belongs.
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("open", "none"), "<b>Home</b>")),
            kReasonInvalidProfileSchema);
}

TEST(WlanProfileReaderTest, RefusesMissingElements) {
  EXPECT_NE(Refusal(Document(kSsid, kEss, Security("open", "none"), "")), 0u);
  EXPECT_EQ(Refusal(Document("", kEss, Security("open", "none"))), kReasonInvalidProfileSchema);
  EXPECT_EQ(Refusal(Document("<SSID></SSID>", kEss, Security("open", "none"))),
            kReasonProfileSsidInvalid);
  EXPECT_EQ(Refusal(Document(kSsid, "", Security("open", "none"))), kReasonInvalidProfileSchema);
  EXPECT_EQ(Refusal(Document(kSsid, kEss, "")), kReasonSecurityMissing);
  EXPECT_EQ(Refusal(Document(kSsid, kEss,
                             "<security><authEncryption><authentication>open"
                             "</authentication></authEncryption></security>")),
            kReasonInvalidProfileSchema);
  // WEP and the pre-shared key modes need their key; 802.1X its method.
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("open", "WEP"))), kReasonSecurityMissing);
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("WPA2PSK", "AES"))), kReasonSecurityMissing);
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("WPA2", "AES", "", "true"))),
            kReasonSecurityMissing);
  EXPECT_NE(Refusal(Document(kSsid, kEss,
                             Security("WPA2PSK", "AES",
                                      "<sharedKey><keyType>passPhrase</keyType>"
                                      "<keyMaterial>long enough</keyMaterial></sharedKey>"))),
            0u);
}

TEST(WlanProfileReaderTest, RefusesUnknownValues) {
  const std::string key = SharedKey("networkKey", "1a2b3c4d5e");
  EXPECT_NE(Refusal(Document(kSsid, kEss, Security("WPA3", "AES"))), 0u);
  EXPECT_NE(Refusal(Document(kSsid, kEss, Security("open", "CCMP"))), 0u);
  EXPECT_NE(
      Refusal(Document(kSsid, "<connectionType>mesh</connectionType>", Security("open", "none"))),
      0u);
  EXPECT_NE(
      Refusal(Document(kSsid, kEss, Security("open", "WEP", SharedKey("rawKey", "1a2b3c4d5e")))),
      0u);
  EXPECT_NE(Refusal(Document(kSsid, kEss, Security("open", "none", "", "maybe"))), 0u);
  EXPECT_NE(Refusal(Document(kSsid, kEss, Security("open", "WEP", key + "<keyIndex>4</keyIndex>"))),
            0u);
  EXPECT_NE(Refusal(Document(kSsid, kEss, Security("WPA2", "AES", OneX("17"), "true"))), 0u);
  EXPECT_EQ(Refusal(Document("<SSID><hex>ABC</hex></SSID>", kEss, Security("open", "none"))),
            kReasonProfileSsidInvalid);
  EXPECT_EQ(Refusal(Document("<SSID><name>" + std::string(33, 'x') + "</name></SSID>", kEss,
                             Security("open", "none"))),
            kReasonProfileSsidInvalid);
}

TEST(WlanProfileReaderTest, RefusesSecurityThatDoesNotGoTogether) {
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("shared", "none"))), kReasonConflictSecurity);
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("WPA2PSK", "WEP"))), kReasonConflictSecurity);
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("open", "AES"))), kReasonConflictSecurity);
  // 802.1X belongs to the enterprise modes and they need it.
  EXPECT_EQ(
      Refusal(Document(kSsid, kEss,
                       Security("WPA2PSK", "AES", SharedKey("passPhrase", "long enough"), "true"))),
      kReasonConflictSecurity);
  EXPECT_EQ(Refusal(Document(kSsid, kEss, Security("WPA2", "AES", OneX("25")))),
            kReasonConflictSecurity);
  // Keys that cannot be the encryption's.
  for (const char* wrongWep : {"1a2b3c4d5", "1a2b3c4d5g", "abcdef", ""}) {
    EXPECT_NE(
        Refusal(Document(kSsid, kEss, Security("open", "WEP", SharedKey("networkKey", wrongWep)))),
        0u)
        << wrongWep;
  }
  EXPECT_NE(
      Refusal(Document(kSsid, kEss, Security("open", "WEP", SharedKey("passPhrase", "abcde")))),
      0u);
  struct Key {
    const char* type;
    std::string material;
    bool readable;
  };
  const Key keys[] = {{"passPhrase", "short", false},
                      {"passPhrase", std::string(8, 'p'), true},
                      {"passPhrase", std::string(63, 'p'), true},
                      {"passPhrase", std::string(64, 'p'), false},
                      {"passPhrase", "tab\there", false},
                      {"networkKey", std::string(64, 'c'), true},
                      {"networkKey", std::string(63, 'c') + "x", false},
                      {"networkKey", std::string(62, 'c'), false}};
  for (const Key& key : keys) {
    const uint32_t refusal = Refusal(
        Document(kSsid, kEss, Security("WPA2PSK", "AES", SharedKey(key.type, key.material))));
    EXPECT_EQ(refusal == 0, key.readable) << key.type << " " << key.material;
  }
  // A sealed key cannot be opened on this machine.
  EXPECT_NE(
      Refusal(Document(kSsid, kEss,
                       Security("WPA2PSK", "AES", SharedKey("passPhrase", "long enough", "true")))),
      0u);
  // An ad hoc network connects manually and is not probed for.
  EXPECT_EQ(Refusal(Document(kSsid,
                             "<connectionType>IBSS</connectionType><connectionMode>auto"
                             "</connectionMode>",
                             Security("open", "none"))),
            kReasonInvalidAdhocConnectionMode);
  EXPECT_EQ(Refusal(Document(kSsid + "<nonBroadcast>true</nonBroadcast>",
                             "<connectionType>IBSS</connectionType><connectionMode>manual"
                             "</connectionMode>",
                             Security("open", "none"))),
            kReasonNonBroadcastSetForAdhoc);
}

TEST(WlanProfileReaderTest, ElementsOfAnotherNamespaceAreNotTheProfiles) {
  std::string other = OpenProfile();
  other.replace(other.find(kV1), std::string(kV1).size(),
                "http://www.microsoft.com/networking/WLAN/profile/v2");
  EXPECT_EQ(Refusal(other), kReasonInvalidProfileSchema);
  // Without any namespace.
  std::string none = OpenProfile();
  none.erase(none.find(" xmlns="), std::string(" xmlns=\"\"").size() + std::string(kV1).size());
  EXPECT_EQ(Refusal(none), kReasonInvalidProfileSchema);
  // A prefix bound to the namespace is the same namespace.
  const std::string prefixed =
      std::string("<w:WLANProfile xmlns:w=\"") + kV1 +
      "\"><w:name>P</w:name><w:SSIDConfig><w:SSID><w:name>P</w:name></w:SSID></w:SSIDConfig>"
      "<w:connectionType>ESS</w:connectionType><w:MSM><w:security><w:authEncryption>"
      "<w:authentication>open</w:authentication><w:encryption>none</w:encryption>"
      "</w:authEncryption></w:security></w:MSM></w:WLANProfile>";
  EXPECT_EQ(Read(prefixed).name, "P");
  // The name element of another namespace does not stand in for the profile's own.
  std::string foreign = prefixed;
  foreign.replace(foreign.find("<w:name>P</w:name>"), 18, "<x:name xmlns:x=\"urn:x\">P</x:name>");
  EXPECT_EQ(Refusal(foreign), kReasonInvalidProfileSchema);
  // The 802.1X settings in the profile's namespace instead of the OneX one.
  std::string oneX = Document(kSsid, kEss, Security("WPA2", "AES", OneX("25"), "true"));
  oneX.replace(oneX.find("http://www.microsoft.com/networking/OneX/v1"),
               std::string("http://www.microsoft.com/networking/OneX/v1").size(), kV1);
  EXPECT_EQ(Refusal(oneX), kReasonSecurityMissing);
  std::string eapType = Document(kSsid, kEss, Security("WPA2", "AES", OneX("25"), "true"));
  eapType.replace(eapType.find("EapCommon"), 9, "EapOther");
  EXPECT_EQ(Refusal(eapType), kReasonInvalidProfileSchema);
}

TEST(WlanProfileReaderTest, Utf16TextConvertsBothWays) {
  const std::u16string text = u"<name>Caf\u00e9 \U0001F4F6</name>";
  const auto utf8 = Utf16ToUtf8(text);
  ASSERT_TRUE(utf8);
  EXPECT_EQ(*utf8, "<name>Caf\xC3\xA9 \xF0\x9F\x93\xB6</name>");
  EXPECT_EQ(Utf8ToUtf16(*utf8), text);
  // A surrogate without its pair is no text.
  EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0xD800))));
  EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0xDC00)) + u"a"));
  // Bytes that start no character become replacement characters, one each.
  EXPECT_EQ(Utf8ToUtf16("a\xFF\xC3"), u"a\uFFFD\uFFFD");
}

}  // namespace
