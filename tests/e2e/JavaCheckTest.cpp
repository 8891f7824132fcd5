// The java.exe check and the registry records of runtimes, through the JRE probe (a packed
// program that runs one check per start) and the java.exe stand-in, whose standin.txt
// says what its "-version" run prints and whose commands.log shows every run. Runtime
// homes live in each test's scratch directory; the registry keys named after them are
// deleted when the test ends, since the registry is shared by all tests of the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>

#include "BuildPaths.h"
#include "SetupFixture.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

const char kCacheKey[] = "SOFTWARE\\larchmont-works\\corvo\\jvms";
const char kLocatedKey[] = "SOFTWARE\\larchmont-works\\corvo\\locatedjvms";
const char kJava8Line[] = "line=java version \"1.8.0_291\"\n";

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

std::string keyName(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// The form the launcher keys its records by.
std::string normalised(const std::string& path) {
    char buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return lowerAscii(n > 0 && n < sizeof buffer ? std::string(buffer, n) : path);
}

FILETIME lastWriteTime(const std::string& path) {
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    EXPECT_NE(find, INVALID_HANDLE_VALUE) << path;
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return data.ftLastWriteTime;
}

struct Cached {
    bool present = false;
    std::string lastWrite;  // raw bytes
    std::string version;    // as stored, a NUL included
};

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::string bytesOf(const FILETIME& ft) { return std::string(reinterpret_cast<const char*>(&ft), sizeof ft); }

// Stores exactly `bytes`. The registry (Windows and Wine alike) counts a string's NUL in
// when the caller left it out but it follows the data, so a guard byte follows instead.
void setValue(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    std::string guarded = bytes + 'X';
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(guarded.data()), DWORD(bytes.size())),
              ERROR_SUCCESS);
}

// A stored string as the launcher writes it: its length is passed, and since its NUL
// follows the data the registry stores that too.
std::string stored(const char* text) { return std::string(text) + '\0'; }

