#include "jre/DistributionNames.h"

#include <gtest/gtest.h>

using namespace qpk;

namespace {

// An empty expectation: the name or value is skipped.
struct Case {
    std::string given;
    std::string expected;
};

}  // namespace

TEST(DistributionNames, VersionsFromKeyAndFolderNamesAndTrustedHomes) {
    const Case names[] = {
        {"21.0.8.9", "21.0.8.9"},
        {"jdk-21.0.8.9-hotspot", "21.0.8.9"},
        {"jdk-11.0.13+8", "11.0.13+8"},
        {"zulu-17", "17"},
        {"jre1.8.0_291", "1.8.0_291"},
        {"jdk-11-", "11"},
        {"jdk-", ""},
        {"jre-odd", ""},
        {"hotspot", ""},
        {"", ""},
        {"..", ""},
        {"jdk-1\\..\\..", ""},
        {"jdk-1/x", ""},
        {"jdk-1?", ""},
        {"jdk-1\x01", ""},
        {"jdk-1\xe9", ""},
        {"jdk-" + std::string(251, '1'), std::string(251, '1')},  // 255 characters
        {"jdk-" + std::string(252, '1'), ""},
    };
    for (const Case& c : names) {
        std::string version = "untouched";
        EXPECT_EQ(versionFromName(c.given, version), !c.expected.empty()) << c.given;
        EXPECT_EQ(version, c.expected.empty() ? "untouched" : c.expected) << c.given;
    }

    const Case homes[] = {
        {"C:\\Program Files\\Eclipse Adoptium\\jdk-21\\", "C:\\Program Files\\Eclipse Adoptium\\jdk-21"},
        {"\\\\server\\share\\jdk", "\\\\server\\share\\jdk"},
        {"C:\\", "C:"},
        {"jdk-21", ""},
        {"\\jdk", ""},
        {"\\\\\\jdk", ""},
        {"C:jdk", ""},
        {"C:\\jdk\nD:\\x", ""},
        {std::string("C:\\jdk\0x", 8), ""},
        {"C:\\jdk:stream", ""},
        {"C:\\jdk/bin", ""},
        {"C:\\" + std::string(243, 'a'), "C:\\" + std::string(243, 'a')},  // with "\bin\java.exe": 259
        {"C:\\" + std::string(244, 'a'), ""},
    };
    for (const Case& c : homes) {
        std::string home = "untouched";
        EXPECT_EQ(usableHome(c.given, home), !c.expected.empty()) << c.given;
        EXPECT_EQ(home, c.expected.empty() ? "untouched" : c.expected) << c.given;
    }
}

TEST(DistributionNames, NewestFirstWithoutRepeatedHomes) {
    std::vector<DistributionRuntime> found = {
        {"C:\\a", "11.0.13", "key a", false}, {"C:\\b", "21", "key b", false},  {"C:\\c", "9", "folder c", true},
        {"c:\\B", "21", "folder b", false},   {"C:\\d", "21.0.1", "key d", false}, {"C:\\e", "11.0.13", "key e", false},
    };
    std::vector<std::string> order;
    for (const DistributionRuntime& c : newestFirst(found)) order.push_back(c.origin);
    EXPECT_EQ(order, (std::vector<std::string>{"key d", "key b", "key a", "key e", "folder c"}));
}
