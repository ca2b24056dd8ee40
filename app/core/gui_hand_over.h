// How work reaches the GUI thread from the workers and the clock bridge: a queue under a lock,
// drained on the GUI thread. The lock is what makes the hand-over visible to the thread
// sanitizer (Qt's own event queue synchronises inside Qt, where the sanitizer cannot see it); the
// event that wakes the GUI thread carries nothing.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

namespace core {

class GuiHandOver : public QObject {
  Q_OBJECT

 public:
  // The one hand-over of the process; it lives on the application's thread.
  static GuiHandOver& Instance();

  // Runs fn on the GUI thread, unless context is gone by then. A result counts as pending until
  // it has run; the clock bridge's firings do not count, they never stop coming.
  enum class Kind { kResult, kClockFiring };
  void Post(QObject* context, std::function<void()> fn, Kind kind = Kind::kResult);

  Q_INVOKABLE void Drain();

  // Results handed over that have not run (or been dropped) yet; a caller that knows no more are
  // coming waits for this to reach 0 to see every result delivered.
  size_t Pending() const { return pending_.load(); }

 private:
  GuiHandOver() = default;

  struct Item {
    QPointer<QObject> context;
    std::function<void()> fn;
    Kind kind;
  };
  std::mutex mutex_;
  std::deque<Item> items_;  // guarded by mutex_
  std::atomic<size_t> pending_{0};
};

}  // namespace core
