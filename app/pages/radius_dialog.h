// What the three 802.1X dialogs of the profile editor share: a title read from the language
// file with its "WPA - " or "WPA2 - " prefix, labelled fields in a grid, "&OK" and "&Cancel".
// The dialogs work on a copy of the profile; the editor takes their fields over only after OK.
#pragma once

#include <QDialog>
#include <QString>

#include "app/pages/profile_security_rules.h"

class QGridLayout;
class QLineEdit;

namespace pages {

// The dialogs' own control numbers; OK and Cancel have the Windows numbers.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// A text of section "PROFILE_MANAGER".
QString ProfileText(const LangText& text);

// The prefix the title takes: for EAP/TLS and PEAP "WPA2 - " under WPA2 (32) and "WPA - "
// otherwise; for LEAP "WPA - " under either 802.1X mode and none otherwise.
QString RadiusTitlePrefix(uint32_t authMode, uint32_t eapMethod);

// 802.1X texts take up to 256 bytes (the record's 257 with the terminator).
inline constexpr int kCredentialBytes = 256;

class RadiusDialog : public QDialog {
 protected:
  RadiusDialog(QWidget* parent, const QString& title);

  // A label and a field on the next row.
  void AddRow(const LangText& label, QWidget* field);
  // A label and an edit of kCredentialBytes; masked for passwords.
  QLineEdit* AddEdit(const LangText& label, int editId, const QString& text, bool masked);
  void AddButtons(const LangText& ok, const LangText& cancel);
  QGridLayout* Form() const { return form_; }

  // Checks the fields when OK is pressed: false (after its message) keeps the dialog open.
  virtual bool Complete() = 0;

 private:
  QGridLayout* form_;
  int rows_ = 0;
};

}  // namespace pages
