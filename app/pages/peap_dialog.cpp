#include "app/pages/peap_dialog.h"

#include <QComboBox>

#include "app/core/control_ids.h"

namespace pages {

namespace {

const AccountDialogTexts kPeapTexts{{"13000", "PEAP Radius Configuration"},
                                    {"13030", "Login Name :"},
                                    {"13040", "Password :"},
                                    {"13050", "Domain :"},
                                    {"13060", "&OK"},
                                    {"13070", "&Cancel"}};

}  // namespace

CPeapDialog::CPeapDialog(QWidget* parent, const ProfileRecord& record)
    : AccountDialog(parent, record, kEapPeap, kPeapTexts) {
  auto* inner = new QComboBox(this);
  core::SetControlId(inner, kPeapInnerProtocol);
  // The protocol's own name, the same in every language.
  inner->addItem(QStringLiteral("EAP/MS-CHAP V2"), 0);
  inner->setCurrentIndex(0);
  AddRow({"13010", "Inner EAP Protocol :"}, inner);
  AddAccountRows(record);
}

}  // namespace pages
