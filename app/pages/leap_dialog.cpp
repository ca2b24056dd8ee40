#include "app/pages/leap_dialog.h"

namespace pages {

namespace {

const AccountDialogTexts kLeapTexts{{"14000", "LEAP Radius Configuration"},
                                    {"14010", "Login Name :"},
                                    {"14020", "Password :"},
                                    {"14030", "Domain :"},
                                    {"14040", "&OK"},
                                    {"14050", "&Cancel"}};

}  // namespace

CLeapDialog::CLeapDialog(QWidget* parent, const ProfileRecord& record)
    : AccountDialog(parent, record, kEapLeap, kLeapTexts) {
  AddAccountRows(record);
}

}  // namespace pages
