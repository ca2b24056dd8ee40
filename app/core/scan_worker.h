// ScanWorker: one site survey on a thread of its own. It empties the survey list, asks the
// library for the neighbourhood with the caller's filter and sort, keeps the result in the
// process-wide survey list and tells the window through queued calls. One scan at a time.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "app/core/vtr_library.h"
#include "app/core/worker.h"

namespace core {

struct ScanParameters {
  uint32_t filterMask = 0;
  uint32_t sortKey = 5;
  uint32_t sortDescending = 1;
  uint32_t scanMode = 1;
};

// What the window hears of a scan; every call comes on the GUI thread.
struct ScanListener {
  std::function<void(bool animated)> started;
  // The adapter is missing or the radio is off: nothing was asked.
  std::function<void()> skipped;
  std::function<void(bool animated, int32_t count)> finished;
};

class ScanWorker {
 public:
  ScanWorker(const CVtrLibrary& lib, QObject* window, std::function<bool()> radioOn);

  // Starts a scan unless one runs; false when one runs.
  bool Start(const ScanParameters& parameters, ScanListener listener);
  bool IsIdle() const { return worker_.IsIdle(); }
  bool Stop(uint32_t boundMs) { return worker_.Stop(boundMs); }

 private:
  void Scan(std::stop_token stop, uint64_t run, ScanParameters parameters,
            const ScanListener& listener);

  const CVtrLibrary& lib_;
  QObject* window_;
  std::function<bool()> radioOn_;
  Worker worker_;
};

}  // namespace core
