// The real Windows Java runtimes that scripts/setup fetches (QPK_JDK11_HOME, QPK_JDK21_HOME)
// as the launcher will meet them under this Wine: java.exe -version and the JVM library,
// loaded and driven through JNI in a process of its own. Then the jvm.dll stand-ins, which
// the tests of the runtime loading use instead.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "BuildPaths.h"
#include "Process.h"
#include "ScratchDir.h"
#include "Utf8.h"
#include "common/Owned.h"
#include "common/ProcLookup.h"

namespace {

const char* kAffinityWarning =
    "OpenJDK 64-Bit Server VM warning: Attempt to get process group affinity failed: Call not implemented";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

// The value of a "name=value" line, or "(missing)".
std::string value(const std::string& output, const std::string& name) {
    for (const std::string& line : lines(output))
        if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    return "(missing)";
}

bool exists(const std::string& path) {
    return GetFileAttributesW(qpktest::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Runtime {
    const char* name;
    const char* unixHome;
    const char* version;    // as java.version reports it
    bool warnsOnAffinity;   // HotSpot's warnings about a call Wine lacks come first
};

std::ostream& operator<<(std::ostream& out, const Runtime& r) { return out << r.name; }

class RealRuntime : public ::testing::TestWithParam<Runtime> {
protected:
    void SetUp() override {
        home_ = qpktest::toWindowsPath(GetParam().unixHome);
        ASSERT_TRUE(exists(home_ + "\\bin\\java.exe") && exists(home_ + "\\bin\\server\\jvm.dll"))
            << "no runtime at " << GetParam().unixHome << "; scripts/setup fetches it";
    }
    std::string home_;
};

TEST_P(RealRuntime, JavaExeReportsItsVersionOnStandardError) {
    qpktest::RunOptions o;
    o.program = home_ + "\\bin\\java.exe";
    o.args = {"-version"};
    qpktest::RunResult r = qpktest::runProgram(o);
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_EQ(r.stdoutText, "");

    std::vector<std::string> err = lines(r.stderrText);
    std::string versionLine = std::string("openjdk version \"") + GetParam().version + "\"";
    size_t at = 0;
    while (at < err.size() && err[at].rfind(versionLine, 0) != 0) ++at;
    ASSERT_LT(at, err.size()) << r.stderrText;
    for (size_t i = 0; i < at; ++i) EXPECT_EQ(err[i], kAffinityWarning) << "line " << i;
    if (GetParam().warnsOnAffinity)
        EXPECT_GT(at, 0u) << "the version is no longer preceded by the affinity warnings";
    else
        EXPECT_EQ(at, 0u);
}

TEST_P(RealRuntime, JvmLibraryCreatesAMachineThatAnswersThroughJni) {
    qpktest::RunOptions o;
    o.program = qpktest::helperPath("runtime_jni_probe");
    o.args = {home_ + "\\bin\\server\\jvm.dll"};
    qpktest::RunResult r = qpktest::runProgram(o);
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.exitCode, 0u) << r.stdoutText << r.stderrText;
    EXPECT_EQ(value(r.stdoutText, "loaded"), "1") << r.stdoutText;
    EXPECT_EQ(value(r.stdoutText, "resolved"), "1");
    EXPECT_EQ(value(r.stdoutText, "created"), "0") << r.stderrText;
    EXPECT_EQ(value(r.stdoutText, "java.version"), GetParam().version);
    // The machine finds its home from the library's own location.
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, value(r.stdoutText, "java.home").c_str(), -1,
                             home_.c_str(), -1),
              CSTR_EQUAL)
        << value(r.stdoutText, "java.home") << " vs " << home_;
    EXPECT_EQ(value(r.stdoutText, "java.class.path"), "") << "the option given at creation";
    EXPECT_EQ(value(r.stdoutText, "destroyed"), "0");
}

INSTANTIATE_TEST_SUITE_P(Fetched, RealRuntime,
                         ::testing::Values(Runtime{"Java11", QPK_JDK11_HOME, "11.0.13", false},
                                           Runtime{"Java21", QPK_JDK21_HOME, "21.0.8", true}),
                         [](const ::testing::TestParamInfo<Runtime>& info) { return std::string(info.param.name); });

// The stand-ins are loaded into the test process itself, one at a time.
qpk::UniqueLibrary load(const std::string& unixPath) {
    return qpk::UniqueLibrary(LoadLibraryW(qpktest::widen(qpktest::toWindowsPath(unixPath)).c_str()));
}

TEST(JvmStandIn, A64BitProcessCannotLoadThe32BitLibrary) {
    qpk::UniqueLibrary library = load(QPK_STANDIN_JVM32);
    DWORD error = GetLastError();
    EXPECT_FALSE(library);
    EXPECT_EQ(error, DWORD(ERROR_BAD_EXE_FORMAT));
}

TEST(JvmStandIn, CreateJavaVmIsExportedByOneVariantOnly) {
    {
        qpk::UniqueLibrary library = load(QPK_STANDIN_JVM64);
        ASSERT_TRUE(library) << GetLastError();
        EXPECT_NE(GetProcAddress(library.get(), "JNI_CreateJavaVM"), nullptr);
    }
    qpk::UniqueLibrary library = load(QPK_STANDIN_JVM64_NOEXPORT);
    ASSERT_TRUE(library) << GetLastError();
    EXPECT_EQ(GetProcAddress(library.get(), "JNI_CreateJavaVM"), nullptr);
}

TEST(JvmStandIn, CreateJavaVmFailsAndRecordsItsArguments) {
    qpktest::ScratchDir scratch("qpk-jvm-standin");
    ASSERT_TRUE(scratch.valid());
    std::string copy = scratch.path("server\\jvm.dll");
    ASSERT_TRUE(scratch.makeDirs("server"));
    ASSERT_TRUE(CopyFileW(qpktest::widen(qpktest::toWindowsPath(QPK_STANDIN_JVM64)).c_str(),
                          qpktest::widen(copy).c_str(), FALSE));
    {
        qpk::UniqueLibrary library(LoadLibraryW(qpktest::widen(copy).c_str()));
        ASSERT_TRUE(library) << GetLastError();
        using Create = int32_t(__stdcall*)(void**, void**, void*);
        auto create = qpk::lookupFunction<Create>(library.get(), "JNI_CreateJavaVM");
        ASSERT_NE(create, nullptr);
        struct Option {
            const char* text;
            void* extra;
        } options[] = {{"-Xmx64m", nullptr}, {"-Dname=a b", nullptr}};
        struct {
            int32_t version, count;
            Option* options;
            uint8_t ignore;
        } args = {0x00010002, 2, options, 1};
        void* vm = &args;
        void* env = &args;
        EXPECT_EQ(create(&vm, &env, &args), -1);
        EXPECT_EQ(vm, nullptr);
        EXPECT_EQ(env, nullptr);
    }
    EXPECT_EQ(scratch.readFile("server\\jvm-calls.log").value_or("(none)"),
              "version=0x00010002\noption=-Xmx64m\noption=-Dname=a b\nignoreUnrecognized=1\n");
}

}  // namespace
