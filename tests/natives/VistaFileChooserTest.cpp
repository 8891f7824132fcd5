// VistaFileChooser from real Java: the item dialogs as real windows, operated from outside.
#include <gtest/gtest.h>

#include "DialogControls.h"
#include "NativeDriver.h"
#include "ScratchDir.h"

using namespace qpknatives;

TEST(VistaFileChooser, DialogsAreOperatedAndReportTheirChoice) {
    qpktest::ScratchDir scratch("chooser");
    ASSERT_TRUE(scratch.writeFile("chosen.txt", "x"));
    qpktest::RunningProgram java(driverOptions("VistaFileChooserDriver", {scratch.path()}));
    ASSERT_TRUE(java.started());

    // Open: two check boxes grouped under "Options:"; a typed name, a ticked box, OK.
    auto open = waitForDialog(java.processId(), "qpk open");
    ASSERT_TRUE(open) << "no open dialog";
    EXPECT_TRUE(findControl(open->window, "Static", "Options:")) << "no check box group";
    auto alpha = findControl(open->window, "Button", "Alpha");
    auto name = findControl(open->window, "Edit");
    ASSERT_TRUE(alpha && name);
    EXPECT_FALSE(isChecked(alpha->window));
    ASSERT_TRUE(click(alpha->window));
    EXPECT_TRUE(isChecked(alpha->window));
    ASSERT_TRUE(typeText(name->window, "chosen.txt"));
    ASSERT_TRUE(pressCommand(open->window, IDOK));

    // Cancel: a single check box stands alone; ticked, then the dialog is cancelled.
    auto cancel = waitForDialog(java.processId(), "qpk cancel");
    ASSERT_TRUE(cancel) << "no second dialog";
    EXPECT_FALSE(findControl(cancel->window, "Static", "Options:"));
    auto solo = findControl(cancel->window, "Button", "Solo");
    ASSERT_TRUE(solo);
    ASSERT_TRUE(click(solo->window));
    ASSERT_TRUE(pressCommand(cancel->window, IDCANCEL));

    // Save: the proposed name is accepted as it is.
    auto save = waitForDialog(java.processId(), "qpk save");
    ASSERT_TRUE(save) << "no save dialog";
    ASSERT_TRUE(pressCommand(save->window, IDOK));

    expectAllPassed(driverLines(java.wait()), 7);
}
