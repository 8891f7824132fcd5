// Packed setups that run the Java stand-in of the installer runtime on the real Windows
// Java 11 runtime under Wine: what the launcher hands the JVM and the main method, how the
// Java side's end reaches the shell, and the sequence's other ends.
#include <windows.h>

#include "JavaInstallerFixture.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

// The first registered native, in registration order, that the launcher does not export;
// empty when it exports them all.
std::string firstMissingNative() {
    static const char* const kSymbols[] = {
#define QPK_NATIVE(cls, method, descriptor) "Java_com_quillpack_runtime_installer_platform_win32_" #cls "_" #method,
#include "NativeMethods.inc"
#undef QPK_NATIVE
    };
    std::wstring launcher = qpktest::widen(qpktest::launcherPath());
    HMODULE image = LoadLibraryExW(launcher.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (image == nullptr) return "(launcher not loadable)";
    std::string missing;
    for (const char* symbol : kSymbols) {
        if (GetProcAddress(image, symbol) == nullptr) {
            missing = symbol;
            break;
        }
    }
    FreeLibrary(image);
    return missing;
}

}  // namespace

class JavaLaunch : public JavaInstallerTest {
protected:
    // A setup whose payload is the runtime archive (none if empty) and its parameter file.
    void packInstaller(const std::string& narrow, const std::string& wide = std::string(),
                       const std::string& jar = runtimeJar(), const std::string& kit = kitJar()) {
        std::string files = jar.empty() ? std::string("[]") : installerFiles(jar, kit);
        pack(R"({"narrow": {)" + narrow + R"(}, "wide": {"1005": "JVM not started", "1010": "No main class",
                 "1011": "No main method", "1016": "No runtime: {0}")" + wide + R"(}, "files": )" + files + "}");
    }
    qpktest::RunResult launch(const std::vector<std::string>& args, const std::string& action,
                              const std::map<std::string, std::string>& env = {}) {
        qpktest::RunOptions o = javaOptions(action, env);
        o.args = args;
        if (!env.count("MANPATH")) o.unsetEnv.push_back("MANPATH");
        return runWith(o);
    }
    std::string recorded() const { return fileExists(record_) ? readFile(record_) : std::string(); }
    std::string value(const std::string& name) const { return outputValue(recorded(), name); }
    std::vector<std::string> vmArgs() const {
        std::vector<std::string> out;
        int n = atoi(value("vmargs").c_str());
        for (int i = 0; i < n; ++i) out.push_back(value("vmarg." + std::to_string(i)));
        return out;
    }
    std::vector<std::string> mainArgs() const {
        std::vector<std::string> out;
        int n = atoi(value("args").c_str());
        for (int i = 0; i < n; ++i) out.push_back(value("arg." + std::to_string(i)));
        return out;
    }
};

