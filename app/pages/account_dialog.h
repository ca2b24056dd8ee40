// The dialogs of the two 802.1X protocols that log on with an account, PEAP and LEAP: login
// name, password (masked) and domain, taken from the profile's eapIdentity, eapPassword and
// eapDomain, which the two protocols share. OK needs a login name and a password.
#pragma once

#include "app/pages/radius_dialog.h"
#include "vtrlib.h"

class QLineEdit;

namespace pages {

// Control numbers of the account fields.
inline constexpr int kAccountLogin = 1302;
inline constexpr int kAccountPassword = 1303;
inline constexpr int kAccountDomain = 1304;

// The texts one dialog reads for its title, labels and buttons.
struct AccountDialogTexts {
  LangText title;
  LangText login;
  LangText password;
  LangText domain;
  LangText ok;
  LangText cancel;
};

class AccountDialog : public RadiusDialog {
 public:
  // Writes the fields into record (after OK).
  void Store(ProfileRecord& record) const;

 protected:
  AccountDialog(QWidget* parent, const ProfileRecord& record, uint32_t eapMethod,
                const AccountDialogTexts& texts);
  // The login, password and domain rows, then the buttons; a dialog adds its own rows first.
  void AddAccountRows(const ProfileRecord& record);
  bool Complete() override;

 private:
  AccountDialogTexts texts_;
  QLineEdit* login_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* domain_ = nullptr;
};

}  // namespace pages
