// ObjectPicker from real Java: without a window of the process, then with one, whose picker
// dialog the test cancels from outside (Wine's picker has no dialog; the driver skips that).
#include <gtest/gtest.h>

#include <algorithm>

#include "DialogControls.h"
#include "NativeDriver.h"

using namespace qpknatives;

TEST(ObjectPicker, WithoutAWindowAndWhenCancelledItGivesNull) {
    qpktest::RunningProgram java(driverOptions("ObjectPickerDriver", {}));
    ASSERT_TRUE(java.started());
    if (!onWine()) {
        qpktest::BoxQuery query;
        query.processId = java.processId();
        query.anyDialog = true;
        auto picker = qpktest::findMessageBox(query, 60000);
        ASSERT_TRUE(picker) << "no picker dialog";
        EXPECT_TRUE(pressCommand(picker->window, IDCANCEL));
    }
    DriverRun run = driverLines(java.wait());
    expectAllPassed(run, 2);
    // Only the first call, without any window of the process, says so.
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "could not find window"), 1) << run.result.stdoutText;
}
