// FileVersion.compare0 from real Java over two libraries of ours with version resources
// 1.2.3.4 and 1.2.3.10 (product version 9.9.9.9 in both, which must not count).
#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "NativeDriver.h"
#include "ScratchDir.h"

TEST(FileVersion, ComparesFileVersionsAsNumbers) {
    qpktest::ScratchDir scratch("version");
    ASSERT_TRUE(scratch.writeFile("plain.txt", "no version"));
    qpknatives::DriverRun run = qpknatives::runDriver(
        "FileVersionDriver", {qpktest::toWindowsPath(QPK_VERSION_1234_DLL), qpktest::toWindowsPath(QPK_VERSION_12310_DLL),
                              scratch.path("plain.txt")});
    qpknatives::expectAllPassed(run, 6);
}
