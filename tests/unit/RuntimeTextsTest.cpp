#include <gtest/gtest.h>

#include "common/ConfigFormat.h"
#include "payload/RuntimeTexts.h"

using namespace qpk;

TEST(ConfigFormat, FillsOnlyConversionsOfTheRightKindAndRefusesTheRest) {
    const std::vector<FormatArgument> args = {numberArgument(1.5), textArgument(L"64"), numberArgument(2)};
    struct Case {
        const wchar_t* format;
        const wchar_t* expected;  // nullptr: refused
    } cases[] = {
        {L"%.1f MB of %S-bit, %3.0f%%", L"1.5 MB of 64-bit,   2%"},
        {L"%-6.2lf|%ls|%e", L"1.50  |64|2.000000e+00"},
        {L"no conversions 100%%", L"no conversions 100%"},
        {L"%s", nullptr},            // a text where a number is due
        {L"%f %f", nullptr},         // a number where a text is due
        {L"%f %s %f %f", nullptr},   // more conversions than arguments
        {L"%d", nullptr},
        {L"%n", nullptr},
        {L"%*f", nullptr},
        {L"%Lf", nullptr},
        {L"%999f", nullptr},         // wider than a field may be
        {L"100%", nullptr},          // a lone % at the end
    };
    for (const Case& c : cases) {
        std::wstring out = L"unchanged";
        bool ok = formatConfigured(c.format, args, out);
        EXPECT_EQ(ok, c.expected != nullptr) << c.format;
        EXPECT_EQ(out, c.expected ? c.expected : L"unchanged") << c.format;
    }
    std::wstring longText;
    ASSERT_TRUE(formatConfigured(std::wstring(7000, L'x'), {}, longText));
    EXPECT_EQ(longText.size(), 5999u);
}

TEST(RuntimeTexts, ExplanationStatusAndBar) {
    const std::wstring message = L"Find a %S-bit runtime.";
    EXPECT_EQ(choiceExplanation(message, L"min", L"", L"max", L""), L"Find a 64-bit runtime.");
    EXPECT_EQ(choiceExplanation(message, L"min", L"1.8", L"max", L""), L"Find a 64-bit runtime. (min 1.8)");
    EXPECT_EQ(choiceExplanation(message, L"min", L"", L"max", L"17"), L"Find a 64-bit runtime. (max 17)");
    EXPECT_EQ(choiceExplanation(message, L"min", L"1.8", L"max", L"17"), L"Find a 64-bit runtime. (min 1.8, max 17)");
    EXPECT_EQ(choiceExplanation(L"Bad %d", L"min", L"", L"max", L""), L"Bad %d");  // shown as written

    std::wstring status;
    ASSERT_TRUE(downloadStatus(L"%.2f/%.2f MB %.0f%% %.1f KB/s", 1048576, 4194304, 512, status));
    EXPECT_EQ(status, L"1.00/4.00 MB 25% 2048.0 KB/s");
    ASSERT_TRUE(downloadStatus(L"%.0f %.0f %.0f%% %.1f", 100, 200, 0, status));  // within the first millisecond
    EXPECT_EQ(status, L"0 0 50% 100.0");
    EXPECT_EQ(downloadPercent(999, 1000), 99);  // truncated, never rounded up
    EXPECT_EQ(downloadPercent(4000000000u, 4000000000u), 100);
}
