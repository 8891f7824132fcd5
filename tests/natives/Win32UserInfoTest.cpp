// The account natives from real Java against what Wine implements. Nothing can be checked
// from outside here: Wine's net.exe has no "user" command and its netapi32 keeps added users
// inside the adding process.
#include <gtest/gtest.h>

#include "NativeDriver.h"
#include "ScratchDir.h"

namespace {

TEST(Win32UserInfoNatives, DriverCases) {
  qpktest::ScratchDir scratch("qpk-accounts");
  ASSERT_TRUE(scratch.valid());
  qpknatives::DriverRun run = qpknatives::runDriver("Win32UserInfoDriver", {scratch.path()}, 240000);
  qpknatives::expectAllPassed(run, 17);
}

}  // namespace