// The stored data as it is. A read into a larger buffer would not tell: a NUL is added
// behind a string stored without one when there is room. Wide units come back as bytes
// (the texts here are ASCII).
std::string queryValue(HKEY key, const wchar_t* name) {
    DWORD size = 0, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "(absent)";
    std::string buffer(size, '\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS)
        return "(unreadable)";
    buffer.resize(size);
    if (type != REG_SZ) return buffer;
    std::string text;
    for (DWORD i = 0; i + 1 < size; i += 2) text += buffer[i];
    return text;
}

// Deletes the subkeys of `parent` whose names start with `prefix`.
void deleteSubkeys(HKEY hive, const char* parent, const std::string& prefix) {
    HKEY key;
    if (RegOpenKeyExA(hive, parent, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> doomed;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (lowerAscii(name).rfind(prefix, 0) == 0) doomed.push_back(name);
    }
    for (const std::string& n : doomed) RegDeleteKeyA(key, n.c_str());
    RegCloseKey(key);
}

struct ProbeResult {
    bool result = false;
    std::string path, version, log;
};

class JavaCheck : public SetupTest {
protected:
    void TearDown() override {
        std::string prefix = keyName(lowerAscii(dir()));
        deleteSubkeys(HKEY_CURRENT_USER, kCacheKey, prefix);
        deleteSubkeys(HKEY_CURRENT_USER, kLocatedKey, prefix);
        deleteSubkeys(HKEY_LOCAL_MACHINE, kLocatedKey, prefix);
        SetupTest::TearDown();
    }

    // Packs the probe with the bounds and further narrow entries (JSON members).
    void packProbe(const std::string& min = "", const std::string& max = "", const std::string& extra = "") {
        pack(R"({"narrow": {"107": "0", "2001": "q", "126": )" + jsonText(min) + R"(, "127": )" + jsonText(max) +
                 extra + R"(}, "files": []})",
             qpktest::helperPath("jre_probe"));
    }

    // A runtime home below the scratch directory with the stand-in as bin\java.exe (and
    // bin\javaw.exe when asked); returns the java.exe path.
    std::string makeRuntime(const std::string& home, const std::string& script, bool withJavaw = false) {
        std::string path = dir();
        std::string rest = home + "\\bin";
        size_t at = 0;
        while (at <= rest.size()) {
            size_t end = rest.find('\\', at);
            if (end == std::string::npos) end = rest.size();
            path += "\\" + rest.substr(at, end - at);
            makeDirectory(path);
            at = end + 1;
        }
        copy(QPK_STANDIN_JAVA, path + "\\java.exe");
        if (withJavaw) copy(QPK_STANDIN_JAVAW, path + "\\javaw.exe");
        setScript(path + "\\java.exe", script);
        return path + "\\java.exe";
    }

    static void copy(const char* unixSource, const std::string& target) {
        ASSERT_TRUE(CopyFileW(qpktest::widen(qpktest::toWindowsPath(unixSource)).c_str(),
                              qpktest::widen(target).c_str(), FALSE))
            << target;
    }

    static std::string besideExe(const std::string& javaExe, const char* name) {
        return javaExe.substr(0, javaExe.find_last_of('\\') + 1) + name;
    }
    static void setScript(const std::string& javaExe, const std::string& script) {
        writeFile(besideExe(javaExe, "standin.txt"), script);
    }
    static std::vector<std::string> commands(const std::string& javaExe) {
        std::vector<std::string> out;
        std::istringstream in(readFile(besideExe(javaExe, "commands.log")));
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("command=", 0) == 0) out.push_back(line.substr(8));
        return out;
    }
    static std::string startupLine(const std::string& javaExe) {
        return outputValue(readFile(besideExe(javaExe, "commands.log")), "startup");
    }

    ProbeResult probe(const std::vector<std::string>& args, DWORD timeoutMs = 30000,
                      std::map<std::string, std::string> env = {}) {
        clearLogs();
        env["CORVO_LOG"] = "yes";
        qpktest::RunOptions o = options(env);
        o.args = args;
        o.timeoutMs = timeoutMs;
        o.workingDir = tmp();  // so that a relative path cannot come from the working directory
        qpktest::RunResult r = qpktest::runProgram(o);
        EXPECT_TRUE(r.started) << r.error;
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u) << r.stderrText;
        ProbeResult p;
        p.result = outputValue(r.stdoutText, "result") == "1";
        p.path = outputValue(r.stdoutText, "path");
        p.version = outputValue(r.stdoutText, "version");
        p.log = onlyLog();
        return p;
    }
    ProbeResult check(const std::string& javaExe, bool allowPreRelease = false, bool useCache = true) {
        return probe({"check", javaExe, allowPreRelease ? "1" : "0", useCache ? "1" : "0"});
    }

    // A new script and an earlier last-write time, as if the runtime had been replaced.
    static FILETIME changeRuntime(const std::string& javaExe, const std::string& script) {
        setScript(javaExe, script);
        FILETIME older = lastWriteTime(javaExe);
        older.dwHighDateTime -= 1000;  // about five days
        HANDLE file = CreateFileA(javaExe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << javaExe;
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &older));
        CloseHandle(file);
        return older;
    }

    static Cached cached(const std::string& javaExe) {
        Cached c;
        HKEY key;
        std::string path = std::string(kCacheKey) + "\\" + keyName(normalised(javaExe));
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return c;
        c.present = true;
        c.lastWrite = queryValue(key, L"LastWriteTime");
        c.version = queryValue(key, L"Version");
        RegCloseKey(key);
        return c;
    }
    // Writes the cache entry the way another program might, with or without a NUL.
    static void writeCache(const std::string& javaExe, const std::string& lastWrite, const std::string& version) {
        HKEY key;
        std::string path = std::string(kCacheKey) + "\\" + keyName(normalised(javaExe));
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        setValue(key, "LastWriteTime", REG_BINARY, lastWrite);
        setValue(key, "Version", REG_SZ, version);
        RegCloseKey(key);
    }
    static void locate(HKEY hive, const std::string& javaExe) {
        HKEY key;
        std::string path = std::string(kLocatedKey) + "\\" + keyName(normalised(javaExe));
        ASSERT_EQ(RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static bool isLocated(HKEY hive, const std::string& javaExe) {
        HKEY key;
        std::string path = std::string(kLocatedKey) + "\\" + keyName(normalised(javaExe));
        if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
};

}  // namespace

TEST_F(JavaCheck, RunsTheShortPathHiddenWithStandardErrorInATemporaryFile) {
    packProbe("1.8");
    std::string java = makeRuntime("Long Runtime Home", kJava8Line);
    ProbeResult p = check(java);
    EXPECT_TRUE(p.result) << p.log;
    EXPECT_EQ(p.version, "1.8.0_291");
    EXPECT_EQ(p.path, normalised(java));

    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(p.path.c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    ASSERT_NE(std::string(shortPath), p.path) << "the test needs a path whose short form differs";
    EXPECT_EQ(commands(java), (std::vector<std::string>{"\"" + std::string(shortPath) + "\" -version"}));
    // STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES, SW_HIDE.
    EXPECT_EQ(startupLine(java), "flags:101 show:0");
    EXPECT_TRUE(contains(p.log, "] checkJavaExe (" + java + ", [out], 2, 0, 0)\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] Exit Code 0\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] Java version: 1.8.0_291\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] got version from execution 1.8.0_291\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] checkJavaExe returning 1\n")) << p.log;
    EXPECT_EQ(leftInTmp(), std::vector<std::string>{});
}

TEST_F(JavaCheck, VersionLineIsTheFirstWithAKnownPrefix) {
    packProbe();
    std::string java = makeRuntime("rt", "");
    struct Case {
        std::string script;
        bool accepted;
        std::string version;
    };
    const std::string longVersion = "1.8.0_" + std::string(100, '7');
    const Case cases[] = {
        {kJava8Line, true, "1.8.0_291"},
        // Release builds: the date behind the closing quote is not part of the version.
        {"line=openjdk version \"11.0.2\" 2019-01-15\nline=OpenJDK Runtime Environment\n", true, "11.0.2"},
        {"line=openjdk version \"17\" 2021-09-14\n", true, "17"},
        {"text=java version \"1.8.0_291\"", true, "1.8.0_291"},
        // Without a closing quote: the rest of the line less two characters, whatever they are.
        {"line=java version \"1.8.0_291\n", true, "1.8.0_29"},
        {"line=openjdk version \"1\n", true, ""},
        {"text=java version \"1", false, ""},
        // Only 99 characters of the line are read.
        {"line=java version \"" + longVersion + "\"\n", true, longVersion.substr(0, 99 - 14 - 2)},
        // Notices and warnings before the version line are skipped, up to ten lines in all.
        {"line=OpenJDK 64-Bit Server VM warning: Attempt to get process group affinity failed\n" +
             std::string(kJava8Line),
         true, "1.8.0_291"},
        {"line=Picked up JAVA_TOOL_OPTIONS: -Dx=\"1\"\nline=Picked up _JAVA_OPTIONS: -Xmx64m\n" +
             std::string(kJava8Line),
         true, "1.8.0_291"},
        {repeated("line=" + std::string(150, 'w') + "\n", 9) + kJava8Line, true, "1.8.0_291"},
        {repeated("line=warning\n", 10) + kJava8Line, false, ""},
        {"line=Java version \"1.8.0_291\"\n", false, ""},
        {"line=java  version \"1.8.0_291\"\n", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        setScript(java, c.script);
        ProbeResult p = check(java, false, false);
        EXPECT_EQ(p.result, c.accepted) << c.script << "\n" << p.log;
        EXPECT_EQ(p.version, c.version) << c.script;
        EXPECT_EQ(contains(p.log, "] couldn't get version\n"), !c.accepted) << c.script << "\n" << p.log;
        EXPECT_EQ(leftInTmp(), std::vector<std::string>{}) << c.script;
    }
}

TEST_F(JavaCheck, VersionRangeAndPreReleaseRuleApplyToTheReportedVersion) {
    packProbe("1.8.0_100", "1.8");
    std::string java = makeRuntime("rt", "line=java version \"1.8.0_99\"\n");
    ProbeResult p = check(java, false, false);
    EXPECT_FALSE(p.result);
    EXPECT_EQ(p.version, "1.8.0_99") << "the examined version is handed back also when rejected";
    EXPECT_TRUE(contains(p.log, "] checkJavaExe returning 0\n")) << p.log;

    setScript(java, "line=java version \"1.8.0_400-ea\"\n");
    p = check(java, false, false);
    EXPECT_FALSE(p.result);
    EXPECT_TRUE(contains(p.log, "] beta vm not allowed\n")) << p.log;
    EXPECT_TRUE(check(java, true, false).result);

    packProbe("1.8.0_100", "1.8", R"(, "130": "1")");
    EXPECT_TRUE(check(java, false, false).result);
}

TEST_F(JavaCheck, NonZeroExitIsCachedAsFailedAndNeverTrusted) {
    packProbe();
    std::string java = makeRuntime("rt", std::string(kJava8Line) + "exit=3\n");
    ProbeResult p = check(java);
    EXPECT_FALSE(p.result);
    EXPECT_EQ(p.version, "");
    EXPECT_TRUE(contains(p.log, "] Exit Code 3\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] couldn't get version\n")) << p.log;
    Cached c = cached(java);
    ASSERT_TRUE(c.present);
    EXPECT_EQ(c.version, stored("1.0.0"));
    EXPECT_EQ(c.lastWrite, bytesOf(lastWriteTime(java)));

    p = check(java);
    EXPECT_FALSE(p.result);
    EXPECT_EQ(commands(java).size(), 2u) << "the marker sends the check back to the runtime";
    EXPECT_FALSE(contains(p.log, "got version from registry")) << p.log;

    setScript(java, kJava8Line);
    p = check(java);
    EXPECT_TRUE(p.result) << p.log;
    EXPECT_EQ(cached(java).version, stored("1.8.0_291"));
}

TEST_F(JavaCheck, CachedVersionIsUsedWithoutRunningAndStillChecked) {
    packProbe();
    std::string java = makeRuntime("rt", kJava8Line);
    EXPECT_TRUE(check(java).result);
    Cached c = cached(java);
    ASSERT_TRUE(c.present);
    EXPECT_EQ(c.lastWrite, bytesOf(lastWriteTime(java)));
    EXPECT_EQ(c.version, stored("1.8.0_291"));

    ProbeResult p = check(java);
    EXPECT_TRUE(p.result);
    EXPECT_EQ(p.version, "1.8.0_291");
    EXPECT_TRUE(contains(p.log, "] got version from registry 1.8.0_291\n")) << p.log;
    EXPECT_EQ(commands(java).size(), 1u);

    packProbe("9");
    p = check(java);
    EXPECT_FALSE(p.result);
    EXPECT_TRUE(contains(p.log, "] got version from registry 1.8.0_291\n")) << p.log;
    EXPECT_EQ(commands(java).size(), 1u);

    // Without the cache the runtime runs, and what it says is stored anyway.
    setScript(java, "line=java version \"1.8.0_300\"\n");
    p = check(java, false, false);
    EXPECT_EQ(commands(java).size(), 2u);
    EXPECT_EQ(cached(java).version, stored("1.8.0_300"));
}

TEST_F(JavaCheck, ChangedLastWriteTimeMakesTheCacheStale) {
    packProbe();
    std::string java = makeRuntime("rt", kJava8Line);
    EXPECT_TRUE(check(java).result);

    FILETIME older = changeRuntime(java, "line=java version \"1.8.0_300\"\n");

    ProbeResult p = check(java);
    EXPECT_TRUE(p.result);
    EXPECT_EQ(p.version, "1.8.0_300");
    EXPECT_EQ(commands(java).size(), 2u);
    Cached c = cached(java);
    EXPECT_EQ(c.lastWrite, bytesOf(older));
    EXPECT_EQ(c.version, stored("1.8.0_300"));
}

TEST_F(JavaCheck, CacheValuesOfOtherProgramsAndObsoleteTexts) {
    packProbe();
    std::string java = makeRuntime("rt", kJava8Line);
    std::string time = bytesOf(lastWriteTime(java));

    writeCache(java, time, std::string("1.8.0_45\0", 9));
    ProbeResult p = check(java);
    EXPECT_TRUE(p.result);
    EXPECT_EQ(p.version, "1.8.0_45");
    EXPECT_TRUE(commands(java).empty());

    size_t runs = 0;
    for (const char* obsolete : {"1.7.", "1.6.", "1.5.", "1.0.0"}) {
        writeCache(java, time, obsolete);
        p = check(java);
        EXPECT_EQ(commands(java).size(), ++runs) << obsolete;
        EXPECT_EQ(p.version, "1.8.0_291") << obsolete;
    }
    // Only those texts exactly; "1.7.0" is a version like any other.
    writeCache(java, time, "1.7.0");
    p = check(java);
    EXPECT_EQ(p.version, "1.7.0");
    EXPECT_EQ(commands(java).size(), runs);

    // The time must be exactly the 8 bytes of the file's.
    writeCache(java, time + '\0', "1.7.0");
    p = check(java);
    EXPECT_EQ(p.version, "1.8.0_291");
    EXPECT_EQ(commands(java).size(), ++runs);
}

TEST_F(JavaCheck, CachedVersionMustFitTheCallersBuffer) {
    packProbe();
    std::string java = normalised(makeRuntime("rt", kJava8Line));
    std::string time = bytesOf(lastWriteTime(java));
    auto lookup = [&](size_t capacity) { return probe({"lookup", java, std::to_string(capacity)}); };

    writeCache(java, time, std::string(1999, '7'));
    ProbeResult p = lookup(2000);
    EXPECT_TRUE(p.result);
    EXPECT_EQ(p.version.size(), 1999u);
    writeCache(java, time, std::string(1999, '7') + '\0');
    EXPECT_EQ(lookup(2000).version.size(), 1999u);
    writeCache(java, time, std::string(2000, '7'));
    EXPECT_FALSE(lookup(2000).result);
    EXPECT_EQ(lookup(6000).version.size(), 2000u);
    writeCache(java, time, "");
    p = lookup(2000);
    EXPECT_TRUE(p.result);
    EXPECT_EQ(p.version, "");
}

TEST_F(JavaCheck, WindowedApplicationGetsJavawBesideTheAcceptedJavaExe) {
    packProbe("", "", R"(, "107": "1")");
    std::string withJavaw = makeRuntime("with", kJava8Line, true);
    ProbeResult p = check(withJavaw);
    EXPECT_TRUE(p.result) << p.log;
    EXPECT_EQ(p.path, normalised(withJavaw.substr(0, withJavaw.size() - 4) + "w.exe"));

    std::string without = makeRuntime("without", kJava8Line);
    p = check(without);
    EXPECT_FALSE(p.result);
    EXPECT_EQ(p.path, normalised(without.substr(0, without.size() - 4) + "w.exe"));
    EXPECT_EQ(p.version, "1.8.0_291");

    // A rejected runtime keeps its java.exe path.
    packProbe("9", "", R"(, "107": "1")");
    p = check(withJavaw);
    EXPECT_FALSE(p.result);
    EXPECT_EQ(p.path, normalised(withJavaw));
}

TEST_F(JavaCheck, RelativePathIsResolvedAgainstTheProgramDirectoryAndLowered) {
    packProbe();
    std::string java = makeRuntime("Rt\\Bin", kJava8Line);
    ProbeResult p = check("Rt\\\\Bin\\bin\\JAVA.exe");
    EXPECT_TRUE(p.result) << p.log;
    EXPECT_EQ(p.path, lowerAscii(dir()) + "\\rt\\bin\\bin\\java.exe");
    EXPECT_TRUE(cached(java).present) << "cached under the normalised path";

    p = check("Rt\\missing.exe");
    EXPECT_FALSE(p.result);
    EXPECT_EQ(p.path, lowerAscii(dir()) + "\\rt\\missing.exe");
    EXPECT_TRUE(contains(p.log, "] file doesn't exist\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] checkJavaExe returning 0\n")) << p.log;
}

TEST_F(JavaCheck, LocatedRuntimeIsRecordedUnderTheMachine) {
    packProbe();
    std::string java = makeRuntime("qpk_jres\\a", kJava8Line);
    probe({"record", normalised(java)});
    EXPECT_TRUE(isLocated(HKEY_LOCAL_MACHINE, java));
    EXPECT_FALSE(isLocated(HKEY_CURRENT_USER, java));
}

// Other tests may have located runtimes of their own meanwhile; the bounds admit only
// the versions used here.
TEST_F(JavaCheck, NewestLocatedRuntimeOfUserAndMachine) {
    packProbe("77.3", "77.3.9");
    std::string user = makeRuntime("qpk_jres\\user", "line=java version \"77.3.5\"\n");
    std::string userOld = makeRuntime("qpk_jres\\user-old", "line=java version \"77.3.2\"\n");
    std::string tooNew = makeRuntime("qpk_jres\\too-new", "line=java version \"78\"\n");
    std::string machine = makeRuntime("qpk_jres\\machine", "line=java version \"77.3.4\"\n");
    locate(HKEY_CURRENT_USER, userOld);
    locate(HKEY_CURRENT_USER, user);
    locate(HKEY_CURRENT_USER, tooNew);
    locate(HKEY_LOCAL_MACHINE, machine);

    ProbeResult p = probe({"located", "0"});
    EXPECT_TRUE(p.result) << p.log;
    EXPECT_EQ(p.path, normalised(user));
    EXPECT_EQ(p.version, "77.3.5");
    EXPECT_EQ(commands(tooNew).size(), 1u) << "checked like the others, and rejected";

    // Equal versions: the machine's.
    changeRuntime(user, "line=java version \"77.3.4\"\n");
    p = probe({"located", "0"});
    EXPECT_EQ(p.path, normalised(machine));
    EXPECT_EQ(p.version, "77.3.4");

    changeRuntime(machine, "line=java version \"77.3.6\"\n");
    p = probe({"located", "0"});
    EXPECT_EQ(p.path, normalised(machine));
    EXPECT_EQ(p.version, "77.3.6");
}

TEST_F(JavaCheck, LocatedRuntimesOutsideQpkJresNeedAcceptAll) {
    packProbe("77.3", "77.3.9");
    std::string inside = makeRuntime("qpk_jres\\old", "line=java version \"77.3.2\"\n");
    std::string outside = makeRuntime("elsewhere\\new", "line=java version \"77.3.8\"\n");
    locate(HKEY_CURRENT_USER, inside);
    locate(HKEY_CURRENT_USER, outside);

    ProbeResult p = probe({"located", "0"});
    EXPECT_EQ(p.path, normalised(inside));
    EXPECT_TRUE(commands(outside).empty()) << "not even checked";

    p = probe({"located", "1"});
    EXPECT_EQ(p.path, normalised(outside));
    EXPECT_EQ(p.version, "77.3.8");

    // A located runtime that is gone is passed over.
    DeleteFileA(outside.c_str());
    p = probe({"located", "1"});
    EXPECT_EQ(p.path, normalised(inside));
    packProbe("77.3.3", "77.3.9");
    p = probe({"located", "1"});
    EXPECT_FALSE(p.result);
}

// Slow: the check waits its full 60 seconds for a runtime that does not end. Labelled
// "slow" in CMakeLists.txt.
TEST_F(JavaCheck, SlowHungRuntimeIsEndedAfterSixtySeconds) {
    packProbe();
    std::string java = makeRuntime("rt", std::string(kJava8Line) + "hang\n");
    auto start = std::chrono::steady_clock::now();
    ProbeResult p = probe({"check", java, "0", "1"}, 120000);
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(seconds.count(), 59);
    EXPECT_FALSE(p.result);
    EXPECT_TRUE(contains(p.log, "] Exit Code 259\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] Terminating process\n")) << p.log;
    EXPECT_TRUE(contains(p.log, "] couldn't get version\n")) << p.log;
    EXPECT_FALSE(cached(java).present) << "a hung runtime leaves the cache alone";
    EXPECT_EQ(leftInTmp(), std::vector<std::string>{});
}

// One informative case with the real runtimes scripts/setup fetches, as this Wine runs
// them: HotSpot 21 prints warnings about a call Wine lacks before its version line, which
// the check skips.
TEST_F(JavaCheck, RealRuntimesAsThisWineRunsThem) {
    struct Real {
        const char* unixHome;
        bool accepted;
        const char* version;
    };
    const Real reals[] = {{QPK_JDK11_HOME, true, "11.0.13"}, {QPK_JDK21_HOME, true, "21.0.8"}};
    packProbe();
    int tried = 0;
    for (const Real& real : reals) {
        std::string java = qpktest::toWindowsPath(real.unixHome) + "\\bin\\java.exe";
        if (!fileExists(java)) continue;
        ++tried;
        ProbeResult p = check(java, false, false);
        Cached byExecution = cached(java);
        deleteSubkeys(HKEY_CURRENT_USER, kCacheKey, keyName(normalised(java)));
        EXPECT_EQ(p.result, real.accepted) << p.log;
        EXPECT_EQ(p.version, real.version) << p.log;
        EXPECT_TRUE(contains(p.log, "] got version from execution ")) << p.log;

        // A first check that may use the cache takes the version from the runtime's files
        // instead of starting it, with the same outcome, and caches it the same way.
        ProbeResult fromFiles = check(java);
        Cached byFiles = cached(java);
        deleteSubkeys(HKEY_CURRENT_USER, kCacheKey, keyName(normalised(java)));
        EXPECT_EQ(fromFiles.result, p.result) << fromFiles.log;
        EXPECT_EQ(fromFiles.version, p.version);
        EXPECT_EQ(fromFiles.path, p.path);
        EXPECT_TRUE(contains(fromFiles.log, "] got version from release file " + p.version + "\n")) << fromFiles.log;
        EXPECT_FALSE(contains(fromFiles.log, "Exit Code")) << fromFiles.log;
        EXPECT_TRUE(byFiles.present && byExecution.present);
        EXPECT_EQ(byFiles.version, byExecution.version);
        EXPECT_EQ(byFiles.lastWrite, byExecution.lastWrite);
    }
    if (tried == 0) GTEST_SKIP() << "no real runtime in the cache";
}

// The runtime's files stand in for running it only where they say for sure what it would
// print. The homes hold a copy of a real java.exe (whose version resource has the full
// version 11.0.13+8) that cannot start on its own, so whatever is left to running it is
// rejected; the stand-in has no version resource and prints what its script says.
TEST_F(JavaCheck, RuntimeFilesAreTakenOnlyWhereTheyStateTheVersion) {
    std::string realJava = std::string(QPK_JDK11_HOME) + "/bin/java.exe";
    if (!fileExists(qpktest::toWindowsPath(realJava))) GTEST_SKIP() << "no real Java 11 runtime in the cache";
    packProbe("9");
    struct Case {
        const char* name;
        const char* release;  // nullptr: none
        bool jvmLibrary;
        bool useCache;
        std::map<std::string, std::string> env;
        const char* version;  // nullptr: rejected
    };
    const Case cases[] = {
        {"agree", "JAVA_VERSION=\"11.0.13\"\n", true, true, {}, "11.0.13"},
        {"disagree", "JAVA_VERSION=\"11.0.12\"\n", true, true, {}, nullptr},
        {"norelease", nullptr, true, true, {}, nullptr},
        {"nojvm", "JAVA_VERSION=\"11.0.13\"\n", false, true, {}, nullptr},
        {"nocache", "JAVA_VERSION=\"11.0.13\"\n", true, false, {}, nullptr},
        {"tooloptions", "JAVA_VERSION=\"11.0.13\"\n", true, true, {{"JAVA_TOOL_OPTIONS", "-Xmx64m"}}, nullptr},
    };
    for (const Case& c : cases) {
        std::string java = makeRuntime(c.name, "");
        copy(realJava.c_str(), java);
        if (c.release) writeFile(dir() + "\\" + c.name + "\\release", c.release);
        if (c.jvmLibrary) {
            makeDirectory(dir() + "\\" + c.name + "\\bin\\server");
            writeFile(dir() + "\\" + c.name + "\\bin\\server\\jvm.dll", "");
        }
        ProbeResult p = probe({"check", java, "0", c.useCache ? "1" : "0"}, 30000, c.env);
        EXPECT_EQ(p.result, c.version != nullptr) << c.name << "\n" << p.log;
        if (c.version) EXPECT_EQ(cached(java).version, stored(c.version)) << c.name;
    }

    std::string standIn = makeRuntime("standin", "line=openjdk version \"11.0.13-ea\"\n");
    writeFile(dir() + "\\standin\\release", "JAVA_VERSION=\"11.0.13\"\n");
    makeDirectory(dir() + "\\standin\\bin\\server");
    writeFile(dir() + "\\standin\\bin\\server\\jvm.dll", "");
    ProbeResult p = check(standIn, true);
    EXPECT_EQ(p.version, "11.0.13-ea") << p.log;
    EXPECT_EQ(commands(standIn).size(), 1u);
}