// Kind 'q': properties in their order, "-J" options and the locale options after them, the
// main arguments, the natives' report, and System.exit's code as the process's.
TEST_F(JavaLaunch, KindQHandsOverPropertiesArgumentsAndTheJavaExitCode) {
    packInstaller(R"("107": "1", "2001": "q", "122": "com.example.Main")",
                  R"(, "124": "extra1 'extra two'")");
    auto r = launch({"-q", "-J-Dqpktest.cmd=2", "-Dsun.locale.formatasdefault=no", "user arg"}, "exit:7");
    ASSERT_EQ(r.exitCode, 7u) << onlyLog();
    ASSERT_EQ(value("recorded"), "1") << r.stdoutText << r.stderrText;
    EXPECT_EQ(value("main"), "com.quillpack.runtime.launcher.WinLauncher");

    std::vector<std::string> vm = vmArgs();
    std::vector<std::string> names;
    for (const std::string& v : vm) names.push_back(v.substr(0, v.find('=')));
    const std::vector<std::string> expected = {
        "-Dcorvo.semaphoreName", "-Dcorvo.isQuillpack", "-Dcorvo.moduleName", "-Dcorvo.tempDir",
        "-Dcorvo.unextractedPosition", "-Djava.library.path", "-Dcorvo.consoleCodepage",
        "-Dsun.locale.formatasdefault", "-Duser.language", "-Duser.country"};
    ASSERT_GE(names.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + expected.size()), expected);
    EXPECT_EQ(value("prop.corvo.isQuillpack"), "true");
    // Without entry 125 a "-J" argument is no VM option but an argument of main.
    EXPECT_EQ(value("prop.qpktest.cmd"), "(missing)");
    EXPECT_EQ(value("prop.sun.java.command"), setup());
    EXPECT_EQ(value("prop.corvo.moduleName"), setup());
    std::string tempDir = value("prop.corvo.tempDir");
    EXPECT_EQ(value("prop.user.dir"), tempDir);
    EXPECT_EQ(value("prop.java.class.path"), tempDir + "\\qpkruntime.jar");
    EXPECT_NE(atoll(value("prop.corvo.unextractedPosition").c_str()), 0);

    const std::vector<std::string> args = {"true", "com.example.Main", "", "", "false", setup(), "extra1",
                                           "extra two", "-q", "-J-Dqpktest.cmd=2", "user arg"};
    EXPECT_EQ(mainArgs(), args);
    EXPECT_EQ(value("externalExecutable"), setup());
    // The binding stops at the first class with a missing export and tells the Java side.
    std::string log = onlyLog();
    std::string missing = firstMissingNative();
    if (missing.empty()) {
        EXPECT_EQ(value("initFromLauncher"), "true");
        EXPECT_FALSE(contains(log, "] ERROR: did not find")) << log;
    } else {
        EXPECT_EQ(value("initFromLauncher"), "true,false");
        EXPECT_TRUE(contains(log, "] ERROR: did not find " + missing + "\n") ||
                    contains(log, "] ERROR: did not find " + missing + "\r\n"))
            << missing << "\n" << log;
        EXPECT_TRUE(contains(log, "] ERROR: registering helper dll failed")) << log;
    }
    EXPECT_TRUE(contains(log, "] Quiet installer."));
}

// Every class bound: the Java side is told once, with true, and reaches one native of each
// class from its main method.
TEST_F(JavaLaunch, EveryNativeClassIsBoundAndCallableFromJava) {
    ASSERT_EQ(firstMissingNative(), "") << "the launcher does not export every registered native yet";
    packInstaller(R"("107": "1", "2001": "q")");
    auto r = launch({"-q"}, "natives,return");
    ASSERT_EQ(r.exitCode, 0u) << onlyLog();
    EXPECT_EQ(value("initFromLauncher"), "true");
    std::string log = onlyLog();
    EXPECT_FALSE(contains(log, "] ERROR: ")) << log;

    const std::pair<const char*, const char*> expected[] = {
        {"ACLHandling", "true"},
        {"FileVersion", "0"},
        {"FolderInfo", "C:\\windows"},
        {"Misc", "true"},
        {"ObjectPicker", "true"},  // null: no window to own it
        {"ShellLink", "true"},
        {"VistaFileChooser", "called"},
        {"VistaTaskDialog", "1000"},  // no button was pressed
        {"Win32CommunicationBackend", "true"},
        {"Win32Proxy", "true"},
        {"Registry", "true"},
        {"Win32Exec", "2"},         // a program that does not exist
        {"Win32Services", "1060"},  // a service that does not exist
    };
    for (const auto& e : expected) EXPECT_EQ(value(std::string("native.") + e.first), e.second) << e.first;
    EXPECT_EQ(value("native.Win32UserInfo").rfind("S-1-5-", 0), 0u) << value("native.Win32UserInfo");
}

