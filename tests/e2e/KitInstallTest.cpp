// An installer compiled against the installer kit alone, packed with the kit as its runtime
// archive and run on the installed Java 11 runtime: what it saw of its trailer, what it wrote
// through the natives, and that its clean-up leaves nothing once it has ended.
#include <windows.h>

#include "BuildPaths.h"
#include "SetupFixture.h"
#include "Utf8.h"

namespace qpke2e {
namespace {

const char kKey[] = "Software\\quillpack-tests\\kit-install";
const char kMarkerKey[] = "SOFTWARE\\larchmont-works\\corvo";

std::string userString(const char* key, const char* name) {
    char value[256] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "";
    return value;
}

class KitInstall : public SetupTest {};

TEST_F(KitInstall, ReadsItsTrailerWritesTheRegistryAndLeavesNothingBehind) {
    runOnInstalledRuntime();
    std::string trailer;  // every byte value, in a length that is no multiple of a buffer's
    for (int i = 0; i < 70000; ++i) trailer += char(i * 7 + i / 256);
    writeFile(dir() + "\\app.bin", trailer);
    pack(R"({"settings": {"applicationKind": 1, "productKind": "q", "minJavaVersion": "11",
                          "mainClass": "com.example.kitdriver.KitDriver"},
             "files": [{"name": "qpkruntime.jar", "source": )" + jsonText(qpktest::toWindowsPath(QPK_KIT_JAR)) + R"(},
                       {"name": "installer.jar", "source": )" + jsonText(qpktest::toWindowsPath(QPK_KIT_DRIVER_JAR)) + R"(}],
             "trailer": "app.bin"})");
    // A signature's certificate table would go here, behind the range the block's CRC covers.
    writeFile(setup(), readFile(setup()) + std::string(4096, '\x30'));
    std::string reports = dir() + "\\reports";
    makeDirectory(reports);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);

    // Started from a path with a quote, which the launcher's splitter reads as grouping unless
    // the deletion role's command line puts it inside double quotes.
    std::string folder = dir() + "\\Jo's_setups";
    makeDirectory(folder);
    std::string program = folder + "\\setup.exe";
    writeFile(program, readFile(setup()));

    qpktest::RunOptions o = options({});
    o.program = program;
    o.args = {"install", reports, kKey};
    o.timeoutMs = 90000;
    qpktest::RunResult r = runWith(o);
    ASSERT_EQ(r.exitCode, 0u) << r.stdoutText << r.stderrText;
    std::string report = readFile(reports + "\\report.txt");
    ASSERT_EQ(outputValue(report, "done"), "1") << report;
    EXPECT_EQ(outputValue(report, "executable"), program);
    EXPECT_EQ(outputValue(report, "arguments"), "install|" + reports + "|" + kKey);
    EXPECT_TRUE(readFile(reports + "\\trailer.bin") == trailer) << "the installer saw other bytes as its trailer";
    EXPECT_EQ(outputValue(report, "registry"), "true");
    EXPECT_EQ(userString(kKey, "Trailer"), "70000 bytes");
    // The global marker: the per-process one is removed by the progress dialog's watcher
    // once it reads 2, whenever a display shows the dialog.
    EXPECT_EQ(installMarker("InstallStarted"), 2);
    // The deletion role waits for the setup's semaphore, which lives as long as the setup.
    EXPECT_EQ(outputValue(report, "heldAfterWait"), "true");

    std::string tempDir = outputValue(report, "tempDir");
    EXPECT_EQ(tempDir.rfind(tmp() + "\\cvo", 0), 0u) << tempDir;
    // The private directory, its placeholder file, the deletion lists and the logs all go.
    EXPECT_EQ(leftAfterCleanUp(tmp()), std::vector<std::string>{});
    EXPECT_FALSE(fileExists(tempDir));

    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kMarkerKey, "InstallStarted");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kMarkerKey, ("InstallStarted_" + outputValue(report, "pid")).c_str());
}

}  // namespace
}  // namespace qpke2e
