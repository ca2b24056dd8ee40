#include "app/core/control_ids.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace core {

void SetControlId(QObject* control, int id) {
  control->setProperty(kControlIdProperty, id);
}

int ControlId(const QObject* control) {
  const QVariant id = control->property(kControlIdProperty);
  return id.isValid() ? id.toInt() : -1;
}

QWidget* FindControl(QWidget* parent, int id) {
  if (parent == nullptr) return nullptr;
  const auto children = parent->findChildren<QWidget*>();
  for (QWidget* child : children) {
    if (ControlId(child) == id) return child;
  }
  return nullptr;
}

void SetControlText(QWidget* control, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(text);
  } else {
    control->setWindowTitle(text);
  }
}

}  // namespace core
