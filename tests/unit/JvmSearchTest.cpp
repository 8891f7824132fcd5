#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "jre/JvmLoader.h"
#include "jre/JvmSearch.h"

using namespace qpk;

TEST(SearchSequence, EntriesAreTypeLetterAndArgument) {
    std::vector<SearchEntry> entries = parseSearchSequence(";Y;EJAVA_HOME;;B..\\jre;y;S");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].type, 'Y');
    EXPECT_EQ(entries[0].argument, "");
    EXPECT_EQ(entries[1].type, 'E');
    EXPECT_EQ(entries[1].argument, "JAVA_HOME");
    EXPECT_EQ(entries[2].argument, "..\\jre");
    EXPECT_EQ(entries[3].type, 'y');  // kept; the search ignores unknown letters
    EXPECT_TRUE(parseSearchSequence("").empty());
}

TEST(SearchSequence, AbsoluteLocationsForTheRelaxedPass) {
    EXPECT_TRUE(isAbsoluteLocation("C:\\jre"));
    EXPECT_TRUE(isAbsoluteLocation("c:jre"));
    EXPECT_TRUE(isAbsoluteLocation("\\\\server\\jre"));
    EXPECT_FALSE(isAbsoluteLocation("\\jre"));
    EXPECT_FALSE(isAbsoluteLocation("jre"));
    EXPECT_FALSE(isAbsoluteLocation(""));
}

TEST(SearchSequence, VersionSubkeysAreTriedInDescendingStringOrder) {
    EXPECT_EQ(descendingOrder({"1.8.0_291", "1.8.0_45"}), (std::vector<std::string>{"1.8.0_45", "1.8.0_291"}));
    EXPECT_EQ(descendingOrder({"17", "9", "1.8"}), (std::vector<std::string>{"9", "17", "1.8"}));
    // A prefix sorts first, so it is tried last; bytes compare unsigned.
    EXPECT_EQ(descendingOrder({"11", "11.0.2", "\xe9"}), (std::vector<std::string>{"\xe9", "11.0.2", "11"}));
}

TEST(JvmLoader, HomeAndBinDirectoryOfTheJavaExecutable) {
    EXPECT_EQ(jvmHomeFor("c:\\jre\\bin\\java.exe"), "c:\\jre\\bin\\..");
    EXPECT_EQ(jvmHomeFor("c:\\jre\\bin\\javaw.exe"), "c:\\jre\\bin\\..");
    EXPECT_EQ(binDirOf("c:\\jre\\bin\\java.exe"), "c:\\jre\\bin");
    EXPECT_EQ(binDirOf("c:\\jre\\bin\\javaw.exe"), "c:\\jre\\bin");
}

TEST(LocationFile, FirstLineWithoutItsLineBreaks) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"qpk_unit_location_" + std::to_wstring(GetCurrentProcessId()) + L".cfg";
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs("C:\\Program Files\\jre\r\r\nsecond line\n", f);
    fclose(f);
    std::string line;
    ASSERT_TRUE(readLocationFile(path, line));
    EXPECT_EQ(line, "C:\\Program Files\\jre");

    f = _wfopen(path.c_str(), L"wb");
    fputs(std::string(7000, 'x').c_str(), f);
    fclose(f);
    ASSERT_TRUE(readLocationFile(path, line));
    EXPECT_EQ(line.size(), 5999u);
    DeleteFileW(path.c_str());
    EXPECT_FALSE(readLocationFile(path, line));
}
