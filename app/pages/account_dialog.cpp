#include "app/pages/account_dialog.h"

#include <QLineEdit>

#include "app/core/message_box.h"
#include "app/core/record_text.h"

namespace pages {

AccountDialog::AccountDialog(QWidget* parent, const ProfileRecord& record, uint32_t eapMethod,
                             const AccountDialogTexts& texts)
    : RadiusDialog(parent,
                   RadiusTitlePrefix(record.authMode, eapMethod) + ProfileText(texts.title)),
      texts_(texts) {}

void AccountDialog::AddAccountRows(const ProfileRecord& record) {
  login_ = AddEdit(texts_.login, kAccountLogin, core::FieldQString(record.eapIdentity), false);
  password_ =
      AddEdit(texts_.password, kAccountPassword, core::FieldQString(record.eapPassword), true);
  domain_ = AddEdit(texts_.domain, kAccountDomain, core::FieldQString(record.eapDomain), false);
  AddButtons(texts_.ok, texts_.cancel);
}

bool AccountDialog::Complete() {
  if (login_->text().isEmpty() || password_->text().isEmpty()) {
    core::ShowMessage(
        this, ProfileText({"13080", "Illegal login name or password for WPA authentication !"}),
        core::MessageIcon::Exclamation);
    return false;
  }
  return true;
}

void AccountDialog::Store(ProfileRecord& record) const {
  core::SetFieldText(record.eapIdentity, login_->text());
  core::SetFieldText(record.eapPassword, password_->text());
  core::SetFieldText(record.eapDomain, domain_->text());
}

}  // namespace pages
