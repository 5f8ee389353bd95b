// The main of every front-end test binary: marks the test run, keeps Qt on its offscreen
// platform (never the desktop's display) and away from the desktop's session bus, then runs the
// tests inside one QApplication.

#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::setenv("XCTestConfigurationFilePath", "kovra", 0);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // A test that needs a bus starts its own dbus-daemon and points this variable at it.
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
