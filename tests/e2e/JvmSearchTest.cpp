// The search for an installed runtime, end to end through the probe program, with runtime
// homes built from the stand-ins, real environment variables and Wine's real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "BuildPaths.h"
#include "RuntimeHomes.h"
#include "SetupFixture.h"

using namespace qpke2e;

namespace {

std::string jsonEscaped(const std::string& text) {
    std::string j = jsonText(text);
    return j.substr(1, j.size() - 2);
}

void setString(HKEY hive, const std::string& key, const char* name, const std::string& data) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
    RegCloseKey(k);
}

}  // namespace

class JvmSearch : public SetupTest {
protected:
    void packProbe(const std::string& narrow) {
        pack(R"({"narrow": {"107": "0")" + narrow +
                 R"(}, "wide": {"1016": "No 64-bit runtime: {0}", "1018": "Variable {0} is no runtime"}, "files": []})",
             qpktest::helperPath("jvm_probe"));
    }
    qpktest::RunResult search(std::map<std::string, std::string> env = {}) {
        env["CORVO_LOG"] = "yes";
        env["QPK_PROBE_SHOW_ERRORS"] = "1";
        qpktest::RunOptions o = options(env);
        o.unsetEnv.push_back("CORVO_JAVA_HOME");
        o.unsetEnv.push_back("QUILLPACK_JAVA_HOME");
        return runWith(o);
    }
    // The log positions of the given texts, which must appear in this order.
    void expectOrder(const std::vector<std::string>& texts) {
        std::string log = onlyLog();
        size_t at = 0;
        for (const std::string& t : texts) {
            size_t found = log.find(t, at);
            ASSERT_NE(found, std::string::npos) << "missing or out of order: " << t << "\n" << log;
            at = found + t.size();
        }
    }
};

TEST_F(JvmSearch, PlacesAreVisitedInTheirFixedOrder) {
    packProbe(R"(, "128": "Y;EQPK_T_FIRST;y;EQPK_T_SECOND", "160": "qpk-order-app")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    expectOrder({"] Searching for a JVM", "] MinVersion: , MaxVersion: ", "] Testing location  (type Y)",
                 "] Testing location QPK_T_FIRST (type E)", "] Testing location  (type y)",
                 "] Testing location QPK_T_SECOND (type E)", "] checking app id qpk-order-app (0, ",
                 "] checking app id qpk-order-app (256, ", "] Search sequence finished", "] ERROR: No JVM found"});
    EXPECT_EQ(r.stderrText.rfind("No 64-bit runtime: 64", 0), 0u) << r.stderrText;
}

