#include "app/pages/radius_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/controls/byte_limit.h"
#include "app/controls/flat_button.h"
#include "app/controls/palette.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"

namespace pages {

QString ProfileText(const LangText& text) {
  return core::ToQString(core::LangLookup("PROFILE_MANAGER", text.key, text.fallback));
}

QString RadiusTitlePrefix(uint32_t authMode, uint32_t eapMethod) {
  if (eapMethod == kEapLeap) return IsEnterprise(authMode) ? QStringLiteral("WPA - ") : QString();
  return authMode == kAuthWpa2 ? QStringLiteral("WPA2 - ") : QStringLiteral("WPA - ");
}

RadiusDialog::RadiusDialog(QWidget* parent, const QString& title) : QDialog(parent) {
  setWindowTitle(title);
  setModal(true);
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, controls::kPageBackground);
  setPalette(background);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 14);
  layout->setSpacing(16);
  form_ = new QGridLayout;
  form_->setHorizontalSpacing(12);
  form_->setVerticalSpacing(10);
  form_->setColumnStretch(1, 1);
  layout->addLayout(form_);
  layout->addStretch(1);
  setMinimumWidth(420);
}

void RadiusDialog::AddRow(const LangText& label, QWidget* field) {
  auto* text = new QLabel(ProfileText(label), this);
  text->setBuddy(field);
  form_->addWidget(text, rows_, 0);
  form_->addWidget(field, rows_, 1);
  ++rows_;
}

QLineEdit* RadiusDialog::AddEdit(const LangText& label, int editId, const QString& text,
                                 bool masked) {
  auto* edit = new QLineEdit(this);
  core::SetControlId(edit, editId);
  controls::LimitBytes(edit, kCredentialBytes);
  edit->setText(text);
  if (masked) edit->setEchoMode(QLineEdit::Password);
  AddRow(label, edit);
  return edit;
}

void RadiusDialog::AddButtons(const LangText& ok, const LangText& cancel) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* okButton = new controls::FlatButton(ProfileText(ok), this);
  core::SetControlId(okButton, kDialogOk);
  okButton->setDefault(true);
  auto* cancelButton = new controls::FlatButton(ProfileText(cancel), this);
  core::SetControlId(cancelButton, kDialogCancel);
  row->addWidget(okButton);
  row->addWidget(cancelButton);
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
  connect(okButton, &QPushButton::clicked, this, [this] {
    if (Complete()) accept();
  });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace pages
