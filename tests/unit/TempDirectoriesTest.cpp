// The private temporary directory and its clean-up, on the real file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/TempDirectories.h"

using namespace qpk;

namespace {

std::string scratchRoot() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string root = std::string(base) + "qpk_unit_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void touch(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    CloseHandle(h);
}

}  // namespace

TEST(TempDirectories, UsabilityNeedsAWritableExistingDirectory) {
    std::string root = scratchRoot();
    EXPECT_TRUE(isUsableDirectory(root, false, true));
    EXPECT_FALSE(isUsableDirectory(std::string(), true, false));
    std::string missing = root + "\\missing";
    EXPECT_FALSE(isUsableDirectory(missing, false, false));
    EXPECT_TRUE(isUsableDirectory(missing, true, false));  // created first
    EXPECT_TRUE(exists(missing));
    // The write test leaves nothing behind.
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((missing + "\\cvotw*").c_str(), &fd);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    RemoveDirectoryA(missing.c_str());
    RemoveDirectoryA(root.c_str());
}

TEST(TempDirectories, PrivateDirectoryLivesInTheManualRoot) {
    // Opens the log in the ordinary root first, so that the scratch root can be removed.
    logLine(L"temporary directory test");
    std::string root = scratchRoot();
    setManualTempRoot(root, std::wstring(root.begin(), root.end()));
    std::string name = tempFileName();
    EXPECT_EQ(name.compare(0, root.size(), root), 0) << name;
    EXPECT_TRUE(exists(name));  // the placeholder file
    createPrivateTempDir();
    ASSERT_FALSE(gState.tempDir.empty());
    EXPECT_EQ(gState.tempDir.compare(0, root.size(), root), 0);
    EXPECT_NE(gState.tempDir.find("_dir"), std::string::npos);
    EXPECT_TRUE(GetFileAttributesA(gState.tempDir.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // Without descending, subdirectories with content survive.
    std::string dir = gState.tempDir;
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
    CreateDirectoryA((dir + "\\sub\\deep").c_str(), nullptr);
    touch(dir + "\\a.txt");
    touch(dir + "\\sub\\b.txt");
    touch(dir + "\\sub\\deep\\c.txt");
    emptyDirectory(dir, false);
    EXPECT_FALSE(exists(dir + "\\a.txt"));
    EXPECT_TRUE(exists(dir + "\\sub\\b.txt"));

    // A relative path starting with "." is never touched.
    touch(dir + "\\e.txt");
    SetCurrentDirectoryA(dir.c_str());
    emptyDirectory(".", true);
    EXPECT_TRUE(exists(dir + "\\e.txt"));

    // The private directory goes with everything in it however deep (an untarred runtime),
    // and with its placeholder, though it is the current directory; other names stay.
    CreateDirectoryA((dir + "\\sub\\deep\\deeper").c_str(), nullptr);
    touch(dir + "\\sub\\deep\\deeper\\f.txt");
    removePrivateTempDir();
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(dir.substr(0, dir.find("_dir"))));
    EXPECT_TRUE(exists(name));
    gState.tempDir.clear();
    DeleteFileA(name.c_str());
    RemoveDirectoryA(root.c_str());
}

// A link below the directory is removed as a link; what it points to is not the setup's.
TEST(TempDirectories, RemovalDoesNotFollowLinks) {
    std::string root = scratchRoot();
    std::string outside = root + "\\outside", dir = root + "\\dir";
    CreateDirectoryA(outside.c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    touch(outside + "\\keep.txt");
    std::wstring link = std::wstring(dir.begin(), dir.end()) + L"\\link";
    bool linked = CreateSymbolicLinkW(link.c_str(), std::wstring(outside.begin(), outside.end()).c_str(),
                                      SYMBOLIC_LINK_FLAG_DIRECTORY);
    DWORD error = linked ? 0 : GetLastError();
    // Wine reports success and makes nothing that can be gone through.
    linked = linked && exists(dir + "\\link\\keep.txt");
    if (linked) {
        emptyDirectory(dir, true);
        EXPECT_TRUE(exists(outside + "\\keep.txt"));
        EXPECT_FALSE(exists(dir + "\\link"));
    }
    DeleteFileA((outside + "\\keep.txt").c_str());
    RemoveDirectoryW(link.c_str());
    RemoveDirectoryA(outside.c_str());
    RemoveDirectoryA(dir.c_str());
    RemoveDirectoryA(root.c_str());
    if (!linked) GTEST_SKIP() << "no directory symbolic link to go through here (error " << error << ")";
}
