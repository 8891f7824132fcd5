// VistaTaskDialog from real Java: task dialogs as real windows, operated from outside.
#include <gtest/gtest.h>

#include "DialogControls.h"
#include "NativeDriver.h"

using namespace qpknatives;

TEST(VistaTaskDialog, CustomButtonsAndTheVerificationBoxGiveTheirResults) {
    qpktest::RunningProgram java(driverOptions("VistaTaskDialogDriver", {}));
    ASSERT_TRUE(java.started());

    auto second = waitForDialog(java.processId(), "qpk task second");
    ASSERT_TRUE(second) << "no task dialog";
    auto button = findControl(second->window, "Button", "Second");
    ASSERT_TRUE(button);
    EXPECT_EQ(button->id, 102);  // custom buttons count from 101
    ASSERT_TRUE(click(button->window));

    auto verify = waitForDialog(java.processId(), "qpk task verify");
    ASSERT_TRUE(verify) << "no second task dialog";
    auto box = findControl(verify->window, "Button", "Remember");
    ASSERT_TRUE(box);
    ASSERT_TRUE(click(box->window));
    EXPECT_TRUE(isChecked(box->window));
    auto first = findControl(verify->window, "Button", "First");
    ASSERT_TRUE(first);
    ASSERT_TRUE(click(first->window));

    expectAllPassed(driverLines(java.wait()), 2);
}
