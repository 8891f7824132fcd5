// Setups that carry a runtime as "jre.tar.gz": the real Windows Java 11 runtime unpacked
// and started under Wine, the fall-back to an installed runtime, corrupt and unsafe
// archives, and the language restart on an unpacked runtime.
#include <windows.h>
#include <zlib.h>

#include <map>

#include "JavaInstallerFixture.h"
#include "Packer.h"
#include "TarBytes.h"
#include "Utf8.h"

using namespace qpke2e;
using qpktest::kTarEnd;
using qpktest::tarEntry;

namespace {

void writeGzip(const std::string& path, const std::string& bytes) {
    gzFile out = gzopen(path.c_str(), "wb");
    gzwrite(out, bytes.data(), unsigned(bytes.size()));
    gzclose(out);
}

// Java reports its home with the letters as the file system has them, not as given.
std::string lower(std::string s) {
    CharLowerBuffA(&s[0], DWORD(s.size()));
    return s;
}

// The files below `root` by their path relative to it, with their bytes.
void listTree(const std::string& root, const std::string& relative, std::map<std::string, std::string>& files) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(qpktest::widen(root + relative + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = qpktest::narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listTree(root, relative + "\\" + name, files);
        else
            files[relative + "\\" + name] = readFile(root + relative + "\\" + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

const char kCorrupted[] = "The bundled JRE is corrupted. If you downloaded the setup file please download it again.";

}  // namespace

class IncludedRuntime : public JavaInstallerTest {
protected:
    // One setup with the 35 MB Java 11 archive, packed once per run of this program.
    static void SetUpTestSuite() {
        shared_ = new qpktest::ScratchDir("qpk-e2e-bundled");
        shared_->writeFile("qpkparams.conf", "param=1\n");
        std::string error;
        int rc = qpkpack::buildFromJson(qpktest::launcherPath(), manifest(qpktest::toWindowsPath(QPK_JDK11_ARCHIVE)),
                                        shared_->path(), shared_->path("setup.exe"), error);
        ASSERT_EQ(rc, qpkpack::kOk) << error;
    }
    static void TearDownTestSuite() {
        delete shared_;
        shared_ = nullptr;
    }
    static std::string manifest(const std::string& runtime, const std::string& narrow = std::string()) {
        return R"({"narrow": {"107": "1", "2001": "q")" + narrow +
               R"(}, "wide": {"1000": "Test Setup"}, "files": )" + installerFiles() +
               R"(, "runtime": )" + jsonText(runtime) + "}";
    }
    // A run of the shared setup (or of `program`) with no variable naming a runtime.
    qpktest::RunResult runBundled(const std::string& argText, const std::string& workingDir = std::string()) {
        qpktest::RunOptions o = javaOptions("return");
        o.program = shared_->path("setup.exe");
        o.argText = argText;
        if (!workingDir.empty()) o.workingDir = workingDir;
        o.setEnv.erase("QUILLPACK_JAVA_HOME");
        o.unsetEnv.push_back("QUILLPACK_JAVA_HOME");
        o.timeoutMs = 180000;
        return runWith(o);
    }
    std::string recorded(const std::string& name) const {
        return outputValue(fileExists(record_) ? readFile(record_) : std::string(), name);
    }
    // Packs this test's setup with an archive of `tar`'s bytes: through "runtime", or as a
    // plain file for archives that the packer would refuse.
    void packArchive(const std::string& tar, bool checked = true, const std::string& narrow = std::string()) {
        writeGzip(dir() + "\\small.tar.gz", tar);
        if (checked) {
            pack(manifest("small.tar.gz", narrow));
            return;
        }
        std::string files = installerFiles();
        files.insert(files.size() - 1, R"(, {"name": "jre.tar.gz", "source": "small.tar.gz"})");
        pack(R"({"narrow": {"107": "1", "2001": "q"}, "wide": {"1000": "Test Setup"}, "files": )" + files + "}");
    }
    static qpktest::ScratchDir* shared_;
};

qpktest::ScratchDir* IncludedRuntime::shared_ = nullptr;

TEST_F(IncludedRuntime, BundledRuntimeIsUnpackedAndStartsTheInstaller) {
    auto r = runBundled("-q");
    std::string log = onlyLog();
    ASSERT_EQ(r.exitCode, 0u) << log;
    std::string tempDir = recorded("prop.corvo.tempDir");
    EXPECT_EQ(lower(recorded("prop.java.home")), lower(tempDir + "\\jre"));
    EXPECT_TRUE(contains(log, "] extracting JRE\n")) << log;
    EXPECT_TRUE(contains(log, "] extracting bin\\server\\jvm.dll (size ")) << log;
    EXPECT_TRUE(contains(log, "] untaring JRE was successful\n")) << log;
    EXPECT_TRUE(contains(log, "] JRE dir: " + tempDir + "\\jre\n")) << log;
    EXPECT_FALSE(contains(log, "Could not load bundled JRE")) << log;
}

// Extract-and-exit leaves the runtime unpacked, as it was packed; a language restart in
// that directory takes it as it is, without unpacking anything.
TEST_F(IncludedRuntime, LanguageRestartUsesTheUnpackedRuntime) {
    auto r = runBundled("__qpk_extract_and_exit");
    ASSERT_EQ(r.exitCode, 0u) << onlyLog();
    std::string filled = shared_->path("setup.exe.test");
    EXPECT_FALSE(fileExists(filled + "\\jre.tar.gz"));
    // The archive was made of the runtime's home: the unpacked tree is that home, file by file.
    std::map<std::string, std::string> unpacked, home;
    listTree(filled + "\\jre", "", unpacked);
    listTree(qpktest::toWindowsPath(QPK_JDK11_HOME), "", home);
    ASSERT_TRUE(home.count("\\bin\\server\\jvm.dll"));
    EXPECT_EQ(unpacked.size(), home.size());
    for (const auto& [name, bytes] : home) {
        auto found = unpacked.find(name);
        if (found == unpacked.end())
            ADD_FAILURE() << name << " is missing";
        else if (found->second != bytes)
            ADD_FAILURE() << name << " differs: " << found->second.size() << " bytes for " << bytes.size();
    }
    clearLogs();

    r = runBundled("__qpk_lang_restart", filled);
    std::string log = onlyLog();
    ASSERT_EQ(r.exitCode, 0u) << log;
    EXPECT_EQ(lower(recorded("prop.java.home")), lower(filled + "\\jre"));
    EXPECT_TRUE(contains(log, "] Checking extracted JRE: " + filled + "\\jre\n")) << log;
    EXPECT_FALSE(contains(log, "extracting JRE")) << log;
}

// An archive that untars but holds no runtime (here only a packed jar and the unpack200
// stand-in) gives way to an installed one, as does one whose jar cannot be restored; with
// none the setup ends with its own text and leaves nothing of the unpacked tree.
TEST_F(IncludedRuntime, UnusableRuntimeFallsBackToTheSearch) {
    std::string unpack200 = readFile(qpktest::toWindowsPath(QPK_STANDIN_UNPACK200));
    auto packWithJar = [&](const std::string& pack) {
        packArchive(tarEntry("bin/", "", '5') + tarEntry("bin/unpack200.exe", unpack200) + tarEntry("lib/", "", '5') +
                        tarEntry("lib/a.jar.pack", pack) + kTarEnd,
                    true, R"(, "153": "1")");
    };
    packWithJar("packed");
    auto r = runWith(javaOptions("return"));
    std::string log = onlyLog();
    ASSERT_EQ(r.exitCode, 0u) << log;
    EXPECT_TRUE(contains(log, "] JRE is packed\n")) << log;
    EXPECT_TRUE(contains(log, "jre\\lib\\a.jar.pack\" \"")) << log;
    EXPECT_TRUE(contains(log, "] Unpacking JRE done\n")) << log;
    EXPECT_TRUE(contains(r.stdoutText, "Preparing JRE ...\n")) << r.stdoutText;
    EXPECT_EQ(lower(recorded("prop.java.home")), lower(qpktest::toWindowsPath(QPK_JDK11_HOME)));
    EXPECT_TRUE(contains(log, "] ERROR: Could not load bundled JRE. Trying to find another JRE.\n")) << log;
    clearLogs();

    packWithJar("QPK-FAIL");
    r = runWith(javaOptions("return"));
    log = onlyLog();
    ASSERT_EQ(r.exitCode, 0u) << log;
    EXPECT_TRUE(contains(log, "] ERROR: Unpacking JRE failed\n")) << log;
    EXPECT_FALSE(contains(log, "LoadDLL (0, " + recorded("prop.corvo.tempDir") + "\\jre,")) << log;
    EXPECT_EQ(lower(recorded("prop.java.home")), lower(qpktest::toWindowsPath(QPK_JDK11_HOME)));
    clearLogs();

    std::vector<std::string> before = leftInTmp();
    qpktest::RunOptions o = javaOptions("return");
    o.args = {"-q"};
    o.setEnv.erase("QUILLPACK_JAVA_HOME");
    o.unsetEnv.push_back("QUILLPACK_JAVA_HOME");
    r = runWith(o);
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(r.stderrText, "Could not use bundled JRE. Please send this log file to your software vendor:"))
        << r.stderrText;
    EXPECT_TRUE(contains(onlyLog(), "] ERROR: Could not find another JRE.\n"));
    EXPECT_EQ(leftInTmp(), before) << "the setup left its unpacked runtime";
}

// Unsafe names are never written; these and broken archives end as corrupted, exit code 1.
TEST_F(IncludedRuntime, CorruptOrUnsafeArchivesEndWithTheCorruptedText) {
    const std::string outside = tmp() + "\\outside.txt";
    const struct {
        const char* what;
        std::string tar;
        const char* logged;
    } cases[] = {
        {"parent", tarEntry("ok.txt", "1") + tarEntry("../../outside.txt", "x") + kTarEnd,
         "unsafe entry name: ..\\..\\outside.txt"},
        {"drive", tarEntry("C:/qpk-outside.txt", "x") + kTarEnd, "unsafe entry name: C:\\qpk-outside.txt"},
        {"device", tarEntry("lib/", "", '5') + tarEntry("lib/nul.txt", "x") + kTarEnd,
         "unsafe entry name: lib\\nul.txt"},
        {"truncated", tarEntry("big.bin", "only this", '0', 4096), "sizes don't match: 512, 4096"},
        {"only directories", tarEntry("bin/", "", '5') + kTarEnd, "no magic number"},
    };
    for (const auto& c : cases) {
        packArchive(c.tar, false);
        qpktest::RunOptions o = javaOptions("return");
        o.args = {"-q"};
        auto r = runWith(o);
        std::string log = onlyLog();
        EXPECT_EQ(r.exitCode, 1u) << c.what;
        EXPECT_TRUE(contains(r.stderrText, kCorrupted)) << c.what << ": " << r.stderrText;
        EXPECT_TRUE(contains(log, c.logged)) << c.what << ": " << log;
        EXPECT_TRUE(contains(log, "] ERROR: Could not untar JRE\n")) << c.what;
        EXPECT_FALSE(fileExists(outside)) << c.what;
        EXPECT_FALSE(fileExists("C:\\qpk-outside.txt")) << c.what;
        EXPECT_FALSE(fileExists(record_)) << c.what;
        clearLogs();
    }
}
