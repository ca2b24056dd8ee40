// The one bridge between the Qt event loop and the machine's clock. Every timer of the utility
// runs on it, so the sheet's poll, the pages' refreshes and the animations keep the machine's
// time: real time on a live machine, virtual time in tests, where minutes pass in a moment.
//
// A thread of the bridge walks the clock toward the earliest due timer in short sleeps of the
// machine's clock, then hands the firing to the GUI thread and waits until the GUI thread has run
// it. So in virtual time the clock never runs past a timer that has not fired, and it stands
// still while the GUI thread does something else; with no timer at all it does not move.
#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace core {

class ClockBridge {
 public:
  using TimerId = uint64_t;

  // The bridge of this process; the first call must come from the GUI thread.
  static ClockBridge& Instance();

  // Calls fire on the GUI thread when the machine's clock reaches dueMs, then every periodMs
  // (0: once). Returns an id for Remove.
  TimerId Add(uint64_t dueMs, uint32_t periodMs, std::function<void()> fire);
  void Remove(TimerId id);
  uint64_t NowMs() const;

  // Stops the bridge's thread; timers added later start it again.
  void Shutdown();

  ClockBridge(const ClockBridge&) = delete;
  ClockBridge& operator=(const ClockBridge&) = delete;

 private:
  struct Timer {
    uint64_t dueMs;
    uint32_t periodMs;
    std::function<void()> fire;
  };

  ClockBridge();
  ~ClockBridge();
  void Run();
  void EnsureThreadLocked();
  // On the GUI thread: runs every timer due now, then lets the bridge's thread go on.
  void FireDue(uint64_t generation);
  bool EarliestLocked(uint64_t& dueMs) const;
  void WatchWorkersMoveTheClock(std::unique_lock<std::mutex>& lock, uint64_t untilDueMs);

  QObject gui_;  // lives on the GUI thread; firings are queued to it
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<TimerId, Timer> timers_;  // guarded by mutex_
  TimerId nextId_ = 1;               // guarded by mutex_
  uint64_t posted_ = 0;              // guarded by mutex_: firings handed to the GUI thread
  uint64_t fired_ = 0;               // guarded by mutex_: firings the GUI thread has run
  bool stopping_ = false;            // guarded by mutex_
  int watchMs_ = 2;                  // the bridge's thread only
  std::thread thread_;
};

// A timer on the machine's clock, owned by a widget or page like a QTimer.
class MachineTimer : public QObject {
 public:
  explicit MachineTimer(QObject* parent, std::function<void()> onTimeout);
  ~MachineTimer() override;

  void Start(uint32_t periodMs);
  void StartOnce(uint32_t delayMs);
  void Stop();
  bool IsActive() const { return id_ != 0; }

 private:
  void Schedule(uint32_t delayMs, uint32_t periodMs);

  std::function<void()> onTimeout_;
  ClockBridge::TimerId id_ = 0;
};

}  // namespace core
