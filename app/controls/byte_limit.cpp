#include "app/controls/byte_limit.h"

#include <QLineEdit>

namespace controls {

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State ByteLimitValidator::validate(QString& input, int& /*pos*/) const {
  return input.toUtf8().size() <= maxBytes_ ? Acceptable : Invalid;
}

void LimitBytes(QLineEdit* edit, int maxBytes) {
  edit->setMaxLength(maxBytes);
  if (auto* validator =
          edit->findChild<ByteLimitValidator*>(QString(), Qt::FindDirectChildrenOnly)) {
    validator->SetMaxBytes(maxBytes);
    return;
  }
  edit->setValidator(new ByteLimitValidator(maxBytes, edit));
}

}  // namespace controls
