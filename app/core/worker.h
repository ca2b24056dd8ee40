// A worker thread of the utility: long library calls run here, never on the GUI thread. A worker
// touches no widget; what it finds reaches the window through queued calls (PostToGui). Stopping
// is cooperative: the worker's waits end when a stop is asked, and whoever stops it waits a
// bounded time and goes on without it. A worker that is late finishes on its own; the results it
// posts after a stop are dropped, since they carry an older run number.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

class QObject;

namespace core {

class Worker {
 public:
  using Body = std::function<void(std::stop_token, uint64_t run)>;

  Worker() = default;
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Starts body on a thread of its own unless one runs; false when one runs.
  bool Start(Body body);
  bool IsIdle() const { return idle_.load(); }
  // The number of the current (or last) run; results of other runs are stale.
  uint64_t Run() const { return run_.load(); }
  bool IsCurrent(uint64_t run) const { return run == run_.load() && !stopAsked_.load(); }

  // Asks the worker to stop and waits at most boundMs (real time: a worker inside a library
  // call moves on the machine's clock only when that call does) for it to end. Returns whether
  // it ended; either way the worker counts as idle afterwards and its later results are stale.
  bool Stop(uint32_t boundMs);

 private:
  void JoinFinished();

  std::mutex mutex_;
  std::condition_variable ended_;
  std::jthread thread_;  // guarded by mutex_
  std::atomic<bool> idle_{true};
  std::atomic<bool> running_{false};  // the thread's body has not returned yet
  std::atomic<bool> stopAsked_{false};
  std::atomic<uint64_t> run_{0};
};

// How many workers run now. While any runs, the clock bridge leaves the machine's clock to them
// (their waits and library calls move it), so that in virtual time the clock is never moved
// under a worker by the window's timers.
int RunningWorkers();

// Waits ms on the machine's clock in short steps; false as soon as a stop is asked.
bool SleepFor(std::stop_token stop, uint32_t ms);

// Runs fn on the thread of context (the GUI thread for widgets) as a queued call. Dropped when
// context is gone by then.
void PostToGui(QObject* context, std::function<void()> fn);

// From a worker: has open run on the GUI thread (through post, which may drop it) and waits until
// the window it returns is gone, as behind a modal window; at once when it opened none. False when
// a stop is asked first. Meanwhile the worker does not count as running: the window's timers move
// the machine's clock as when no worker runs.
using PostFn = std::function<void(std::function<void()>)>;
bool WaitForWindow(std::stop_token stop, const PostFn& post, const std::function<QObject*()>& open);

}  // namespace core
