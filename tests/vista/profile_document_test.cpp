// The WLAN profile documents of profile records, read back element by element through the DOM.
#include "lib/nativewifi/profile_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/xml_dom.h"
#include "vtrlib.h"

namespace {

using platform::XmlDocument;

constexpr const char* kSecurity = "/w:WLANProfile/w:MSM/w:security/";
constexpr const char* kEap = "/w:WLANProfile/w:MSM/w:security/o:OneX/o:EAPConfig/h:EapHostConfig/";
constexpr const char* kBlob = "0200000029000000050000001400000011223344000001000000";

ProfileRecord Record(const char* ssid, uint32_t authMode, uint32_t encryption) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof record);
  VTR_InitialProfile(&record);
  std::snprintf(record.ssid, sizeof record.ssid, "%s", ssid);
  record.authMode = authMode;
  record.encryption = encryption;
  return record;
}

// The document of a record, parsed with prefixes of the test's own choosing.
class Document {
 public:
  explicit Document(const ProfileRecord& record, const std::string& blob = kBlob) {
    text_ = vtr::ProfileDocumentText(record, blob);
    loaded_ = document_.LoadXml(text_);
    document_.SetSelectionNamespaces({{"w", vtr::kWlanProfileNamespace},
                                      {"o", vtr::kOneXNamespace},
                                      {"h", vtr::kEapHostConfigNamespace},
                                      {"c", vtr::kEapCommonNamespace}});
  }
  bool Loaded() const { return loaded_; }
  const std::string& Text() const { return text_; }
  // The text at path; nothing when there is no such element.
  std::optional<std::string> operator[](const std::string& path) const {
    const auto node = document_.SelectSingleNode(path);
    if (!node) return std::nullopt;
    return document_.Text(node);
  }
  std::optional<std::string> Security(const std::string& rest) const {
    return (*this)[kSecurity + rest];
  }
  std::optional<std::string> Eap(const std::string& rest) const { return (*this)[kEap + rest]; }

 private:
  std::string text_;
  XmlDocument document_;
  bool loaded_ = false;
};

