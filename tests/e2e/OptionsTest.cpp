// The option list as the options probe assembles it on its own packed image: options files
// beside the setup with their includes and directives, the class path from the private
// temporary directory and the configured path lists, the module options, the fatal path
// errors and the native library PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "SetupFixture.h"

using namespace qpke2e;

namespace {

using Options = std::vector<std::string>;

std::string probePath() { return qpktest::helperPath("options_probe"); }

Options optionsOf(const std::string& out) {
    Options options;
    size_t at = 0;
    while ((at = out.find("option=", at)) != std::string::npos) {
        size_t end = out.find('\n', at);
        options.push_back(out.substr(at + 7, end - at - 7));
        at = end;
    }
    return options;
}

// The launcher's properties come first and the class path option last, unless modules follow.
Options between(const Options& all) {
    if (all.size() < 2) return {};
    return Options(all.begin() + 1, all.end() - 1);
}

std::string manifest(const std::string& narrow, const std::string& wide = "") {
    return R"({"narrow": {"2001": "q")" + narrow + R"(}, "wide": {"1006": "Not found: {0}", "1008": "Undefined: {0}")" +
           wide + R"(}, "files": []})";
}

}  // namespace

class OptionsFiles : public SetupTest {
protected:
    qpktest::RunResult probe(const std::map<std::string, std::string>& env = {}) {
        auto r = run({}, env);
        EXPECT_TRUE(r.started) << r.error;
        return r;
    }
};

TEST_F(OptionsFiles, DefaultFileWithLineRulesIncludesAndDirectives) {
    pack(manifest(R"(, "166": "1")"), probePath());
    writeFile(dir() + "\\setup.vmoptions",
              "# comment\r\n\r\n    \r\n  -Da=1\t\r\n-include-options sub\\inc.vmoptions\r\n"
              "-classpath a.jar\r\n-classpath b.jar\r\n-classpath\r\n   # indented comment\r\n--add-opens\r\n");
    makeDirectory(dir() + "\\sub");
    // "\x80" is the euro sign in the ANSI code page (1252) of the tests' Wine.
    writeFile(dir() + "\\sub\\inc.vmoptions", "-Dinc=1\n-include-options deeper.vmoptions\n-Dinc=2\n-Deuro=\x80\n");
    writeFile(dir() + "\\sub\\deeper.vmoptions", "-Ddeep=%QUILLPACK_PATHLIST_SEPARATOR%\n--add-opens\nx/y=ALL\n");
    auto r = probe();
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    Options all = optionsOf(r.stdoutText);
    ASSERT_FALSE(all.empty()) << r.stdoutText;
    EXPECT_EQ(all.front(), "-Dcorvo.probe=1");
    EXPECT_EQ(between(all), (Options{"-Da=1\t", "-Dinc=1", "-Ddeep=;", "--add-opens=x/y=ALL", "-Dinc=2", "-Deuro=\x80",
                                   "-classpath"}));
    EXPECT_EQ(all.back(), "--add-opens=-Djava.class.path=b.jar") << "a bare name takes the option after it";
}

TEST_F(OptionsFiles, DefaultFileIsReadOnlyWithEntry166AndMayKeepTheExtension) {
    pack(manifest(""), probePath());
    writeFile(dir() + "\\setup.exe.vmoptions", "-Dwith.extension\n");
    EXPECT_EQ(between(optionsOf(probe().stdoutText)), Options{});
    pack(manifest(R"(, "166": "1")"), probePath());
    EXPECT_EQ(between(optionsOf(probe().stdoutText)), Options{"-Dwith.extension"});
    writeFile(dir() + "\\setup.vmoptions", "-Dwithout.extension\n");
    EXPECT_EQ(between(optionsOf(probe().stdoutText)), Options{"-Dwithout.extension"});
}

TEST_F(OptionsFiles, IncludeCyclesAreReadOnce) {
    pack(manifest(R"(, "166": "1")", R"(, "123": "-include-options b.vmoptions")"), probePath());
    writeFile(dir() + "\\setup.vmoptions", "-Dtop\n-include-options a.vmoptions\n-include-options setup.vmoptions\n");
    writeFile(dir() + "\\a.vmoptions", "-Da\n-include-options b.vmoptions\n");
    makeDirectory(dir() + "\\sub");
    writeFile(dir() + "\\b.vmoptions", "-Db\n-include-options a.vmoptions\n-include-options sub\\..\\setup.vmoptions\n");
    auto r = probe();
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    // Only files open further up the chain are refused: from the configuration text
    // b > a (b refused) > setup (the same file by another name) > a (b refused, setup
    // refused); then the default file: setup > a > b (a and setup refused).
    EXPECT_EQ(between(optionsOf(r.stdoutText)), (Options{"-Db", "-Da", "-Dtop", "-Da", "-Dtop", "-Da", "-Db"}));
}

