// The Registry natives from real Java through JNI, then checked from outside with reg.exe.
#include <gtest/gtest.h>

#include "NativeDriver.h"

namespace {

const char kBase[] = "Software\\qpk-tests\\registry";
const std::string kBaseFull = std::string("HKCU\\") + kBase;

class RegistryNatives : public ::testing::Test {
 protected:
  void SetUp() override { removeBase(); }
  void TearDown() override { removeBase(); }
  static void removeBase() { qpknatives::runReg({"delete", kBaseFull, "/f"}); }
};

TEST_F(RegistryNatives, DriverCasesAndOutsideView) {
  qpknatives::DriverRun run = qpknatives::runDriver("RegistryDriver", {kBase});
  qpknatives::expectAllPassed(run, 8);

  EXPECT_EQ(qpknatives::runReg({"query", kBaseFull + "\\created\\deeper"}).exitCode, 0u)
      << "the key createKey0 made is not in the registry";
}

}  // namespace
