// CPeapDialog: the PEAP account of a WPA or WPA2 Radius profile; its one inner protocol is
// EAP/MS-CHAP V2.
#pragma once

#include "app/pages/account_dialog.h"

namespace pages {

inline constexpr int kPeapInnerProtocol = 1301;

class CPeapDialog : public AccountDialog {
 public:
  CPeapDialog(QWidget* parent, const ProfileRecord& record);
};

}  // namespace pages