TEST_F(OptionsFiles, IncludeChainsStopAtTheDepthLimit) {
    pack(manifest(R"(, "166": "1")"), probePath());
    writeFile(dir() + "\\setup.vmoptions", "-include-options c1.vmoptions\n");
    Options expected;
    for (int i = 1; i < 40; ++i) {
        writeFile(dir() + "\\c" + std::to_string(i) + ".vmoptions",
                  "-Dc" + std::to_string(i) + "\n-include-options c" + std::to_string(i + 1) + ".vmoptions\n");
        if (i < 32) expected.push_back("-Dc" + std::to_string(i));
    }
    auto r = probe();
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_EQ(between(optionsOf(r.stdoutText)), expected);
}

TEST_F(OptionsFiles, ClassPathFromTheTemporaryDirectoryAndThePathList) {
    pack(manifest(R"(, "121": "A1%QUILLPACK_EXEDIR%lib.jar;S0missing;E0QPK_UNSET_VAR;E0QPK_CP;D1sub;S1scan")"),
         probePath());
    std::string temp = dir() + "\\private";
    makeDirectory(temp);
    makeDirectory(temp + "\\user");
    writeFile(temp + "\\x.jar", "");
    writeFile(temp + "\\y.zip", "");
    writeFile(temp + "\\notes.txt", "");
    writeFile(temp + "\\user\\u.jar", "");
    writeFile(dir() + "\\lib.jar", "");
    makeDirectory(dir() + "\\sub");
    makeDirectory(dir() + "\\scan");
    writeFile(dir() + "\\scan\\s.zip", "");
    auto r = probe({{"QPK_PROBE_TEMPDIR", temp}, {"QPK_CP", "\"C:\\q;\""}});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    Options all = optionsOf(r.stdoutText);
    ASSERT_EQ(all.size(), 2u) << r.stdoutText;
    EXPECT_EQ(all[1], "-Djava.class.path=" + temp + "\\x.jar;" + temp + "\\y.zip;" + temp + "\\user\\u.jar;" + dir() +
                          "\\lib.jar;C:\\q;" + dir() + "\\sub;" + dir() + "\\scan\\s.zip");
}

TEST_F(OptionsFiles, ModuleModeMovesTheTemporaryArchivesToTheModulePath) {
    pack(manifest(R"(, "133": "1", "122": "app.mod/com.x.Main")",
                  R"(, "123": "-classpath/a extra.jar -include-options")"),
         probePath());
    std::string temp = dir() + "\\private";
    makeDirectory(temp);
    makeDirectory(temp + "\\user");
    writeFile(temp + "\\x.jar", "");
    writeFile(temp + "\\user\\u.jar", "");
    auto r = probe({{"QPK_PROBE_TEMPDIR", temp}});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_EQ(optionsOf(r.stdoutText),
              (Options{"-Dcorvo.probe=1", "-classpath/a", "extra.jar", "-include-options",
                       "-Djava.class.path=" + temp + "\\user\\u.jar", "--module-path=" + temp + "\\x.jar",
                       "--add-opens=app.mod/com.x=com.quillpack.runtime",
                       "--add-modules=app.mod,com.quillpack.runtime"}))
        << "\"-classpath/a\" as a token of its own is no directive";
}

TEST_F(OptionsFiles, MissingMandatoryEntriesAreFatal) {
    pack(manifest(R"(, "121": "A0nothing.jar;A1%QUILLPACK_EXEDIR%nothing.jar")"), probePath());
    auto r = probe();
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.stderrText.find("Not found: " + dir() + "\\nothing.jar"), std::string::npos) << r.stderrText;
    EXPECT_EQ(optionsOf(r.stdoutText), Options{});

    pack(manifest(R"(, "121": "E1QPK_UNSET_VAR")"), probePath());
    r = probe();
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.stderrText.find("Undefined: QPK_UNSET_VAR"), std::string::npos) << r.stderrText;

    pack(manifest(R"(, "132": "S1nodir")"), probePath());
    r = probe();
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.stderrText.find("Not found: nodir\n"), std::string::npos) << r.stderrText;
}

TEST_F(OptionsFiles, NativeLibraryDirectoriesGoInFrontOfPath) {
    pack(manifest(R"(, "10004": "lib;;%QUILLPACK_EXEDIR%bin")"), probePath());
    auto r = probe({{"QPK_PROBE_NATIVE", "1"}, {"PATH", "C:\\windows\\system32"}});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_NE(r.stdoutText.find("PATH=" + dir() + "\\lib;" + dir() + "\\bin;C:\\windows\\system32\n"),
              std::string::npos)
        << r.stdoutText;

    pack(manifest(""), probePath());
    r = probe({{"QPK_PROBE_NATIVE", "1"}, {"PATH", "C:\\windows\\system32"}});
    EXPECT_NE(r.stdoutText.find("PATH=C:\\windows\\system32\n"), std::string::npos) << r.stdoutText;
}
