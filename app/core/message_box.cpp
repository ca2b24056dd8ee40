#include "app/core/message_box.h"

#include <mutex>

namespace core {

namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}

MessageHook& Hook() {
  static MessageHook hook;
  return hook;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void SetMessageHook(MessageHook hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, MessageIcon icon,
                                        QMessageBox::StandardButtons buttons) {
  MessageHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  if (hook) return hook(text, icon);
  QMessageBox box(BoxIcon(icon), QStringLiteral("Radiodesk"), text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace core
