#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/ui.h"
#include "tests/support/other_program.h"
#include "tests/support/ticks.h"

int main(int argc, char** argv) {
  fixtures::RunAsOtherProgramIfAsked(argc, argv);
  // The test runner draws offscreen; a developer may ask for a real display instead.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  UseTheClockWithoutWaits();
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  platform::RuntimeReleaseWindows();
  return result;
}