TEST_F(JvmSearch, EnvironmentEntryAcceptsForwardSlashesAndNamesItselfOnFailure) {
    std::string home = dir() + "\\env rt";
    makeRuntime(home);
    std::string slashed = home;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    packProbe(R"(, "128": "EQPK_T_HOME")");
    auto r = search({{"QPK_T_HOME", slashed}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(home) + "\\bin\\..");

    // Accepted but without a library: the search goes on, and the message names the variable.
    std::string broken = dir() + "\\broken";
    RuntimeLayout layout;
    layout.vmDirs = {};
    makeRuntime(broken, layout);
    clearLogs();
    r = search({{"QPK_T_HOME", broken}});
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: Could not get DLL-Handle.")) << onlyLog();
    EXPECT_EQ(r.stderrText.rfind("Variable QPK_T_HOME is no runtime", 0), 0u) << r.stderrText;
}

TEST_F(JvmSearch, RelaxedPassRetriesOnlyBEntriesWithAbsolutePaths) {
    std::string home = dir() + "\\too old";
    makeRuntime(home);  // 11.0.2, below the minimum
    packProbe(R"(, "126": "17", "128": "B)" + jsonEscaped(home) + R"(")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "11.0.2");
    expectOrder({"] Testing location " + home + " (type B)", "] Testing relative location " + home,
                 "] " + lowerAscii(home) + "\\bin\\java.exe exists"});

    clearLogs();
    packProbe(R"(, "126": "17", "128": "A)" + jsonEscaped(home) + R"(")");
    r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    EXPECT_FALSE(contains(onlyLog(), "Testing relative location")) << onlyLog();
}

TEST_F(JvmSearch, RelativeLocationsAreTakenFromTheLaunchersDirectory) {
    makeRuntime(dir() + "\\bundled\\rt");
    packProbe(R"(, "128": "Abundled\\rt;R%QUILLPACK_EXEDIR%unused")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(dir()) + "\\bundled\\rt\\bin\\..");
}

TEST_F(JvmSearch, JdkRequiredRejectsAHomeWithoutToolsJar) {
    std::string jre = dir() + "\\jre-only", jdk = dir() + "\\jdk";
    makeRuntime(jre);
    RuntimeLayout withTools;
    withTools.toolsJar = true;
    withTools.binDir = "jre\\bin";
    makeRuntime(jdk, withTools);
    packProbe(R"(, "131": "1", "128": "A)" + jsonEscaped(jre) + ";A" + jsonEscaped(jdk) + R"(")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(jdk) + "\\jre\\bin\\..");
}

TEST_F(JvmSearch, LocationFilesComeFirst) {
    std::string preferred = dir() + "\\preferred", installer = dir() + "\\installer";
    makeRuntime(preferred);
    makeRuntime(installer);
    makeDirectory(dir() + "\\apphome");
    makeDirectory(dir() + "\\apphome\\.quillpack");
    makeDirectory(dir() + "\\extracted");
    writeFile(dir() + "\\extracted\\inst_jre.cfg", installer + "\r\n");
    packProbe(R"(, "10003": "apphome", "128": "EQPK_T_UNSET")");
    auto r = search({{"QPK_PROBE_TEMPDIR", dir() + "\\extracted"}});
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(installer) + "\\bin\\..") << onlyLog();
    expectOrder({"] Has installer location " + installer, "] Using preferred location"});

    writeFile(dir() + "\\apphome\\.quillpack\\pref_jre.cfg", preferred + "\n");
    clearLogs();
    r = search({{"QPK_PROBE_TEMPDIR", dir() + "\\extracted"}});
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(preferred) + "\\bin\\..") << onlyLog();
    expectOrder({"] Has preferred location " + preferred, "] Using preferred location"});
}

TEST_F(JvmSearch, PreviousInstallationsOfTheUserAndTheProductVariables) {
    std::string previous = dir() + "\\previous";
    makeRuntime(previous + "\\jre");
    std::string appId = "qpk-e2e-app-" + std::to_string(GetCurrentProcessId());
    setString(HKEY_CURRENT_USER, "SOFTWARE\\larchmont-works\\quillpack\\installations", appId.c_str(),
              dir() + "\\gone;" + previous);
    packProbe(R"(, "160": ")" + appId + R"(")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "1") << onlyLog();
    expectOrder({"] found installations: ", "] java version did not match in " + dir() + "\\gone\\jre",
                 "] found JRE from previous installation (user) "});
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\larchmont-works\\quillpack\\installations", 0, KEY_SET_VALUE,
                      &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, appId.c_str());
        RegCloseKey(k);
    }

    std::string viaVariable = dir() + "\\variable";
    makeRuntime(viaVariable);
    packProbe("");
    clearLogs();
    r = search({{"QUILLPACK_JAVA_HOME", viaVariable}});
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(viaVariable) + "\\bin\\..") << onlyLog();
    expectOrder({"] Search sequence finished", "] Loading of JVM-DLL successful"});
}

TEST_F(JvmSearch, PathTooLongForTheReadIsExtendedInFull) {
    std::string home = dir() + "\\rt";
    makeRuntime(home);
    packProbe("");
    std::string longPath = "C:\\windows\\system32;" + std::string(13000, 'p');
    qpktest::RunOptions o = options({{"CORVO_LOG", "yes"}, {"QPK_PROBE_LOCATION", home}});
    o.setEnv["PATH"] = longPath;
    auto r = runWith(o);
    std::string path = outputValue(r.stdoutText, "path");
    EXPECT_EQ(path.rfind(longPath + ";", 0), 0u) << path.size();
    EXPECT_NE(path.find(lowerAscii(home) + "\\bin"), std::string::npos);
}

// The vendor keys are machine-wide; these cases run one at a time (RESOURCE_LOCK).
using JvmVendorRegistry = JvmSearch;

TEST_F(JvmVendorRegistry, SubkeysInDescendingStringOrderAndCurrentVersionFirst) {
    std::string rt9 = dir() + "\\rt9", rt17 = dir() + "\\rt17";
    RuntimeLayout nine, seventeen;
    nine.version = "9.0.4";
    seventeen.version = "17.0.1";
    makeRuntime(rt9, nine);
    makeRuntime(rt17, seventeen);
    const std::string jdkKey = "SOFTWARE\\JavaSoft\\JDK";
    setString(HKEY_LOCAL_MACHINE, jdkKey + "\\17", "JavaHome", rt17);
    setString(HKEY_LOCAL_MACHINE, jdkKey + "\\9", "JavaHome", rt9);
    packProbe(R"(, "128": "Y")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "9.0.4") << onlyLog();
    EXPECT_TRUE(contains(onlyLog(), "] found sun ")) << onlyLog();

    setString(HKEY_LOCAL_MACHINE, jdkKey, "CurrentVersion", "17");
    clearLogs();
    r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "17.0.1") << onlyLog();

    // Restricted to the launcher's own runtimes, the vendor keys are not read.
    packProbe(R"(, "128": "Y", "165": "1")");
    clearLogs();
    r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0") << onlyLog();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, jdkKey.c_str());
}

