// ObjectPicker from real Java. Wine's picker object can be created and initialised, but it
// has no dialog: the failure convention (null) is what can be checked.
#include <gtest/gtest.h>

#include <algorithm>

#include "NativeDriver.h"

TEST(ObjectPicker, WithoutAWindowAndUnderWineItGivesNull) {
    qpknatives::DriverRun run = qpknatives::runDriver("ObjectPickerDriver", {});
    qpknatives::expectAllPassed(run, 2);
    // Only the first call, without any window of the process, says so: the second found its owner.
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "could not find window"), 1) << run.result.stdoutText;
}
