// Taking a runtime into use, end to end: the probe program calls the loader in a process
// of its own on runtime homes built from the stand-ins.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "RuntimeHomes.h"
#include "SetupFixture.h"

using namespace qpke2e;

namespace {

// Errors go to standard error (entry 107 is 0), with recognisable texts.
std::string manifest(const std::string& narrow = std::string()) {
    return R"({"narrow": {"107": "0")" + narrow + R"(},
      "wide": {"1016": "No 64-bit runtime: {0}", "1018": "Variable {0} is no runtime",
               "1020": "Runtime at {0} is damaged", "1005": "The runtime could not be started"},
      "files": []})";
}

}  // namespace

class JvmLoad : public SetupTest {
protected:
    qpktest::RunResult load(const std::map<std::string, std::string>& env) {
        std::map<std::string, std::string> all = env;
        all["CORVO_LOG"] = "yes";
        all["QPK_PROBE_SHOW_ERRORS"] = "1";
        return run({}, all);
    }
    void packProbe(const std::string& narrow = std::string()) {
        pack(manifest(narrow), qpktest::helperPath("jvm_probe"));
    }
};

TEST_F(JvmLoad, JavaExeLocationLoadsItsLibraryAndExtendsPath) {
    packProbe();
    std::string home = dir() + "\\Runtime";
    makeRuntime(home);
    auto r = load({{"QPK_PROBE_LOCATION", home + "\\bin\\java.exe"}, {"QPK_PROBE_JAVA_EXE", "1"}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    EXPECT_EQ(outputValue(r.stdoutText, "resolved"), "1");
    std::string bin = lowerAscii(home) + "\\bin";
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), bin + "\\..");
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "11.0.2");
    std::string path = outputValue(r.stdoutText, "path");
    EXPECT_EQ(path.substr(path.size() - bin.size() - 1), ";" + bin);
    std::string log = onlyLog();
    size_t hotspot = log.find("] Trying " + bin + "\\hotspot\\jvm.dll (exists 0)");
    size_t server = log.find("] Trying " + bin + "\\server\\jvm.dll (exists 1)");
    EXPECT_NE(hotspot, std::string::npos) << log;
    EXPECT_LT(hotspot, server) << log;
    EXPECT_TRUE(contains(log, "] Adding DLL directory " + bin)) << log;
    EXPECT_TRUE(contains(log, "] Loading of JVM-DLL successful"));
    EXPECT_EQ(r.stderrText, "");
}

TEST_F(JvmLoad, ConfiguredSubdirectoryIsTriedFirst) {
    packProbe(R"(, "152": "server")");
    std::string home = dir() + "\\rt";
    RuntimeLayout layout;
    layout.vmDirs = {"client", "server"};
    makeRuntime(home, layout);
    auto r = load({{"QPK_PROBE_LOCATION", home + "\\bin\\java.exe"}, {"QPK_PROBE_JAVA_EXE", "1"}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1");
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "\\server\\jvm.dll (exists 1)"));
    EXPECT_FALSE(contains(log, "\\client\\jvm.dll")) << log;
}

TEST_F(JvmLoad, JdkWithItsLibraryOnlyInTheEmbeddedRuntimeRestoresPathFirst) {
    packProbe();
    std::string home = dir() + "\\jdk";
    RuntimeLayout outer;
    outer.vmDirs = {};
    makeRuntime(home, outer);
    RuntimeLayout inner;
    inner.binDir = "jre\\bin";
    makeRuntime(home, inner);
    auto r = load({{"QPK_PROBE_LOCATION", home + "\\bin\\java.exe"}, {"QPK_PROBE_JAVA_EXE", "1"}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] Removing DLL directory")) << log;
    EXPECT_TRUE(contains(log, "\\bin\\..\\jre\\bin\\server\\jvm.dll (exists 1)")) << log;
    // Only the embedded runtime's directory stays on PATH.
    std::string path = lowerAscii(outputValue(r.stdoutText, "path"));
    EXPECT_FALSE(contains(path, lowerAscii(home) + "\\bin;")) << path;
    EXPECT_TRUE(contains(path, lowerAscii(home) + "\\bin\\..\\jre\\bin")) << path;
}

TEST_F(JvmLoad, LibrariesThatDoNotServeAreReportedByTheirSource) {
    packProbe();
    std::string home32 = dir() + "\\rt32";
    RuntimeLayout layout32;
    layout32.library = RuntimeLayout::ThirtyTwoBit;
    makeRuntime(home32, layout32);
    auto r = load({{"QPK_PROBE_LOCATION", home32 + "\\bin\\java.exe"}, {"QPK_PROBE_JAVA_EXE", "1"}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    EXPECT_TRUE(contains(onlyLog(), "] Failed with error code 193")) << onlyLog();
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: Could not get DLL-Handle."));
    EXPECT_EQ(r.stderrText.rfind("Runtime at " + home32 + "\\bin\\java.exe is damaged", 0), 0u) << r.stderrText;
    // A failed attempt leaves PATH as it was.
    EXPECT_FALSE(contains(lowerAscii(outputValue(r.stdoutText, "path")), lowerAscii(home32))) << r.stdoutText;

    clearLogs();
    std::string homeNoExport = dir() + "\\rtx";
    RuntimeLayout noExport;
    noExport.library = RuntimeLayout::NotExporting;
    makeRuntime(homeNoExport, noExport);
    r = load({{"QPK_PROBE_LOCATION", homeNoExport}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    EXPECT_EQ(outputValue(r.stdoutText, "resolved"), "0");
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: Could not load functions")) << onlyLog();
    EXPECT_EQ(r.stderrText.rfind("Runtime at " + homeNoExport + " is damaged", 0), 0u) << r.stderrText;
}

TEST_F(JvmLoad, DirectoryWithoutRuntimeIsNotRefusedUntilItsLibraryIsMissing) {
    packProbe();
    makeDirectory(dir() + "\\empty");
    auto r = load({{"QPK_PROBE_LOCATION", dir() + "\\empty"}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] ERROR: Could not get DLL-Handle.")) << log;
    EXPECT_FALSE(contains(log, "Provided JVM unusable"));
    EXPECT_EQ(r.stderrText.rfind("Runtime at " + dir() + "\\empty is damaged", 0), 0u) << r.stderrText;
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(dir()) + "\\empty\\bin\\..");
}

TEST_F(JvmLoad, ChosenJavaExeBelowTheMinimumIsUnusable) {
    packProbe(R"(, "126": "17")");
    std::string home = dir() + "\\old";
    makeRuntime(home);
    auto r = load({{"QPK_PROBE_LOCATION", home + "\\bin\\java.exe"}, {"QPK_PROBE_JAVA_EXE", "1"}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: Provided JVM unusable"));
    EXPECT_FALSE(contains(onlyLog(), "Trying ")) << "nothing is loaded";
    EXPECT_EQ(r.stderrText.rfind("No 64-bit runtime: 64", 0), 0u) << r.stderrText;
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), "") << "no runtime was recorded";
}
