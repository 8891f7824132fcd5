// Setups whose payload is the Java stand-in of the installer runtime and its parameter file,
// run on the real Java 11 runtime; the stand-in writes what it received to record_.
#pragma once
#include <map>
#include <string>

#include "BuildPaths.h"
#include "SetupFixture.h"

namespace qpke2e {

inline std::string runtimeJar() { return qpktest::toWindowsPath(QPK_RUNTIME_JAR); }

class JavaInstallerTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        writeFile(dir() + "\\qpkparams.conf", "param=1\n");
        record_ = dir() + "\\record.txt";
        runOnInstalledRuntime();
    }
    // The manifest's "files": `jar` as the runtime archive with `kit`, then the parameter file.
    static std::string installerFiles(const std::string& jar = runtimeJar(), const std::string& kit = kitJar()) {
        return "[" + standinFileEntries(jar, kit) + R"(, {"name": "qpkparams.conf", "source": "qpkparams.conf"}])";
    }
    // A run that keeps its log and lets the stand-in record and then do `action`.
    qpktest::RunOptions javaOptions(const std::string& action, std::map<std::string, std::string> env = {}) const {
        env["QPK_JAVA_RECORD"] = record_;
        env["QPK_JAVA_ACTION"] = action;
        env["CORVO_LOG"] = "yes";
        qpktest::RunOptions o = options(env);
        o.timeoutMs = 90000;
        return o;
    }
    std::string record_;
};

}  // namespace qpke2e
