// FolderInfo from real Java; a special folder that was missing exists once asked for.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "NativeDriver.h"
#include "ScratchDir.h"
#include "Utf8.h"

namespace {

std::string reported(const qpknatives::DriverRun& run, const std::string& key) {
    std::vector<std::string> values = qpknatives::infoValues(run, key);
    return values.empty() ? std::string() : values.front();
}

bool isDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesW(qpktest::widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(FolderInfo, FoldersPathsAndDrivesAreReported) {
    // The favorites folder (code 10) is removed first, so the native has to create it.
    wchar_t favorites[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, favorites), S_OK);
    RemoveDirectoryW(favorites);
    ASSERT_FALSE(isDirectory(qpktest::narrow(favorites))) << "favorites folder not empty";

    qpktest::ScratchDir scratch("folders");
    ASSERT_TRUE(scratch.makeDirs("a long directory name"));
    qpknatives::DriverRun run = qpknatives::runDriver("FolderInfoDriver", {scratch.path("a long directory name")});
    qpknatives::expectAllPassed(run, 14);

    EXPECT_EQ(reported(run, "folder.10"), qpktest::narrow(favorites));
    EXPECT_TRUE(isDirectory(qpktest::narrow(favorites))) << "favorites folder was not created";
    EXPECT_TRUE(isDirectory(reported(run, "folder.7"))) << run.result.stdoutText;
    EXPECT_TRUE(isDirectory(reported(run, "folder.1001"))) << run.result.stdoutText;
}
