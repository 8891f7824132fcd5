#include <gtest/gtest.h>

#include "launcher/ExePath.h"
#include "launcher/PathHelpers.h"

using namespace qpk;

TEST(PathHelpers, IsRelativeRecognisesDrivesAndNetworkPaths) {
    EXPECT_FALSE(isRelative(std::string("C:\\x")));
    EXPECT_FALSE(isRelative(std::wstring(L"\\\\server\\share")));
    EXPECT_FALSE(isRelative(std::string("\"C:\\quoted")));
    EXPECT_TRUE(isRelative(std::string("C:/x")));
    EXPECT_TRUE(isRelative(std::string("\\root")));
    EXPECT_TRUE(isRelative(std::string("name")));
    EXPECT_TRUE(isRelative(std::string("C:")));
    EXPECT_TRUE(isRelative(std::string("\"C:")));
}

TEST(PathHelpers, CollapseKeepsLeadingDoubleBackslash) {
    EXPECT_EQ(collapseBackslashes(std::wstring(L"\\\\srv\\\\share\\\\\\x")), L"\\\\srv\\share\\x");
    EXPECT_EQ(collapseBackslashes(std::string("C:\\\\a\\\\b")), "C:\\a\\b");
    EXPECT_EQ(collapseBackslashes(std::string("")), "");
}

TEST(PathHelpers, AbsolutePathUsesTheBaseDirectoryOrTheExecutables) {
    std::string base = "C:\\setup\\dir\\file.vmoptions";
    EXPECT_EQ(absolutePath(std::string("lib\\a.jar"), &base), "C:\\setup\\dir\\lib\\a.jar");
    EXPECT_EQ(absolutePath(std::string("D:\\x\\\\y"), &base), "D:\\x\\y");
    std::string fromExe = absolutePath(std::string("rel.txt"));
    EXPECT_EQ(fromExe, exeDirNarrow() + "rel.txt");
    ASSERT_FALSE(exeDirNarrow().empty());
    EXPECT_EQ(exeDirNarrow().back(), '\\');
}

TEST(PathHelpers, DirectoryOfKeepsTheTrailingBackslash) {
    EXPECT_EQ(directoryOf(std::string("C:\\a\\b.txt")), "C:\\a\\");
    EXPECT_EQ(directoryOf(std::wstring(L"b.txt")), L"");
}

namespace {
std::vector<std::string> seen;
void record(const std::string& entry) { seen.push_back(entry); }
}  // namespace

TEST(PathHelpers, AbsolutePathListSkipsEmptyEntries) {
    seen.clear();
    std::string out = absolutePathList("C:\\a;;D:\\b;", record);
    EXPECT_EQ(out, "C:\\a;D:\\b");
    EXPECT_EQ(seen, (std::vector<std::string>{"C:\\a", "D:\\b"}));
}

TEST(PathHelpers, FullPathLowersAsciiUnlessAsked) {
    EXPECT_EQ(fullPath(std::string("C:\\Dir\\.\\Sub\\..\\File.TXT"), false), "c:\\dir\\file.txt");
    EXPECT_EQ(fullPath(std::wstring(L"C:\\Dir\\File.TXT"), true), L"C:\\Dir\\File.TXT");
}

TEST(ExePath, ForExeFileNamesOnly) {
    EXPECT_TRUE(looksLikeExePath("C:\\a.EXE"));
    EXPECT_FALSE(looksLikeExePath(".exe"));
    EXPECT_FALSE(looksLikeExePath("C:\\a.exe.txt"));
}
