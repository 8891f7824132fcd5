#include <windows.h>

#include <gtest/gtest.h>

#include "ScratchDir.h"
#include "Utf8.h"

using namespace qpktest;

TEST(ScratchDir, HoldsFilesByteExactAndRemovesTheWholeTree) {
  if (GetEnvironmentVariableW(L"QPK_KEEP_TEST_FILES", nullptr, 0) > 0) {
    GTEST_SKIP() << "QPK_KEEP_TEST_FILES keeps the tree";
  }
  const std::string binary("a\0b\r\n\xFF", 6);
  std::string path;
  {
    ScratchDir dir("scratch \xC3\xA4");
    ASSERT_TRUE(dir.valid());
    path = dir.path();
    ASSERT_TRUE(dir.writeFile("a.txt", "text"));
    ASSERT_TRUE(dir.writeFile("sub/deeper/b.bin", binary));
    ASSERT_TRUE(dir.makeDirs("empty\\dir"));
    // Installed files are often read-only; they must not survive the test.
    ASSERT_TRUE(SetFileAttributesW(widen(dir.path("sub\\deeper\\b.bin")).c_str(),
                                   FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(dir.readFile("sub\\deeper\\b.bin"), binary);
    EXPECT_EQ(dir.readFile("missing"), std::nullopt);
    EXPECT_TRUE(dir.exists("sub/deeper"));
    EXPECT_FALSE(dir.exists("missing"));
    EXPECT_EQ(dir.listFiles(), (std::vector<std::string>{"a.txt", "empty\\", "empty\\dir\\", "sub\\",
                                                        "sub\\deeper\\", "sub\\deeper\\b.bin"}));
    EXPECT_EQ(dir.listFiles("sub"), (std::vector<std::string>{"deeper\\", "deeper\\b.bin"}));
  }
  EXPECT_EQ(GetFileAttributesW(widen(path).c_str()), INVALID_FILE_ATTRIBUTES);
}