// The binding's failure paths, each through an installer kit broken one way: a class that
// is not there, a Common without initFromLauncher, a class without the natives registered
// for it. The Java side hears of each outcome; classes bound before a failure stay bound.
TEST_F(JavaLaunch, BindingFailuresAreLoggedAndToldToTheJavaSide) {
    static const char* const kClasses[] = {
        "ACLHandling", "FileVersion", "FolderInfo", "Misc", "ObjectPicker", "ShellLink", "VistaFileChooser",
        "VistaTaskDialog", "Win32CommunicationBackend", "Win32Proxy", "Win32UserInfo", "Registry", "Win32Exec",
        "Win32Services"};
    const std::string package = "com/quillpack/runtime/installer/platform/win32/";
    const struct {
        const char* jar;
        const char* flags;
        std::string error;  // the binding's first "ERROR: " line
        bool registrationFailed;
        const char* classes;  // per class in registration order: b bound, u unbound, m missing
    } cases[] = {
        {"binding-no-registry", "true,false", "could not load class " + package + "Registry", true,
         "bbbbbbbbbbbmuu"},
        {"binding-no-init", "", "did not find initMethod", false, "uuuuuuuuuuuuuu"},
        {"binding-no-launch", "true,false", "register " + package + "Win32Exec failed -1", true, "bbbbbbbbbbbbmu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jar);
        clearLogs();
        packInstaller(R"("107": "1", "2001": "q")", "", runtimeJar(),
                      qpktest::toWindowsPath(std::string(QPK_BINDING_JARS) + "/" + c.jar + ".jar"));
        auto r = launch({"-q"}, "natives,return");
        std::string log = onlyLog();
        ASSERT_EQ(r.exitCode, 0u) << log;
        EXPECT_EQ(value("initFromLauncher"), c.flags);
        EXPECT_TRUE(contains(log, "] ERROR: " + c.error + "\n") || contains(log, "] ERROR: " + c.error + "\r\n"))
            << log;
        EXPECT_EQ(contains(log, "] ERROR: registering helper dll failed"), c.registrationFailed) << log;
        std::string classes;
        for (const char* cls : kClasses) {
            std::string result = value(std::string("native.") + cls);
            classes += result == "unbound" ? 'u' : result == "missing" ? 'm' : result == "(missing)" ? '?' : 'b';
        }
        EXPECT_EQ(classes, c.classes) << recorded();
    }
}

// Kind 'c': the other main class, no natives, configured paths resolved or kept, "-J"
// arguments withheld from main when asked, no code page property with MANPATH set.
TEST_F(JavaLaunch, KindCResolvesConfiguredPathsAndDropsVmArguments) {
    packInstaller(R"("107": "0", "2001": "c", "102": "1", "104": "1", "106": "1", "125": "1",
                     "122": "com.example.Main")",
                  R"(, "103": "sub\\data", "105": "$HOME\\x")");
    auto r = launch({"-J-Dqpktest.cmd=3", "-c"}, "return", {{"MANPATH", ""}});
    ASSERT_EQ(r.exitCode, 0u) << onlyLog();
    EXPECT_EQ(value("main"), "com.corvo.runtime.WinLauncher");
    const std::vector<std::string> args = {"false", "com.example.Main", dir() + "\\sub\\data", "$HOME\\x",
                                           "true", setup(), "-c"};
    EXPECT_EQ(mainArgs(), args);
    EXPECT_EQ(value("prop.qpktest.cmd"), "3");
    EXPECT_EQ(value("prop.corvo.consoleCodepage"), "(missing)");
    EXPECT_EQ(value("prop.corvo.isQuillpack"), "(missing)");
    EXPECT_EQ(value("initFromLauncher"), "");
    EXPECT_TRUE(contains(onlyLog(), "] dest JVM"));
}

// A main method that returns leaves the JVM to its other threads, then the launcher ends
// with 0; an escaping exception is logged, described and ends with message 1005.
TEST_F(JavaLaunch, ReturnWaitsForJavaThreadsAndAnExceptionEndsWith1005) {
    packInstaller(R"("107": "1", "2001": "q")");
    auto r = launch({"-q"}, "thread:1500,return");
    EXPECT_EQ(r.exitCode, 0u);
    std::string rec = recorded();
    EXPECT_TRUE(contains(rec, "step=return\nthread=done")) << rec;
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] dest JVM")) << log;
    EXPECT_TRUE(contains(log, "] launch done")) << log;
    clearLogs();

    r = launch({"-q"}, "throw");
    EXPECT_EQ(r.exitCode, 1u);
    log = onlyLog();
    EXPECT_TRUE(contains(log, "] ERROR: an exception occurred")) << log;
    EXPECT_TRUE(contains(log, "] ERROR: java.lang.IllegalStateException: stand-in failure")) << log;
    EXPECT_TRUE(contains(log, "] ERROR: Could not start JVM")) << log;
    EXPECT_TRUE(contains(r.stderrText, "\tat com.quillpack.")) << r.stderrText;
    EXPECT_TRUE(contains(r.stderrText, "JVM not started")) << r.stderrText;
}