TEST(ProfileDocumentTest, TemplatesAreChosenBySecurity) {
  struct Case {
    uint32_t authMode, encryption, eapMethod;
    std::optional<uint32_t> id;
  };
  const Case cases[] = {
      {0, 0, 0, vtr::kTemplateOpen},    {1, 0, 0, vtr::kTemplateOpen},
      {2, 0, 0, vtr::kTemplateOpen},    {0, 1, 0, vtr::kTemplateWep},
      {1, 1, 0, vtr::kTemplateWep},     {2, 1, 0, vtr::kTemplateWep},
      {4, 2, 0, vtr::kTemplateWpaPsk},  {8, 4, 0, vtr::kTemplateWpaPsk},
      {16, 2, 1, vtr::kTemplatePeap},   {32, 4, 1, vtr::kTemplatePeap},
      {16, 2, 0, vtr::kTemplateEapTls}, {32, 4, 0, vtr::kTemplateEapTls},
      {16, 2, 2, std::nullopt},         {32, 0, 2, std::nullopt},
      {32, 4, 9, std::nullopt},         {0, 2, 0, std::nullopt},
      {0, 4, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    ProfileRecord record = Record("net", c.authMode, c.encryption);
    record.eapMethod = c.eapMethod;
    EXPECT_EQ(vtr::ProfileTemplateId(record), c.id)
        << c.authMode << "/" << c.encryption << "/" << c.eapMethod;
    // No template, no document.
    EXPECT_EQ(vtr::ProfileDocumentText(record, kBlob).empty(), !c.id.has_value());
  }
  // Every template is a profile document; the two spare ones are there too.
  for (uint32_t id = 10000; id <= 10006; ++id) {
    const auto text = vtr::ProfileTemplate(id);
    ASSERT_TRUE(text) << id;
    XmlDocument document;
    ASSERT_TRUE(document.LoadXml(*text)) << id;
    document.SetSelectionNamespaces({{"w", vtr::kWlanProfileNamespace}});
    EXPECT_TRUE(document.SelectSingleNode("/w:WLANProfile/w:MSM/w:security")) << id;
  }
  EXPECT_FALSE(vtr::ProfileTemplate(10007));
}

TEST(ProfileDocumentTest, OpenInfrastructureAndAdhoc) {
  const Document open(Record("abc", 0, 0));
  ASSERT_TRUE(open.Loaded()) << open.Text();
  EXPECT_EQ(open["/w:WLANProfile/w:name"], "abc");
  EXPECT_EQ(open["/w:WLANProfile/w:SSIDConfig/w:SSID/w:name"], "abc");
  EXPECT_EQ(open["/w:WLANProfile/w:SSIDConfig/w:SSID/w:hex"], "616263");
  EXPECT_EQ(open["/w:WLANProfile/w:SSIDConfig/w:nonBroadcast"], "true");
  // The open template has no nonBroadcast: it is made where the schema wants it, after the SSID.
  EXPECT_TRUE(open["/w:WLANProfile/w:SSIDConfig/w:SSID/following-sibling::w:nonBroadcast"]);
  EXPECT_NE(open.Text().find("<nonBroadcast>true</nonBroadcast>"), std::string::npos);
  EXPECT_EQ(open["/w:WLANProfile/w:connectionType"], "ESS");
  EXPECT_EQ(open["/w:WLANProfile/w:connectionMode"], "auto");
  EXPECT_EQ(open.Security("w:authEncryption/w:authentication"), "open");
  EXPECT_EQ(open.Security("w:authEncryption/w:encryption"), "none");
  EXPECT_EQ(open.Security("w:authEncryption/w:useOneX"), "false");
  EXPECT_FALSE(open.Security("w:sharedKey"));

  ProfileRecord adhoc = Record("abc", 1, 0);
  adhoc.networkType = 0;
  const Document ibss(adhoc);
  EXPECT_EQ(ibss["/w:WLANProfile/w:connectionType"], "IBSS");
  EXPECT_EQ(ibss["/w:WLANProfile/w:connectionMode"], "manual");
  EXPECT_FALSE(ibss["/w:WLANProfile/w:SSIDConfig/w:nonBroadcast"]);
  EXPECT_EQ(ibss.Security("w:authEncryption/w:authentication"), "shared");
}

TEST(ProfileDocumentTest, WepKeysAndAuthentication) {
  ProfileRecord record = Record("Cafe", 1, 1);
  record.wepKeyIndex = 2;
  std::snprintf(record.wepKey[0], sizeof record.wepKey[0], "%s", "1111111111");
  std::snprintf(record.wepKey[2], sizeof record.wepKey[2], "%s", "0123456789ABCDEF0123456789");
  const Document shared(record);
  ASSERT_TRUE(shared.Loaded()) << shared.Text();
  EXPECT_EQ(shared.Security("w:authEncryption/w:authentication"), "shared");
  EXPECT_EQ(shared.Security("w:authEncryption/w:encryption"), "WEP");
  EXPECT_EQ(shared.Security("w:authEncryption/w:useOneX"), "false");
  EXPECT_EQ(shared.Security("w:sharedKey/w:keyType"), "networkKey");
  EXPECT_EQ(shared.Security("w:sharedKey/w:protected"), "false");
  EXPECT_EQ(shared.Security("w:sharedKey/w:keyMaterial"), "0123456789ABCDEF0123456789");
  EXPECT_EQ(shared.Security("w:keyIndex"), "2");
  EXPECT_EQ(shared["/w:WLANProfile/w:SSIDConfig/w:SSID/w:hex"], "43616665");

  record.authMode = 0;
  EXPECT_EQ(Document(record).Security("w:authEncryption/w:authentication"), "open");
  // Auto Switch keeps the template's authentication (open) and still gets the key.
  record.authMode = 2;
  const Document automatic(record);
  EXPECT_EQ(automatic.Security("w:authEncryption/w:authentication"), "open");
  EXPECT_EQ(automatic.Security("w:sharedKey/w:keyMaterial"), "0123456789ABCDEF0123456789");
  // A key slot outside the four is a damaged record: no document rather than a stray key.
  record.wepKeyIndex = 4;
  EXPECT_EQ(vtr::ProfileDocumentText(record, kBlob), "");
}

TEST(ProfileDocumentTest, PreSharedKeys) {
  ProfileRecord record = Record("Home", 8, 4);
  std::snprintf(record.psk, sizeof record.psk, "%s", std::string(63, 'k').c_str());
  const Document passphrase(record);
  ASSERT_TRUE(passphrase.Loaded()) << passphrase.Text();
  EXPECT_EQ(passphrase.Security("w:authEncryption/w:authentication"), "WPA2PSK");
  EXPECT_EQ(passphrase.Security("w:authEncryption/w:encryption"), "AES");
  EXPECT_EQ(passphrase.Security("w:authEncryption/w:useOneX"), "false");
  EXPECT_EQ(passphrase.Security("w:sharedKey/w:keyType"), "passPhrase");
  EXPECT_EQ(passphrase.Security("w:sharedKey/w:protected"), "false");
  EXPECT_EQ(passphrase.Security("w:sharedKey/w:keyMaterial"), std::string(63, 'k'));
  EXPECT_EQ(passphrase["/w:WLANProfile/w:SSIDConfig/w:nonBroadcast"], "true");

  const std::string raw = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
  std::snprintf(record.psk, sizeof record.psk, "%s", raw.c_str());
  const Document key(record);
  EXPECT_EQ(key.Security("w:sharedKey/w:keyType"), "networkKey");
  EXPECT_EQ(key.Security("w:sharedKey/w:keyMaterial"), raw);

  record.authMode = 4;
  record.encryption = 2;
  const Document wpa(record);
  EXPECT_EQ(wpa.Security("w:authEncryption/w:authentication"), "WPAPSK");
  EXPECT_EQ(wpa.Security("w:authEncryption/w:encryption"), "TKIP");
  // An encryption other than TKIP or AES leaves the template's.
  record.authMode = 8;
  record.encryption = 6;
  EXPECT_EQ(Document(record).Security("w:authEncryption/w:encryption"), "TKIP");
}

TEST(ProfileDocumentTest, Peap) {
  ProfileRecord record = Record("Corp", 32, 4);
  record.eapMethod = 1;
  const Document peap(record);
  ASSERT_TRUE(peap.Loaded()) << peap.Text();
  EXPECT_EQ(peap.Security("w:authEncryption/w:authentication"), "WPA2");
  EXPECT_EQ(peap.Security("w:authEncryption/w:encryption"), "AES");
  EXPECT_EQ(peap.Security("w:authEncryption/w:useOneX"), "true");
  EXPECT_EQ(peap.Security("o:OneX/o:cacheUserData"), "true");
  EXPECT_EQ(peap.Eap("h:EapMethod/c:Type"), "25");
  EXPECT_EQ(peap.Eap("h:EapMethod/c:VendorId"), "0");
  // The method's own blob stays: the EAP-TLS one is not written here.
  const auto blob = peap.Eap("h:ConfigBlob");
  ASSERT_TRUE(blob);
  EXPECT_FALSE(blob->empty());
  EXPECT_EQ(blob->find("11223344"), std::string::npos);
  EXPECT_FALSE(peap.Security("w:sharedKey"));

  record.authMode = 16;
  record.encryption = 2;
  const Document wpa(record);
  EXPECT_EQ(wpa.Security("w:authEncryption/w:authentication"), "WPA");
  EXPECT_EQ(wpa.Security("w:authEncryption/w:encryption"), "TKIP");
}

TEST(ProfileDocumentTest, EapTls) {
  ProfileRecord record = Record("Corp", 16, 2);
  record.eapMethod = 0;
  const Document tls(record);
  ASSERT_TRUE(tls.Loaded()) << tls.Text();
  EXPECT_EQ(tls.Security("w:authEncryption/w:authentication"), "WPA");
  EXPECT_EQ(tls.Security("w:authEncryption/w:encryption"), "TKIP");
  EXPECT_EQ(tls.Security("w:authEncryption/w:useOneX"), "true");
  EXPECT_EQ(tls.Security("w:PMKCacheMode"), "enabled");
  EXPECT_EQ(tls.Security("w:PMKCacheTTL"), "720");
  EXPECT_EQ(tls.Security("w:PMKCacheSize"), "128");
  EXPECT_EQ(tls.Security("w:preAuthMode"), "disabled");
  EXPECT_EQ(tls["/w:WLANProfile/w:autoSwitch"], "false");
  EXPECT_EQ(tls.Eap("h:EapMethod/c:Type"), "13");
  EXPECT_EQ(tls.Eap("h:ConfigBlob"), kBlob);
  EXPECT_TRUE(vtr::NeedsEapTlsBlob(record));

  // Ad hoc leaves the template's nonBroadcast as it is.
  record.networkType = 0;
  record.authMode = 32;
  record.encryption = 4;
  const Document adhoc(record);
  EXPECT_EQ(adhoc["/w:WLANProfile/w:SSIDConfig/w:nonBroadcast"], "false");
  EXPECT_EQ(adhoc.Security("w:authEncryption/w:authentication"), "WPA2");
  EXPECT_EQ(adhoc.Security("w:authEncryption/w:encryption"), "AES");
  record.eapMethod = 1;
  EXPECT_FALSE(vtr::NeedsEapTlsBlob(record));
}

TEST(ProfileDocumentTest, NamesAndKeysAreTextOfTheDocument) {
  // Characters XML reserves come out escaped and read back as they were.
  ProfileRecord record = Record("a<b&\"c'>", 8, 4);
  std::snprintf(record.psk, sizeof record.psk, "%s", "p<&>]]>ss");
  const Document special(record);
  ASSERT_TRUE(special.Loaded()) << special.Text();
  EXPECT_EQ(special["/w:WLANProfile/w:name"], "a<b&\"c'>");
  EXPECT_EQ(special["/w:WLANProfile/w:SSIDConfig/w:SSID/w:hex"], "613C62262263273E");
  EXPECT_EQ(special.Security("w:sharedKey/w:keyMaterial"), "p<&>]]>ss");
  EXPECT_NE(special.Text().find("<name>a&lt;b&amp;\"c'&gt;</name>"), std::string::npos);
  EXPECT_EQ(special.Text().find("p<&"), std::string::npos);

  // UTF-8 names stay; other bytes are read in the ANSI code page, and what XML cannot hold is
  // replaced. The hex element keeps every byte.
  ProfileRecord utf8 = Record("caf\xC3\xA9", 0, 0);
  EXPECT_EQ(Document(utf8)["/w:WLANProfile/w:name"], "caf\xC3\xA9");
  ProfileRecord ansi = Record("\xE9t\xE9\x80\x01", 0, 0);
  const Document latin(ansi);
  ASSERT_TRUE(latin.Loaded()) << latin.Text();
  EXPECT_EQ(latin["/w:WLANProfile/w:SSIDConfig/w:SSID/w:name"],
            "\xC3\xA9t\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD");
  EXPECT_EQ(latin["/w:WLANProfile/w:SSIDConfig/w:SSID/w:hex"], "E974E98001");

  // A name longer than 802.11 allows is a damaged record.
  ProfileRecord longName = Record(std::string(33, 'n').c_str(), 0, 0);
  EXPECT_EQ(vtr::ProfileDocumentText(longName, kBlob), "");
  longName.ssid[32] = '\0';
  EXPECT_NE(vtr::ProfileDocumentText(longName, kBlob), "");
}

TEST(ProfileDocumentTest, ServiceTextIsUtf16WithinItsBound) {
  ProfileRecord record = Record("\xE2\x82\xAC-\xF0\x9F\x93\xB6", 32, 4);
  record.eapMethod = 0;
  const std::string text = vtr::ProfileDocumentText(record, kBlob);
  const std::u16string xml = vtr::ProfileXml(record, kBlob);
  ASSERT_FALSE(xml.empty());
  EXPECT_NE(xml.find(u"<name>\u20AC-\U0001F4F6</name>"), std::u16string::npos);
  EXPECT_EQ(xml.substr(0, 21), u"<?xml version=\"1.0\"?>");
  // Three bytes of UTF-8 are one unit, four bytes two.
  EXPECT_EQ(xml.size(), text.size() - 2 * 2 - 2 * 2);

  // A document above 4092 units is not handed on at all; one at the bound is.
  const size_t room = vtr::kMaxProfileCharacters - xml.size();
  const std::string exact = std::string(kBlob) + std::string(room, '0');
  EXPECT_EQ(vtr::ProfileXml(record, exact).size(), vtr::kMaxProfileCharacters);
  EXPECT_TRUE(vtr::ProfileXml(record, exact + "0").empty());
}

}  // namespace
