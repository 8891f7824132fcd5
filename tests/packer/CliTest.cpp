// The qpkpack program: help and version on standard output; each error and warning one
// line on standard error, naming the manifest file and the field.
#include <sys/wait.h>

#include <cstdlib>

#include "PackerTestSupport.h"
#include "SettingNames.h"

namespace packertest {
namespace {

struct Result {
    int code;
    std::string out, err;
};

class CliTest : public PackerTest {
protected:
    Result run(const std::string& args) {
        std::string command = "'" QPKPACK_PROGRAM "' " + args + " >'" + path("stdout") + "' 2>'" + path("stderr") + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(path("stdout")), readFile(path("stderr"))};
    }
    Result build(const std::string& manifest) {
        writeFile(path("m.json"), manifest);
        return run("build --launcher '" + launcher_ + "' --manifest '" + path("m.json") + "' --out '" + out_ + "'");
    }
};

TEST_F(CliTest, HelpListsEveryNameAndVersionPrints) {
    for (const char* args : {"--help", "build --help"}) {
        Result r = run(args);
        EXPECT_EQ(0, r.code) << args;
        for (const auto& s : qpkpack::settingNames())
            EXPECT_NE(std::string::npos, r.out.find(std::string(s.name) + " (" + std::to_string(s.id) + ")")) << s.name;
        for (const auto& m : qpkpack::messageNames())
            EXPECT_NE(std::string::npos, r.out.find(std::string(m.name) + " (" + std::to_string(m.id) + ")")) << m.name;
    }
    Result v = run("--version");
    EXPECT_EQ(0, v.code);
    EXPECT_EQ(0u, v.out.rfind("qpkpack ", 0)) << v.out;
    EXPECT_EQ(2, run("--bogus").code);
}

TEST_F(CliTest, ErrorsAndWarningsAreOneLineNamingFileAndField) {
    Result bad = build(R"({"settings": {"mainClass": 5}})");
    EXPECT_EQ(2, bad.code);
    EXPECT_EQ("qpkpack: " + path("m.json") + ": settings.mainClass: expected a string, found number\n", bad.err);
    EXPECT_FALSE(std::filesystem::exists(out_));

    Result key = build("{\"settings\": {\"a\\nb\": 1}}");
    EXPECT_EQ(2, key.code);
    EXPECT_EQ("qpkpack: " + path("m.json") + ": settings.a b: unknown setting\n", key.err);

    Result warned = build(R"({"settings": {"applicationKind": 1}})");
    EXPECT_EQ(0, warned.code);
    EXPECT_EQ("qpkpack: warning: " + path("m.json") +
                  ": settings.mainClass (entry 122) is not set: the installer runtime is handed no main class to run\n",
              warned.err);
    EXPECT_TRUE(std::filesystem::exists(out_));
}

}  // namespace
}  // namespace packertest
