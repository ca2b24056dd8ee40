#include "app/core/worker.h"

#include <QObject>
#include <algorithm>
#include <chrono>
#include <memory>

#include "app/core/gui_hand_over.h"
#include "platform/services.h"

namespace core {

namespace {

constexpr uint32_t kSleepStepMs = 50;

std::atomic<int>& Running() {
  static std::atomic<int> running{0};
  return running;
}

}  // namespace

int RunningWorkers() {
  return Running().load();
}

Worker::~Worker() {
  std::jthread thread;
  {
    std::lock_guard lock(mutex_);
    stopAsked_ = true;
    thread_.request_stop();
    thread = std::move(thread_);
  }
  // The thread may be inside a library call; it has to come out before its state goes.
  if (thread.joinable()) thread.join();
}

void Worker::JoinFinished() {
  if (thread_.joinable() && !running_.load()) thread_.join();
}

bool Worker::Start(Body body) {
  std::unique_lock lock(mutex_);
  if (running_.load()) return false;
  JoinFinished();
  const uint64_t run = ++run_;
  stopAsked_ = false;
  idle_ = false;
  running_ = true;
  ++Running();
  thread_ = std::jthread([this, body = std::move(body), run](std::stop_token stop) {
    body(stop, run);
    --Running();
    std::lock_guard done(mutex_);
    running_ = false;
    if (run_.load() == run) idle_ = true;
    ended_.notify_all();
  });
  return true;
}

bool Worker::Stop(uint32_t boundMs) {
  std::unique_lock lock(mutex_);
  if (!thread_.joinable()) return true;
  stopAsked_ = true;
  thread_.request_stop();
  const bool ended = ended_.wait_for(lock, std::chrono::milliseconds(boundMs),
                                     [this] { return !running_.load(); });
  if (ended) thread_.join();
  idle_ = true;
  return ended;
}

bool SleepFor(std::stop_token stop, uint32_t ms) {
  auto& clock = platform::Current().Clock();
  while (ms > 0) {
    if (stop.stop_requested()) return false;
    const uint32_t step = std::min(ms, kSleepStepMs);
    clock.SleepMs(step);
    ms -= step;
  }
  return !stop.stop_requested();
}

void PostToGui(QObject* context, std::function<void()> fn) {
  GuiHandOver::Instance().Post(context, std::move(fn));
}

bool WaitForWindow(std::stop_token stop, const PostFn& post,
                   const std::function<QObject*()>& open) {
  struct Closed {
    std::mutex mutex;
    std::condition_variable_any changed;
    bool closed = false;  // guarded by mutex
    void Set() {
      {
        std::lock_guard lock(mutex);
        closed = true;
      }
      changed.notify_all();
    }
  };
  auto closed = std::make_shared<Closed>();
  post([closed, open] {
    QObject* window = open();
    if (window == nullptr) {
      closed->Set();
      return;
    }
    QObject::connect(window, &QObject::destroyed, [closed] { closed->Set(); });
  });
  --Running();
  std::unique_lock lock(closed->mutex);
  const bool ended = closed->changed.wait(lock, stop, [&] { return closed->closed; });
  lock.unlock();
  ++Running();
  return ended;
}

}  // namespace core
