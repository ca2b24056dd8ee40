#include "app/core/gui_hand_over.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace core {

GuiHandOver& GuiHandOver::Instance() {
  static GuiHandOver* handOver = [] {
    auto* made = new GuiHandOver;
    // Made on whichever thread posted first; it belongs to the application's thread.
    if (QCoreApplication* application = QCoreApplication::instance()) {
      made->moveToThread(application->thread());
    }
    return made;
  }();
  return *handOver;
}

void GuiHandOver::Post(QObject* context, std::function<void()> fn, Kind kind) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    wake = items_.empty();
    if (kind == Kind::kResult) ++pending_;
    items_.push_back({QPointer<QObject>(context), std::move(fn), kind});
  }
  // A drain is already on its way when the queue was not empty.
  if (wake) QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void GuiHandOver::Drain() {
  std::deque<Item> items;
  {
    std::lock_guard lock(mutex_);
    items.swap(items_);
  }
  for (Item& item : items) {
    if (!item.context.isNull()) item.fn();
    if (item.kind == Kind::kResult) --pending_;
  }
}

}  // namespace core
