// The Win32Exec native from real Java through JNI.
#include <gtest/gtest.h>

#include "NativeDriver.h"
#include "ScratchDir.h"

namespace {

TEST(Win32ExecNatives, DriverCases) {
  qpktest::ScratchDir scratch("qpk-exec");
  qpknatives::DriverRun run = qpknatives::runDriver("Win32ExecDriver", {scratch.path()});
  qpknatives::expectAllPassed(run, 4);
  // The started program's own output, read outside Java.
  EXPECT_EQ(scratch.readFile("launched.txt").value_or("missing").substr(0, 8), "launched");
}

}  // namespace
