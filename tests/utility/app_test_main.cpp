// The utility's tests run offscreen, with a QApplication of their own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "app/core/clock_bridge.h"

#if defined(__SANITIZE_THREAD__)
// Qt is not built with the thread sanitizer: what it allocates, frees and locks inside its own
// libraries (its event queue, its thread pool) is invisible to the sanitizer and would be
// reported as races. The utility's own hand-overs to the GUI thread go through a lock the
// sanitizer sees (app/core/gui_hand_over.h), so they stay checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n"
         "called_from_lib:libQt6Network.so.6\n"
         "called_from_lib:libglib-2.0.so.0\n";
}
#endif

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  core::ClockBridge::Instance().Shutdown();
  return result;
}
