// The Security group of the profile editor and its 802.1X dialogs on xp and vista machines: the
// lists each authentication offers, WEP keys from a passphrase (the same as vtrctl wep-keys) and
// typed ones, every message of the check before Save, the masking box, and the EAP-TLS, PEAP
// and LEAP dialogs, which change the profile only when OK is pressed.
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/core/app_state.h"
#include "app/core/personal_certificates.h"
#include "app/core/record_text.h"
#include "app/pages/account_dialog.h"
#include "app/pages/eap_tls_dialog.h"
#include "app/pages/leap_dialog.h"
#include "app/pages/peap_dialog.h"
#include "app/pages/profile_security_group.h"
#include "app/pages/radius_dialog.h"
#include "app/pages/working_profile.h"
#include "support/test_certificates.h"
#include "utility/profile_page_fixture.h"

namespace app_testing {
namespace {

using core::FieldText;
using core::State;
using namespace pages;

constexpr const char* kIllegal = "Illegal password !";

class ProfileSecurityTest : public ProfilePageTest {
 protected:
  void OpenEditor() {
    StartAndSettle();
    ShowPage();
    TypeProfile("Test", "TestNet");
  }
  void Security(uint32_t auth, uint32_t encryption) {
    Choose(List(kAuthList), auth);
    Choose(List(kEncryptionList), encryption);
  }
  // Save, and the message it showed (empty for none); every check's message has the
  // exclamation icon.
  std::string SaveMessage() {
    Click(Button(kSaveProfile));
    const auto shown = TakeMessages();
    if (shown.empty()) return {};
    EXPECT_EQ(shown.size(), 1u) << shown.front().text << " | " << shown.back().text;
    EXPECT_EQ(shown.back().icon, core::MessageIcon::Exclamation) << shown.back().text;
    return shown.back().text;
  }
  void TypePsk(const QString& key, const QString& confirm) {
    Type(Edit(kPskEdit), key);
    Type(Edit(kConfirmEdit), confirm);
  }
  bool Shown(int id) { return Control(id)->isVisibleTo(&Page()); }
  std::vector<std::string> VtrctlKeys(const std::vector<std::string>& args) {
    const auto run = Vtrctl(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return nlohmann::json::parse(run.out).at("keys").get<std::vector<std::string>>();
  }
  static std::vector<std::string> StoredKeys(const ProfileRecord& record) {
    std::vector<std::string> keys;
    for (const auto& key : record.wepKey) keys.emplace_back(FieldText(key));
    return keys;
  }
};

TEST_F(ProfileSecurityTest, EachAuthenticationOffersItsEncryptionsAndArea) {
  OpenEditor();
  const VtrCapability capability = State().adapterCapability.Get();
  std::vector<uint32_t> modes{0, 1, 2, 4, 8, 16, 32};
  if (capability.adapterKind == 5) modes.erase(modes.begin() + 2);
  EXPECT_EQ(Values(List(kAuthList)), modes);
  EXPECT_EQ(List(kAuthList)->itemText(0), "Open System");

  Choose(List(kAuthList), 0);
  EXPECT_EQ(Values(List(kEncryptionList)), (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(List(kEncryptionList)->itemText(0), "Security Off");
  EXPECT_TRUE(Shown(kWepGroup));
  EXPECT_FALSE(Shown(kKeyFrame));
  Choose(List(kEncryptionList), 0);
  EXPECT_FALSE(Control(kPassphraseEdit)->isEnabled());
  Choose(List(kAuthList), 1);
  EXPECT_EQ(Values(List(kEncryptionList)), std::vector<uint32_t>{1});
  EXPECT_TRUE(Control(kPassphraseEdit)->isEnabled());

  Choose(List(kAuthList), 8);
  EXPECT_EQ(Values(List(kEncryptionList)), (std::vector<uint32_t>{2, 4}));
  EXPECT_FALSE(Shown(kWepGroup));
  EXPECT_TRUE(Shown(kPskEdit));
  EXPECT_FALSE(Shown(kEapList));
  EXPECT_EQ(Shown(kPskNote), (capability.keyEntryMask & (1u << 25)) != 0);

  Choose(List(kAuthList), 32);
  EXPECT_FALSE(Shown(kPskEdit));
  EXPECT_TRUE(Shown(kEapList));
  std::vector<uint32_t> methods;
  for (uint32_t method : {0u, 1u, 2u}) {
    if ((capability.eapMask & (1u << method)) != 0) methods.push_back(method);
  }
  EXPECT_EQ(Values(List(kEapList)), methods);
  if (std::find(methods.begin(), methods.end(), 2u) != methods.end()) {
    // LEAP: TKIP under WPA, AES under WPA2.
    Choose(List(kEapList), 2);
    EXPECT_EQ(Values(List(kEncryptionList)), std::vector<uint32_t>{4});
    Choose(List(kAuthList), 16);
    EXPECT_EQ(Values(List(kEncryptionList)), std::vector<uint32_t>{2});
    EXPECT_TRUE(Button(kConfigureRadius)->isEnabled());
  }
  if (std::find(methods.begin(), methods.end(), 1u) != methods.end()) {
    Choose(List(kEapList), 1);
    EXPECT_EQ(Values(List(kEncryptionList)), (std::vector<uint32_t>{2, 4}));
    // Vista logs on to PEAP with the user's own account: nothing to configure.
    EXPECT_EQ(Button(kConfigureRadius)->isEnabled(), !IsVista());
  }

  // An adapter of kind 5 has no Auto Switch.
  State().adapterCapability.With([](VtrCapability& held) { held.adapterKind = 5; });
  Click(Control<QRadioButton>(kInfrastructureRadio));
  EXPECT_EQ(List(kAuthList)->findData(2u), -1);
}

TEST_F(ProfileSecurityTest, PassphraseKeysAreTheLibrarysAsVtrctlPrintsThem) {
  OpenEditor();
  Security(0, 1);
  Type(Edit(kPassphraseEdit), "radiodesk");
  ProfileRecord record = Working();
  const auto keys64 = StoredKeys(record);
  EXPECT_EQ(keys64, VtrctlKeys({"wep-keys", "radiodesk", "--json"}));
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(record.wepKeyLength[i], 5u);
    for (size_t j = i + 1; j < 4; ++j) EXPECT_NE(keys64[i], keys64[j]);
  }
  EXPECT_EQ(FieldText(record.wepPassphrase), "radiodesk");
  EXPECT_EQ(record.wepPassphraseLength, 9u);
  EXPECT_EQ(record.wepKeyManual, 0);
  EXPECT_EQ(Edit(kHexKeyEdit)->text().toStdString(), keys64[0]);
  Choose(List(kKeyIndexList), 2);
  EXPECT_EQ(Working().wepKeyIndex, 2u);
  EXPECT_EQ(Edit(kHexKeyEdit)->text().toStdString(), keys64[2]);

  Choose(List(kPassphraseSize), 1);
  EXPECT_EQ(List(kManualSize)->currentIndex(), 1);
  record = Working();
  const auto wide = VtrctlKeys({"wep-keys", "radiodesk", "--128", "--json"});
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_EQ(StoredKeys(record), std::vector<std::string>(4, wide[0]));
  EXPECT_EQ(record.wepKeyLength[3], 13u);
  EXPECT_EQ(SaveMessage(), "");
  EXPECT_EQ(StoredKeys(*Stored("Test")), std::vector<std::string>(4, wide[0]));

  // A stored passphrase profile shows its passphrase and size again.
  ChooseText(List(kProfileNameList), "Test");
  EXPECT_EQ(Edit(kPassphraseEdit)->text(), "radiodesk");
  EXPECT_EQ(List(kPassphraseSize)->currentIndex(), 1);
  EXPECT_TRUE(Control<QRadioButton>(kPassphraseRadio)->isChecked());
}

TEST_F(ProfileSecurityTest, ATypedKeyIsTheOnlyKeyKept) {
  OpenEditor();
  Security(1, 1);
  Type(Edit(kPassphraseEdit), "radiodesk");
  Click(Control<QRadioButton>(kHexRadio));
  EXPECT_EQ(Edit(kPassphraseEdit)->text(), "");
  EXPECT_FALSE(Control(kPassphraseEdit)->isEnabled());
  EXPECT_TRUE(Edit(kHexKeyEdit)->isEnabled());
  EXPECT_EQ(Control<QLabel>(kManualLabel)->text(), "Enter the WEP Hex key manually :");
  Choose(List(kKeyIndexList), 2);
  Type(Edit(kHexKeyEdit), "0123456789");
  ProfileRecord record = Working();
  EXPECT_EQ(StoredKeys(record), (std::vector<std::string>{"", "", "0123456789", ""}));
  EXPECT_EQ(record.wepKeyLength[2], 5u);
  EXPECT_EQ(record.wepKeyLength[0], 0u);
  EXPECT_EQ(record.wepKeyManual, 1);
  EXPECT_EQ(record.wepKeyAscii, 0);

  Choose(List(kManualSize), 1);
  EXPECT_EQ(Edit(kHexKeyEdit)->text(), "");
  EXPECT_EQ(Edit(kHexKeyEdit)->maxLength(), 26);
  Type(Edit(kHexKeyEdit), "2b7e151628aed2a6abf7158809");
  EXPECT_EQ(Working().wepKeyLength[2], 13u);
  EXPECT_EQ(SaveMessage(), "");

  Click(Control<QRadioButton>(kAsciiRadio));
  EXPECT_FALSE(Edit(kHexKeyEdit)->isVisibleTo(&Page()));
  EXPECT_EQ(Control<QLabel>(kManualLabel)->text(), "Enter the WEP ASCII key manually :");
  EXPECT_EQ(Edit(kAsciiKeyEdit)->maxLength(), 13);
  Type(Edit(kAsciiKeyEdit), "abcdefghijklm");
  record = Working();
  EXPECT_EQ(record.wepKeyAscii, 1);
  EXPECT_EQ(record.wepKeyLength[2], 13u);
  EXPECT_EQ(FieldText(record.wepKey[2]), "abcdefghijklm");
}

TEST_F(ProfileSecurityTest, EveryWepRuleHasItsMessage) {
  OpenEditor();
  Security(0, 1);
  EXPECT_EQ(SaveMessage(), "WEP Passphrase, Please enter 1 ~ 32 Characters.");
  Type(Edit(kPassphraseEdit), "tab\there");
  EXPECT_EQ(SaveMessage(), kIllegal);

  Click(Control<QRadioButton>(kHexRadio));
  Type(Edit(kHexKeyEdit), "12345");
  EXPECT_EQ(SaveMessage(), "WEP Hex size is 64 Bits. Please enter 10 hexadecimal digits.");
  Type(Edit(kHexKeyEdit), "123456789g");
  EXPECT_EQ(SaveMessage(), kIllegal);
  Choose(List(kManualSize), 1);
  Type(Edit(kHexKeyEdit), "1234567890");
  EXPECT_EQ(SaveMessage(), "WEP Hex size is 128 Bits. Please enter 26 hexadecimal digits.");

  Click(Control<QRadioButton>(kAsciiRadio));
  Type(Edit(kAsciiKeyEdit), "abcde");
  EXPECT_EQ(SaveMessage(), "WEP ASCII size is 128 Bits. Please enter 13 Characters.");
  Choose(List(kManualSize), 0);
  Type(Edit(kAsciiKeyEdit), "abc");
  EXPECT_EQ(SaveMessage(), "WEP ASCII size is 64 Bits. Please enter 5 Characters.");
  Type(Edit(kAsciiKeyEdit), QString::fromUtf8("abcd\xc3\xa9"));
  EXPECT_EQ(SaveMessage(), kIllegal);
  Type(Edit(kAsciiKeyEdit), "abcde");
  EXPECT_EQ(SaveMessage(), "");
  EXPECT_FALSE(StoredProfiles().empty());
}

TEST_F(ProfileSecurityTest, PreSharedKeyRulesAndTheMaskingBox) {
  OpenEditor();
  Security(4, 2);
  // A mismatch is told before the length.
  TypePsk("1234567", "7654321");
  EXPECT_EQ(SaveMessage(), "Confirm Passphrase Error !");
  TypePsk("1234567", "1234567");
  EXPECT_EQ(SaveMessage(), "You must set key with 8 characters at least !");
  TypePsk("tab\tinside", "tab\tinside");
  EXPECT_EQ(SaveMessage(), kIllegal);
  const bool hexKeys = (State().adapterCapability.Get().keyEntryMask & (1u << 25)) != 0;
  EXPECT_EQ(Edit(kPskEdit)->maxLength(), hexKeys ? 64 : 63);
  if (hexKeys) {
    const QString hex(64, QChar('a'));
    TypePsk(QString(63, QChar('a')) + "g", QString(63, QChar('a')) + "g");
    EXPECT_EQ(SaveMessage(), kIllegal);
    TypePsk(hex, hex);
    EXPECT_EQ(Working().pskIsHex, 1);
    EXPECT_EQ(SaveMessage(), "");
  }
  Type(Edit(kProfileNameList), "Words");
  TypePsk("correct horse battery", "correct horse battery");
  EXPECT_EQ(Working().pskIsHex, 0);
  EXPECT_EQ(SaveMessage(), "");
  EXPECT_EQ(FieldText(Stored("Words")->psk), "correct horse battery");
  // An emptied key takes its confirmation with it.
  Type(Edit(kPskEdit), "");
  EXPECT_EQ(Edit(kConfirmEdit)->text(), "");
  EXPECT_EQ(Working().pskLength, 0u);

  // Masking starts as "Encryption" says and writes it back.
  EXPECT_EQ(Setting("Encryption"), "1");
  auto* box = Control<QCheckBox>(kMaskBox);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(Edit(kPskEdit)->echoMode(), QLineEdit::Password);
  box->click();
  EXPECT_EQ(Edit(kConfirmEdit)->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(Setting("Encryption"), "0");
}

TEST_F(ProfileSecurityTest, EnterpriseProfilesNeedTheirLogOn) {
  OpenEditor();
  Choose(List(kAuthList), 32);
  const uint32_t eapMask = State().adapterCapability.Get().eapMask;
  if ((eapMask & 1) != 0) {
    Choose(List(kEapList), 0);
    EXPECT_EQ(SaveMessage(), "Illegal login name or certificate for WPA authentication !");
  }
  for (uint32_t method : {1u, 2u}) {
    if ((eapMask & (1u << method)) == 0) continue;
    Choose(List(kEapList), method);
    // Vista logs on with the user's own Windows account.
    EXPECT_EQ(SaveMessage(),
              IsVista() ? "" : "Illegal login name or password for WPA authentication !")
        << method;
  }
}

TEST_F(ProfileSecurityTest, AccountDialogsChangeTheProfileOnlyOnOk) {
  OpenEditor();
  Choose(List(kAuthList), 32);
  const uint32_t eapMask = State().adapterCapability.Get().eapMask;
  if (IsVista()) {
    // PEAP logs on with the Windows account there, and the Vista build has no LEAP.
    EXPECT_EQ(eapMask & 4, 0u);
    GTEST_SKIP() << "the Vista build offers no account dialog";
  }
  ASSERT_NE(eapMask & 4, 0u);
  Choose(List(kEapList), 2);
  WithDialog<CLeapDialog>(Button(kConfigureRadius), [&](CLeapDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "WPA - LEAP Radius Configuration");
    EXPECT_EQ(DialogControl<QLineEdit>(dialog, kAccountPassword)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(DialogControl<QLineEdit>(dialog, kAccountLogin)->maxLength(), 256);
    DialogControl<QLineEdit>(dialog, kAccountLogin)->setText("carol");
    DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
    // No password: refused, and the dialog stays.
    EXPECT_EQ(OnlyMessage(), "Illegal login name or password for WPA authentication !");
    EXPECT_TRUE(dialog.isVisible());
    DialogControl<QLineEdit>(dialog, kAccountPassword)->setText("s3cret");
    DialogControl<QLineEdit>(dialog, kAccountDomain)->setText("HALVORN");
    DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
  });
  EXPECT_EQ(FieldText(Working().eapIdentity), "carol");
  EXPECT_EQ(FieldText(Working().eapPassword), "s3cret");
  EXPECT_EQ(FieldText(Working().eapDomain), "HALVORN");

  WithDialog<CLeapDialog>(Button(kConfigureRadius), [&](CLeapDialog& dialog) {
    EXPECT_EQ(DialogControl<QLineEdit>(dialog, kAccountLogin)->text(), "carol");
    DialogControl<QLineEdit>(dialog, kAccountLogin)->setText("mallory");
    DialogControl<QAbstractButton>(dialog, kDialogCancel)->click();
  });
  EXPECT_EQ(FieldText(Working().eapIdentity), "carol");

  Choose(List(kEapList), 1);
  WithDialog<CPeapDialog>(Button(kConfigureRadius), [&](CPeapDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "WPA2 - PEAP Radius Configuration");
    auto* inner = DialogControl<QComboBox>(dialog, kPeapInnerProtocol);
    ASSERT_EQ(inner->count(), 1);
    EXPECT_EQ(inner->currentText(), "EAP/MS-CHAP V2");
    EXPECT_EQ(DialogControl<QLineEdit>(dialog, kAccountPassword)->text(), "s3cret");
    DialogControl<QLineEdit>(dialog, kAccountLogin)->setText("alice");
    DialogControl<QLineEdit>(dialog, kAccountPassword)->setText("Winter2008!");
    DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
  });
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(FieldText(Working().eapIdentity), "alice");
  EXPECT_EQ(SaveMessage(), "");
}

TEST_F(ProfileSecurityTest, TheEapTlsDialogOffersThePersonalStore) {
  OpenEditor();
  Choose(List(kAuthList), 16);
  ASSERT_NE(State().adapterCapability.Get().eapMask & 1, 0u);
  Choose(List(kEapList), 0);
  const auto personal = core::PersonalStoreCertificates();
  ASSERT_FALSE(personal.empty());
  size_t bob = personal.size();
  for (size_t i = 0; i < personal.size(); ++i) {
    if (personal[i].subjectName.find("bob") != std::string::npos) bob = i;
  }
  ASSERT_LT(bob, personal.size());
  WithDialog<CEapTlsDialog>(Button(kConfigureRadius), [&](CEapTlsDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "WPA - EAP/TLS Radius Configuration");
    auto* list = DialogControl<QComboBox>(dialog, kTlsCertificate);
    ASSERT_EQ(static_cast<size_t>(list->count()), personal.size());
    EXPECT_EQ(list->currentIndex(), 0);
    list->setCurrentIndex(static_cast<int>(bob));
    EXPECT_EQ(DialogControl<QLabel>(dialog, kTlsThumbprint)->text().toStdString(),
              core::ThumbprintText(personal[bob].sha1Hash));
    DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
    EXPECT_EQ(OnlyMessage(), "Illegal login name or certificate for WPA authentication !");
    DialogControl<QLineEdit>(dialog, kTlsLogin)->setText("bob");
    DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
  });
  ProfileRecord record = Working();
  EXPECT_EQ(FieldText(record.tlsIdentity), "bob");
  EXPECT_EQ(FieldText(record.tlsCertificateName), core::ProfileCertificateName(personal[bob]));
  EXPECT_EQ(std::memcmp(record.tlsCertificateHash, personal[bob].sha1Hash.data(), 20), 0);

  // Cancel leaves the choice as it was, and the dialog comes back with the profile's certificate.
  WithDialog<CEapTlsDialog>(Button(kConfigureRadius), [&](CEapTlsDialog& dialog) {
    auto* list = DialogControl<QComboBox>(dialog, kTlsCertificate);
    EXPECT_EQ(list->currentIndex(), static_cast<int>(bob));
    list->setCurrentIndex(bob == 0 ? 1 : 0);
    DialogControl<QAbstractButton>(dialog, kDialogCancel)->click();
  });
  EXPECT_EQ(std::memcmp(Working().tlsCertificateHash, personal[bob].sha1Hash.data(), 20), 0);
  EXPECT_EQ(SaveMessage(), "");
}

TEST_F(ProfileSecurityTest, OnlyTheFirstFortyCertificatesAreListed) {
  std::filesystem::create_directories(machine_ / "certificates");
  {
    std::ofstream store(machine_ / "certificates" / "MY.pem");
    for (int i = 0; i < 41; ++i) store << testing_support::kEve;
  }
  OpenEditor();
  const auto personal = core::PersonalStoreCertificates();
  ASSERT_GE(personal.size(), 41u);
  Choose(List(kAuthList), 32);
  Choose(List(kEapList), 0);
  WithDialog<CEapTlsDialog>(Button(kConfigureRadius), [&](CEapTlsDialog& dialog) {
    EXPECT_EQ(DialogControl<QComboBox>(dialog, kTlsCertificate)->count(), 40);
    EXPECT_EQ(DialogControl<QLabel>(dialog, kTlsIssuer)->text().toStdString(),
              personal[0].issuerName);
    DialogControl<QAbstractButton>(dialog, kDialogCancel)->click();
  });
}

}  // namespace
}  // namespace app_testing
