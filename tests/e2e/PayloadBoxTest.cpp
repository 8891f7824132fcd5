// The message box of a failed integrity check on the virtual display.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "MessageBoxes.h"
#include "SetupFixture.h"

using namespace qpke2e;

using PayloadBox = SetupTest;

TEST_F(PayloadBox, DamagedSetupShowsTheCorruptDownloadMessageEvenInQuietRuns) {
    writeFile(dir() + "\\data.bin", "payload bytes");
    pack(R"({"narrow": {"107": "1", "2001": "q"}, "wide": {"1000": "Product", "20013": "Setup problem",
             "20016": "The installer file is damaged."}, "files": [{"name": "data.bin", "source": "data.bin"}]})",
         qpktest::helperPath("payload_probe"));
    std::string damaged = readFile(setup());
    damaged[damaged.size() - 1] ^= 0x20;
    writeFile(setup(), damaged);

    qpktest::RunOptions o = options({{"CORVO_LOG", "yes"}});
    o.args = {"-q"};
    qpktest::RunningProgram child(o);
    ASSERT_TRUE(child.started());
    std::optional<qpktest::MessageBoxInfo> box = qpktest::findMessageBox(child.processId(), 20000);
    ASSERT_TRUE(box) << "no message box of pid " << child.processId();
    // Shown directly, so the log's path is not appended as in the launcher's error reports.
    EXPECT_EQ(box->caption, "Setup problem");
    EXPECT_EQ(box->text, "The installer file is damaged.");
    ASSERT_EQ(box->buttons.size(), 1u);
    EXPECT_EQ(box->buttons[0].id, IDOK);
    EXPECT_TRUE(qpktest::pressButton(*box, IDOK));
    qpktest::RunResult r = child.wait();
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1u);
}