// Java distributions' keys and install folders (letter V). Both are machine-wide: the keys
// and the folders a case makes are removed however it ends.
class JvmDistributions : public JvmSearch {
protected:
    void TearDown() override {
        for (const char* key : {"SOFTWARE\\Eclipse Adoptium", "SOFTWARE\\Azul Systems", "SOFTWARE\\Microsoft\\JDK"})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
        for (const std::string& folder : made_) qpktest::removeTree(folder);
        JvmSearch::TearDown();
    }
    // <Program Files>\<relative>, made; the first directory made is removed afterwards.
    std::string programFiles(const std::string& relative) {
        const char* root = getenv("ProgramW6432");
        std::string path = root ? root : "C:\\Program Files";
        size_t start = 0;
        while (start <= relative.size()) {
            size_t end = std::min(relative.find('\\', start), relative.size());
            path += "\\" + relative.substr(start, end - start);
            if (!fileExists(path)) {
                if (made_.empty() || path.rfind(made_.back() + "\\", 0) != 0) made_.push_back(path);
                makeDirectory(path);
            }
            start = end + 1;
        }
        return path;
    }
    std::vector<std::string> made_;
};

TEST_F(JvmDistributions, KeysOfRealRuntimesNewestInRangeFirstAndUntrustedOnesSkipped) {
    std::string jdk11 = qpktest::toWindowsPath(QPK_JDK11_HOME), jdk21 = qpktest::toWindowsPath(QPK_JDK21_HOME);
    if (!fileExists(jdk11 + "\\bin\\java.exe") || !fileExists(jdk21 + "\\bin\\java.exe"))
        GTEST_SKIP() << "no real runtimes in the cache";
    const std::string adoptium = "SOFTWARE\\Eclipse Adoptium\\JDK\\", zulu = "SOFTWARE\\Azul Systems\\Zulu\\";
    setString(HKEY_LOCAL_MACHINE, adoptium + "21.0.8.2\\hotspot\\MSI", "Path", jdk21 + "\\");
    setString(HKEY_LOCAL_MACHINE, zulu + "zulu-11", "InstallationPath", jdk11);
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\JDK\\25.0.1\\hotspot\\MSI", "Path", dir() + "\\gone");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Eclipse Adoptium\\JRE\\latest\\hotspot\\MSI", "Path", jdk21);
    setString(HKEY_LOCAL_MACHINE, zulu + "zulu-31", "InstallationPath", "C:\\" + std::string(2000, 'a'));
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (zulu + "zulu-30").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &k, nullptr),
              ERROR_SUCCESS);
    DWORD number = 30;
    RegSetValueExA(k, "InstallationPath", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(k);

    packProbe(R"(, "128": "V")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "21.0.8") << onlyLog();
    EXPECT_EQ(outputValue(r.stdoutText, "jvmHome"), lowerAscii(jdk21) + "\\bin\\..");
    std::string log = onlyLog();
    for (const std::string& skipped : std::vector<std::string>{
             "] Skipping " + zulu + "zulu-30: value InstallationPath has type 4",
          "] Skipping " + zulu + "zulu-31: value InstallationPath is 2004 bytes long",
          "] Skipping SOFTWARE\\Eclipse Adoptium\\JRE\\latest: the name is no version",
          "] Skipping SOFTWARE\\Microsoft\\JDK\\25.0.1\\hotspot\\MSI: no bin\\java.exe in " + dir() + "\\gone"})
        EXPECT_TRUE(contains(log, skipped)) << skipped << "\n" << log;

    packProbe(R"(, "128": "V", "127": "17")");
    clearLogs();
    r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "11.0.13") << onlyLog();
    expectOrder({"] Trying distribution runtime " + jdk21, "not accepted (version 21.0.8)",
                 "] Trying distribution runtime " + jdk11, "] Using distribution runtime "});

    packProbe(R"(, "128": "Y")");
    clearLogs();
    r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "loaded"), "0");
    EXPECT_FALSE(contains(onlyLog(), "istribution")) << onlyLog();
}

TEST_F(JvmDistributions, InstallFoldersAndTheJdkRequirement) {
    RuntimeLayout jdk, jre;
    jdk.version = "17.0.1";
    jre.version = "18.0.2";
    std::string jdkHome = programFiles("Eclipse Adoptium\\jdk-17.0.1.12-hotspot");
    makeRuntime(jdkHome, jdk);
    writeFile(jdkHome + "\\bin\\javac.exe", "");
    std::string jreHome = programFiles("AdoptOpenJDK\\jre-18.0.2");
    makeRuntime(jreHome, jre);
    programFiles("Zulu\\zulu-19");
    std::string odd = programFiles("Java\\jre-odd");
    makeRuntime(odd);

    packProbe(R"(, "128": "V")");
    auto r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "18.0.2") << onlyLog();
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] Skipping " + odd + ": the name is no version")) << log;
    EXPECT_TRUE(contains(log, "zulu-19: no bin\\java.exe in ")) << log;

    packProbe(R"(, "128": "V", "131": "1")");
    clearLogs();
    r = search();
    EXPECT_EQ(outputValue(r.stdoutText, "runtimeVersion"), "17.0.1") << onlyLog();
    expectOrder({"] Skipping " + jreHome + ": a JDK is required", "] Using distribution runtime "});
}
