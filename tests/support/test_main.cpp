// The main of every test binary: marks the process as a test run before anything reads the
// environment, so start-up skips the sampling loops, timers and system services whether the
// binary runs under ctest or by hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  ::setenv("XCTestConfigurationFilePath", "kovra", 0);
  ::setenv("KOVRA_LOG", "stderr", 0);
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
