// The utility's tests run offscreen, with a QApplication of their own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "app/core/clock_bridge.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  core::ClockBridge::Instance().Shutdown();
  return result;
}
