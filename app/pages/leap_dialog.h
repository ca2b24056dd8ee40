// CLeapDialog: the LEAP account of a WPA or WPA2 Radius profile.
#pragma once

#include "app/pages/account_dialog.h"

namespace pages {

class CLeapDialog : public AccountDialog {
 public:
  CLeapDialog(QWidget* parent, const ProfileRecord& record);
};

}  // namespace pages
