// The demo installer packed like scripts/demo packs it, run on the installed Java 11 runtime:
// it fails where its folder is blocked, installs, and uninstalls; each time the result is read from
// outside the setup (the file system, Wine's reg.exe, the link loaded by the linktarget helper),
// and each time nothing of the run is left in the temporary root once it has ended.
#include "SetupFixture.h"

#include "BuildPaths.h"
#include "Utf8.h"

namespace qpke2e {
namespace {

const std::string kUninstallKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillpack Demo";

std::string localFolder(const char* variable) {
    const char* value = getenv(variable);
    return value ? value : "";
}

class DemoInstall : public SetupTest {
protected:
    qpktest::RunResult tool(const std::string& program, const std::vector<std::string>& args) {
        qpktest::RunOptions o;
        o.program = program;
        o.args = args;
        return runWith(o);
    }
};

TEST_F(DemoInstall, InstallsThenUninstallsFilesEntryAndLink) {
    runOnInstalledRuntime();
    pack(R"({"settings": {"applicationKind": 1, "productKind": "q", "minJavaVersion": "11",
                          "mainClass": "com.quillpack.demo.DemoInstaller"},
             "messages": {"errorCaption": "Demo Setup", "setupCaption": "Demo Setup"},
             "files": [{"name": "qpkruntime.jar", "source": )" + jsonText(qpktest::toWindowsPath(QPK_KIT_JAR)) + R"(},
                       {"name": "demo-installer.jar", "source": )" + jsonText(qpktest::toWindowsPath(QPK_DEMO_JAR)) + R"(}],
             "trailer": )" + jsonText(qpktest::toWindowsPath(QPK_DEMO_APP)) + "}");
    const std::string folder = localFolder("LOCALAPPDATA") + "\\Programs\\Quillpack Demo";
    const std::string link = localFolder("APPDATA") + "\\Microsoft\\Windows\\Start Menu\\Programs\\Quillpack Demo.lnk";
    const std::string reg = localFolder("SystemRoot") + "\\system32\\reg.exe";

    // A file where the folder belongs: the install fails, says why and registers nothing.
    makeDirectory(localFolder("LOCALAPPDATA") + "\\Programs");
    writeFile(folder, "in the way");
    ASSERT_TRUE(fileExists(folder));
    qpktest::RunResult blocked = run({});
    DeleteFileW(qpktest::widen(folder).c_str());
    EXPECT_EQ(blocked.exitCode, 1u);
    EXPECT_TRUE(contains(blocked.stderrText, "Quillpack Demo: cannot unpack the application into")) << blocked.stderrText;
    EXPECT_NE(tool(reg, {"query", kUninstallKey}).exitCode, 0u);
    EXPECT_EQ(leftAfterCleanUp(tmp()), std::vector<std::string>{});

    qpktest::RunResult installed = run({});
    ASSERT_EQ(installed.exitCode, 0u) << installed.stdoutText << installed.stderrText;
    EXPECT_EQ(leftAfterCleanUp(tmp()), std::vector<std::string>{});
    const std::string welcome = readFile(qpktest::toWindowsPath(QPK_DEMO_WELCOME));
    ASSERT_FALSE(welcome.empty());
    EXPECT_EQ(readFile(folder + "\\welcome.txt"), welcome);
    qpktest::RunResult entry = tool(reg, {"query", kUninstallKey});
    EXPECT_EQ(entry.exitCode, 0u) << entry.stderrText;
    for (const std::string& value : std::vector<std::string>{"DisplayName    REG_SZ    Quillpack Demo", "DisplayVersion    REG_SZ    1.0",
                                     "InstallLocation    REG_SZ    " + folder, "setup.exe\" --uninstall"})
        EXPECT_TRUE(contains(entry.stdoutText, value)) << value << " not in\n" << entry.stdoutText;
    qpktest::RunResult target = tool(qpktest::helperPath("linktarget"), {link});
    EXPECT_EQ(target.exitCode, 0u);
    EXPECT_EQ(target.stdoutText, folder + "\\welcome.txt\n");

    qpktest::RunResult removed = run({"--uninstall"});
    ASSERT_EQ(removed.exitCode, 0u) << removed.stdoutText << removed.stderrText;
    EXPECT_EQ(leftAfterCleanUp(tmp()), std::vector<std::string>{});
    EXPECT_FALSE(fileExists(folder));
    EXPECT_NE(tool(reg, {"query", kUninstallKey}).exitCode, 0u);
    EXPECT_FALSE(fileExists(link));
    EXPECT_NE(tool(qpktest::helperPath("linktarget"), {link}).exitCode, 0u);
}

}  // namespace
}  // namespace qpke2e
