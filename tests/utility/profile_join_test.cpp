// Networks joined from the Profile Manager page on xp and vista machines: the profile typed in the
// editor, completed in its 802.1X dialog and applied, joins Office-Corp with PEAP and with bob's
// certificate; a wrong password joins nothing; the store and vtrctl then name the profile default.
#include <QComboBox>
#include <QLineEdit>

#include "app/core/app_state.h"
#include "app/core/personal_certificates.h"
#include "app/core/record_text.h"
#include "app/pages/account_dialog.h"
#include "app/pages/eap_tls_dialog.h"
#include "app/pages/peap_dialog.h"
#include "app/pages/profile_security_group.h"
#include "app/pages/radius_dialog.h"
#include "app/pages/working_profile.h"
#include "utility/profile_page_fixture.h"

namespace app_testing {
namespace {

using core::FieldText;
using namespace pages;

constexpr uint32_t kWpa2Radius = 32;
constexpr uint32_t kAes = 4;
constexpr uint32_t kEapTls = 0;
constexpr uint32_t kPeap = 1;

class ProfileJoinTest : public ProfilePageTest {
 protected:
  // No link at the start: the default names a network that is not there, and the automatic
  // connection tries nothing else.
  void StartUnjoined() {
    AddProfile("Gone", "NotHere", 0, 0, {}, true);
    SetSetting("AutoConnect", "0");
    StartAndSettle();
    ShowPage();
    ASSERT_EQ(Link().linkState, 2u);
  }

  void EditOffice(const QString& name, uint32_t eapMethod) {
    TypeProfile(name, "Office-Corp");
    Choose(List(kAuthList), kWpa2Radius);
    Choose(List(kEncryptionList), kAes);
    Choose(List(kEapList), eapMethod);
  }

  void EnterPeapAccount(const QString& password) {
    WithDialog<CPeapDialog>(Button(kConfigureRadius), [&](CPeapDialog& dialog) {
      DialogControl<QLineEdit>(dialog, kAccountLogin)->setText("alice");
      DialogControl<QLineEdit>(dialog, kAccountPassword)->setText(password);
      DialogControl<QLineEdit>(dialog, kAccountDomain)->setText("HALVORN");
      DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
    });
  }

  // Presses "&Apply  Profile" and runs until its connect has ended.
  void Apply() {
    const uint64_t runs = Sheet().Connector().Runs();
    Click(Button(kApplyProfile));
    WaitForConnectEnd(runs + 1);
  }

  void ExpectJoinedAsDefault(const std::string& name) {
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(LinkSsid(), "Office-Corp");
    EXPECT_EQ(DefaultName(), name);
    EXPECT_EQ(List(kProfileNameList)->currentText().toStdString(), name);
    const auto listed = Vtrctl({"profile", "list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("* " + name), std::string::npos) << listed.out;
  }
};

TEST_F(ProfileJoinTest, OfficeCorpIsJoinedWithPeap) {
  StartUnjoined();
  EditOffice("Office", kPeap);
  if (IsVista()) {
    // PEAP logs on with the machine's Windows account there: nothing to configure.
    EXPECT_FALSE(Button(kConfigureRadius)->isEnabled());
  } else {
    EnterPeapAccount("Winter2008!");
  }
  Apply();
  ExpectJoinedAsDefault("Office");
  const auto stored = Stored("Office");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->eapMethod, kPeap);
  EXPECT_EQ(FieldText(stored->eapIdentity), IsVista() ? "" : "alice");
}

TEST_F(ProfileJoinTest, AWrongPeapPasswordJoinsNothing) {
  StartUnjoined();
  if (IsVista()) GTEST_SKIP() << "the Vista build logs on with the Windows account";
  EditOffice("Office", kPeap);
  EnterPeapAccount("Summer2008!");
  Apply();
  EXPECT_NE(LinkSsid(), "Office-Corp");
  const auto stored = Stored("Office");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(FieldText(stored->eapPassword), "Summer2008!");
}

TEST_F(ProfileJoinTest, OfficeCorpIsJoinedWithBobsCertificate) {
  StartUnjoined();
  EditOffice("Badge", kEapTls);
  const auto personal = core::PersonalStoreCertificates();
  int bob = -1;
  for (size_t i = 0; i < personal.size(); ++i) {
    if (personal[i].subjectName.find("bob") != std::string::npos) bob = static_cast<int>(i);
  }
  ASSERT_GE(bob, 0);
  WithDialog<CEapTlsDialog>(Button(kConfigureRadius), [&](CEapTlsDialog& dialog) {
    DialogControl<QComboBox>(dialog, kTlsCertificate)->setCurrentIndex(bob);
    DialogControl<QLineEdit>(dialog, kTlsLogin)->setText("bob");
    DialogControl<QAbstractButton>(dialog, kDialogOk)->click();
  });
  Apply();
  ExpectJoinedAsDefault("Badge");
  const auto stored = Stored("Badge");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(FieldText(stored->tlsIdentity), "bob");
}

}  // namespace
}  // namespace app_testing
