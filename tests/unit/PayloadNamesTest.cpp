#include <gtest/gtest.h>

#include "payload/Extraction.h"

using namespace qpk;

TEST(PayloadNames, ListSkipsEmptyNames) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(payloadFileNames("a;b\\c;d"), (Names{"a", "b\\c", "d"}));
    EXPECT_EQ(payloadFileNames(";a;;b;"), (Names{"a", "b"}));
    EXPECT_EQ(payloadFileNames(""), Names{});
    EXPECT_EQ(payloadFileNames(";;"), Names{});
}

TEST(PayloadNames, OnlyNamesThatStayInsideTheDirectoryAreSafe) {
    for (const char* name : {"a", "file.jar", "lib\\rt.jar", ".hidden", "dir.d\\x.y", "a b\\c d", "..a", "a.b\\c"})
        EXPECT_TRUE(isSafeFileName(name)) << name;
    for (const char* name : {"..\\x", "C:\\x", "C:x", "a:b", "file.txt:stream", "\\x", "\\\\server\\share",
                             "a\\b\\c", "a/b", "/x", "..", ".", "...", ". .", "a\\..", "..\\", "a\\", "a\\.",
                             "a\\\\b", ".. \\x", "a..\\b", "CON", "lib\\nul.txt", "com1.jar", "a.", "a \\b"})
        EXPECT_FALSE(isSafeFileName(name)) << name;
}

TEST(PayloadNames, FirstUnsafeNameIsReported) {
    std::vector<std::string> names = {"ok", "dir\\ok", "..\\up", "C:\\abs"};
    const std::string* unsafe = firstUnsafeName(names);
    ASSERT_NE(unsafe, nullptr);
    EXPECT_EQ(*unsafe, "..\\up");
    names.resize(2);
    EXPECT_EQ(firstUnsafeName(names), nullptr);
}
