// How work reaches the GUI thread from the workers and the clock bridge: a queue under a lock,
// drained on the GUI thread. The lock is what makes the hand-over visible to the thread
// sanitizer (Qt's own event queue synchronises inside Qt, where the sanitizer cannot see it); the
// event that wakes the GUI thread carries nothing.
#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <mutex>

namespace core {

class GuiHandOver : public QObject {
  Q_OBJECT

 public:
  // The one hand-over of the process; it lives on the application's thread.
  static GuiHandOver& Instance();

  // Runs fn on the GUI thread, unless context is gone by then.
  void Post(QObject* context, std::function<void()> fn);

  Q_INVOKABLE void Drain();

 private:
  GuiHandOver() = default;

  struct Item {
    QPointer<QObject> context;
    std::function<void()> fn;
  };
  std::mutex mutex_;
  std::deque<Item> items_;  // guarded by mutex_
};

}  // namespace core
