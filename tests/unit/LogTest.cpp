#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "launcher/Log.h"

using namespace qpk;

TEST(LogLinePrefix, SecondsAndMillisecondsSinceStart) {
    EXPECT_EQ(logLinePrefix(1000, 1000), L"[0:0] ");
    EXPECT_EQ(logLinePrefix(5000, 5000 + 61500), L"[61:500] ");
    // Only the low 32 bits count, so a start just below a 2^32 boundary still works.
    int64_t start = (int64_t(7) << 32) + 0xfffffff0;
    EXPECT_EQ(logLinePrefix(start, start + 0x20), L"[0:32] ");
}

TEST(LogKeep, OnlyLowerCaseYesKeeps) {
    EXPECT_TRUE(keepsLog(L"yes"));
    EXPECT_FALSE(keepsLog(L"Yes"));
    EXPECT_FALSE(keepsLog(L"yes "));
    EXPECT_FALSE(keepsLog(L""));
    EXPECT_FALSE(keepsLog(nullptr));
}

TEST(LogFileName, FirstFreeNumberAndOverwriteAtOneThousand) {
    std::set<std::wstring> existing{L"T\\qpk_nlog_1.log", L"T\\qpk_nlog_2.log"};
    auto exists = [&](const std::wstring& n) { return existing.count(n) > 0; };
    EXPECT_EQ(chooseLogFileName(L"T\\", exists), L"T\\qpk_nlog_3.log");
    int calls = 0;
    auto all = [&](const std::wstring&) { ++calls; return true; };
    EXPECT_EQ(chooseLogFileName(L"T\\", all), L"T\\qpk_nlog_1000.log");
    EXPECT_EQ(calls, 999);
}

namespace {

std::string fileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(cannot open)";
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// The bytes with every "[s:ms] " prefix reduced to "[] ", since the times vary.
std::string withoutTimes(const std::string& bytes) {
    return std::regex_replace(bytes, std::regex("\\[[0-9]+:[0-9]+\\] "), "[] ");
}

}  // namespace

// The log is a UTF-8 text file as the C runtime writes one: a byte order mark, CR LF line
// ends (also inside a message), and every line on disk as soon as the call returns.
TEST(LogFile, Utf8TextWithByteOrderMarkAndEveryLineInTheFileAtOnce) {
    logLine(L"first %s, %S", L"wide \u00e9 \U0001F600", "narrow");
    std::wstring path = logPathForUser();
    ASSERT_FALSE(path.empty());
    std::string header = fileBytes(path);
    ASSERT_EQ(header.rfind("\xEF\xBB\xBFStarted executable ", 0), 0u) << header;
    size_t headerEnd = header.find("\r\n\r\n");
    ASSERT_NE(headerEnd, std::string::npos) << "ctime's line break, then the header's own";
    EXPECT_EQ(withoutTimes(header.substr(headerEnd + 4)), "[] first wide \xC3\xA9 \xF0\x9F\x98\x80, narrow\r\n");

    logError(L"two\nlines");
    logLine(L"%d%%", 100);
    EXPECT_EQ(withoutTimes(fileBytes(path).substr(headerEnd + 4)),
              "[] first wide \xC3\xA9 \xF0\x9F\x98\x80, narrow\r\n[] ERROR: two\r\nlines\r\n[] 100%\r\n");
    DeleteFileW(path.c_str());
}
