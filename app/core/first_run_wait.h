// The first start's wait for the adapter: 5 s, then a look every second until the adapter
// answers. A small window says what the program waits for and lets the user give up; the
// program stays responsive meanwhile.
#pragma once

#include <QDialog>

#include "app/core/clock_bridge.h"
#include "app/core/vtr_library.h"

namespace core {

inline constexpr uint32_t kFirstRunDelayMs = 5000;
inline constexpr uint32_t kFirstRunRetryMs = 1000;

// Control numbers of the wait window (the utility's own dialog).
inline constexpr int kWaitTextId = 12001;
inline constexpr int kWaitCancelId = 12002;

class FirstRunWait : public QDialog {
 public:
  FirstRunWait(const CVtrLibrary& lib, const QString& title);

  // True once the adapter answered; false when the user cancelled.
  bool WaitForAdapter();

 private:
  void Check();

  const CVtrLibrary& lib_;
  MachineTimer timer_;
};

}  // namespace core
