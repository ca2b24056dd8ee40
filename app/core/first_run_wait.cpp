#include "app/core/first_run_wait.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/controls/flat_button.h"
#include "app/controls/palette.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"

namespace core {

FirstRunWait::FirstRunWait(const CVtrLibrary& lib, const QString& title)
    : lib_(lib), timer_(this, [this] { Check(); }) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 18, 20, 16);
  layout->setSpacing(14);
  auto* text = new QLabel(
      ToQString(LangLookup("CONTROL_CENTER", "12000",
                           "Waiting for the wireless adapter. Plug it in; the utility starts as "
                           "soon as it is found.")),
      this);
  text->setWordWrap(true);
  SetControlId(text, kWaitTextId);
  layout->addWidget(text);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* cancel =
      new controls::FlatButton(ToQString(LangLookup("CONTROL_CENTER", "12010", "&Cancel")), this);
  SetControlId(cancel, kWaitCancelId);
  connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  QPalette background = palette();
  background.setColor(QPalette::Window, controls::kPageBackground);
  setPalette(background);
  setMinimumWidth(360);
}

void FirstRunWait::Check() {
  if (lib_.IsCardConnect()) {
    accept();
    return;
  }
  timer_.StartOnce(kFirstRunRetryMs);
}

bool FirstRunWait::WaitForAdapter() {
  timer_.StartOnce(kFirstRunDelayMs);
  const bool found = exec() == QDialog::Accepted;
  timer_.Stop();
  return found;
}

}  // namespace core
