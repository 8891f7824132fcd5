#include <gtest/gtest.h>

#include <string>

#include "jre/RuntimeFiles.h"

using namespace qpk;

namespace {

const char kRelease11[] = "JAVA_VERSION=\"11.0.13\"\nMODULES=\"java.base java.logging\"\n";

// A PE image's first bytes with `machine` in the header that e_lfanew points to.
std::string peHead(uint16_t machine, uint32_t peOffset = 0x80, const char* signature = "PE") {
    std::string head(peOffset + 24, '\0');
    head[0] = 'M';
    head[1] = 'Z';
    for (int i = 0; i < 4; ++i) head[0x3C + i] = char(peOffset >> (8 * i));
    head.replace(peOffset, 2, signature);
    head[peOffset + 4] = char(machine);
    head[peOffset + 5] = char(machine >> 8);
    return head;
}

}  // namespace

TEST(RuntimeFiles, ReleaseValuesAreQuotedKeyLines) {
    EXPECT_EQ(releaseValue(kRelease11, "JAVA_VERSION"), "11.0.13");
    EXPECT_EQ(releaseValue(kRelease11, "MODULES"), "java.base java.logging");
    EXPECT_EQ(releaseValue("JAVA_VERSION_DATE=\"2021-10-19\"\r\nJAVA_VERSION=\"17\"\r\n", "JAVA_VERSION"), "17");
    EXPECT_EQ(releaseValue("IMPLEMENTOR_JAVA_VERSION=\"1\"\nJAVA_VERSION=11\n", "JAVA_VERSION"), "");
    EXPECT_EQ(releaseValue("JAVA_VERSION=\"", "JAVA_VERSION"), "");
    EXPECT_EQ(releaseValue("", "JAVA_VERSION"), "");
}

TEST(RuntimeFiles, PeMachineFromTheHeaderE_lfanewPointsTo) {
    EXPECT_EQ(peMachine(peHead(kMachineAmd64)), kMachineAmd64);
    EXPECT_EQ(peMachine(peHead(0x14C, 0x40)), 0x14C);
    EXPECT_EQ(peMachine(peHead(kMachineAmd64).substr(0, 0x80 + 5)), 0) << "header cut short";
    EXPECT_EQ(peMachine(peHead(kMachineAmd64, 0x80, "NE")), 0);
    EXPECT_EQ(peMachine("MZ" + std::string(0x3A, '\0') + "\xff\xff\xff\xff"), 0) << "e_lfanew beyond the bytes";
    EXPECT_EQ(peMachine("ZM" + peHead(kMachineAmd64).substr(2)), 0);
    EXPECT_EQ(peMachine(""), 0);
}

// Only files that say what "java -version" would print give a version; all others leave it
// to running the runtime.
TEST(RuntimeFiles, VersionOnlyWhereTheFilesAgreeOnAReleaseOfJavaNineOrLater) {
    struct Case {
        std::string release, fullVersion;
        uint16_t machine;
        bool jvmLibrary;
        const char* version;  // nullptr: not from the files
    };
    const Case cases[] = {
        {kRelease11, "11.0.13+8", kMachineAmd64, true, "11.0.13"},
        {"JAVA_VERSION=\"21.0.8\"\n", "21.0.8+9-LTS", kMachineAmd64, true, "21.0.8"},
        {"JAVA_VERSION=\"11.0.13\"\n", "11.0.13", kMachineAmd64, true, "11.0.13"},
        {"JAVA_VERSION=\"9\"\n", "9+181", kMachineAmd64, true, "9"},
        // Pre-release builds print "17-ea" where the release file says 17.
        {"JAVA_VERSION=\"17\"\n", "17-ea+35", kMachineAmd64, true, nullptr},
        {kRelease11, "11.0.13-internal+0-adhoc", kMachineAmd64, true, nullptr},
        {kRelease11, "11.0.12+7", kMachineAmd64, true, nullptr},
        {kRelease11, "11.0.1+3", kMachineAmd64, true, nullptr},
        {kRelease11, "", kMachineAmd64, true, nullptr},
        {"", "11.0.13+8", kMachineAmd64, true, nullptr},
        // A 32-bit or ARM java.exe, or one without the JVM it starts.
        {kRelease11, "11.0.13+8", 0x14C, true, nullptr},
        {kRelease11, "11.0.13+8", 0xAA64, true, nullptr},
        {kRelease11, "11.0.13+8", 0, true, nullptr},
        {kRelease11, "11.0.13+8", kMachineAmd64, false, nullptr},
        // Before Java 9 the release file is not trusted; nor is what no version line holds.
        {"JAVA_VERSION=\"1.8.0_291\"\n", "1.8.0_291-b10", kMachineAmd64, true, nullptr},
        {"JAVA_VERSION=\"8\"\n", "8+1", kMachineAmd64, true, nullptr},
        {"JAVA_VERSION=\"11.0.13 \"\n", "11.0.13 +8", kMachineAmd64, true, nullptr},
        {"JAVA_VERSION=\"11..13\"\n", "11..13+8", kMachineAmd64, true, nullptr},
        {"JAVA_VERSION=\"011.0\"\n", "011.0+8", kMachineAmd64, true, nullptr},
        {"JAVA_VERSION=\"" + std::string(41, '1') + "\"\n", std::string(41, '1'), kMachineAmd64, true, nullptr},
    };
    for (const Case& c : cases) {
        RuntimeFiles files;
        files.release = c.release;
        files.fullVersion = c.fullVersion;
        files.machine = c.machine;
        files.jvmLibrary = c.jvmLibrary;
        std::string version = "untouched";
        bool found = versionFromRuntimeFiles(files, version);
        EXPECT_EQ(found, c.version != nullptr) << c.release << " / " << c.fullVersion << " / " << c.machine;
        EXPECT_EQ(version, c.version ? c.version : "untouched") << c.release << " / " << c.fullVersion;
    }
}