// A splash hand-off that throws is logged and cleared; the natives and main still run.
TEST_F(JavaLaunch, ThrowingSplashHandOffIsLoggedAndCleared) {
    packInstaller(R"("107": "1", "2001": "q", "108": "1")");
    auto r = launch({"-q"}, "return", {{"QPK_SPLASH_THROW", "1"}});
    std::string log = onlyLog();
    EXPECT_EQ(r.exitCode, 0u) << log;
    EXPECT_EQ(value("recorded"), "1");
    EXPECT_TRUE(contains(log, "] ERROR: java.lang.IllegalStateException: splash stand-in failure")) << log;
    EXPECT_TRUE(contains(log, "] launch done")) << log;
}

TEST_F(JavaLaunch, MissingMainClassOrMethodEndsWith1010Or1011) {
    packInstaller(R"("107": "1", "2001": "q")", "", "");
    auto r = launch({"-q"}, "return");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.stderrText, "No main class")) << r.stderrText;
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: could not find main class"));
    EXPECT_FALSE(fileExists(record_));

    clearLogs();
    packInstaller(R"("107": "1", "2001": "q")", "", qpktest::toWindowsPath(QPK_NOMAIN_JAR));
    r = launch({"-q"}, "return");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.stderrText, "No main method")) << r.stderrText;
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] ERROR: could not find main method")) << log;
    EXPECT_FALSE(contains(log, "could not find main class")) << log;
}

// A quiet run that may not download ends with 83 when no runtime may be searched for, and
// takes its extracted payload with it.
TEST_F(JavaLaunch, QuietRunWithoutRuntimeAbortsWith83) {
    packInstaller(R"("107": "1", "2001": "q", "157": "0")");
    auto r = launch({"-q", "-manual"}, "return");
    EXPECT_EQ(r.exitCode, 83u);
    EXPECT_EQ(r.stdoutText, "No JRE found. Aborting.\n");
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: No JRE found"));
    EXPECT_FALSE(fileExists(record_));
    EXPECT_TRUE(leftInTmp().empty()) << "the setup left " << leftInTmp()[0];
}

// A language restart in a filled directory extracts nothing and says so with -1; with the
// files missing it extracts again like a first start.
TEST_F(JavaLaunch, LanguageRestartUsesTheFilledDirectoryOrExtractsAgain) {
    packInstaller(R"("107": "1", "2001": "q")");
    std::string filled = dir() + "\\filled";
    makeDirectory(filled);
    writeFile(filled + "\\qpkruntime.jar", readFile(runtimeJar()));
    makeDirectory(filled + "\\kit");
    writeFile(filled + "\\kit\\quillpack-installer-kit.jar", readFile(qpktest::toWindowsPath(QPK_KIT_JAR)));
    writeFile(filled + "\\qpkparams.conf", "x\n");
    qpktest::RunOptions o = options({{"QPK_JAVA_RECORD", record_}});
    o.argText = "__qpk_lang_restart";
    o.workingDir = filled;
    o.timeoutMs = 90000;
    auto r = runWith(o);
    ASSERT_EQ(r.exitCode, 0u);
    EXPECT_EQ(value("prop.corvo.unextractedPosition"), "-1");
    EXPECT_EQ(value("prop.corvo.tempDir"), filled);
    EXPECT_EQ(value("prop.corvo.semaphoreName"), "(missing)");

    std::string empty = dir() + "\\empty";
    makeDirectory(empty);
    o.workingDir = empty;
    r = runWith(o);
    ASSERT_EQ(r.exitCode, 0u);
    EXPECT_NE(value("prop.corvo.tempDir"), empty);
    EXPECT_NE(value("prop.corvo.unextractedPosition"), "-1");
}

// Extract-and-exit fills "<setup>.test" and records where the unextracted data begins: with
// no trailer, at the end of the file.
TEST_F(JavaLaunch, ExtractAndExitWritesTheUnextractedPosition) {
    packInstaller(R"("107": "1", "2001": "q")");
    // The runtime is chosen before the files are left behind, so one must be found.
    qpktest::RunOptions o = options({{"QPK_JAVA_RECORD", record_}});
    o.argText = "__qpk_extract_and_exit";
    auto r = runWith(o);
    ASSERT_EQ(r.exitCode, 0u);
    std::string target = setup() + ".test";
    EXPECT_TRUE(readFile(target + "\\qpkruntime.jar") == readFile(runtimeJar()));
    EXPECT_EQ(readFile(target + "\\unextracted.txt"), std::to_string(readFile(setup()).size()));
    EXPECT_FALSE(fileExists(record_));
}
