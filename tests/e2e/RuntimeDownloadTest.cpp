// Quiet setups that may download a runtime when none is found: the download's ends against a
// scripted server, from the installer running on the downloaded Java 11 runtime to the
// fatal messages. Each setup names the SHA-256 that the server computed of its body, or
// another where the case says so.
#include <memory>

#include "RuntimeOfferFixture.h"

using namespace qpke2e;

namespace {

constexpr char kOtherDigest[] = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";

struct DownloadCase {
    const char* name;
    const char* script;  // nullptr: no server and no address
    const char* body;    // "runtime" or "small" (1000 bytes that are no gzip stream)
    const char* digest;  // nullptr: the body's own
    DWORD exitCode;
    const char* stderrPart;  // empty: the installer runs
    size_t minRequests;
    std::vector<std::pair<std::string, int>> logCounts;  // line part, how often
};

const DownloadCase kCases[] = {
    {"WholeAnswer", "whole", "runtime", nullptr, 0, "", 1,
     {{"] Downloading JRE\n", 1}, {"] SHA-256 of the download as expected: ", 1}, {"] download successful", 1},
      {"] Done\n", 1}, {"Retry JRE download", 0}}},
    {"BreaksOffHalfWayThenWhole", "break", "runtime", nullptr, 0, "", 2,
     {{"] ERROR: the download ended after ", 1}, {"] ERROR: Retry JRE download", 1}, {"] download successful", 1}}},
    // Each attempt asks 20 times, 300 ms apart, reopening each time; three attempts in all.
    {"NoContentLength", "nolength", "small", nullptr, 1, "Download failed", 60,
     {{"] ERROR: HttpQueryInfo (try 1) failed", 3}, {"] ERROR: HttpQueryInfo (try 20) failed", 3},
      {"(try 21)", 0}, {"] ERROR: Giving up", 3}, {"] ERROR: Retry JRE download", 3}}},
    // Neither is a runtime archive: retried like a broken answer, never untarred.
    {"EmptyAnswer", "empty", "small", nullptr, 1, "Download failed", 3,
     {{"] file size: 0, handle", 3}, {"] ERROR: the answer is not a gzip stream", 3}, {"extracting JRE", 0}}},
    {"AnswerThatIsNoGzipStream", "whole", "small", nullptr, 1, "Download failed", 3,
     {{"] ERROR: the answer is not a gzip stream", 3}, {"] download successful", 0}, {"extracting JRE", 0}}},
    {"OtherDigest", "whole", "runtime", kOtherDigest, 1, "Download failed", 3,
     {{std::string("] expected SHA-256: ") + kOtherDigest, 1},
      {std::string(", expected ") + kOtherDigest + "\n", 3}, {"] download successful", 0}, {"extracting JRE", 0}}},
    {"ErrorPage", "missing", "small", nullptr, 1, "Download failed", 3,
     {{"] ERROR: the server answered with status 404", 3}, {"] download successful", 0}}},
    {"NoAddress", nullptr, "small", nullptr, 1, "Download failed", 0,
     {{"] Download location: \n", 1}, {"] ERROR: InternetOpenUrl failed", 3}, {"] ERROR: Retry JRE download", 3}}},
};

void PrintTo(const DownloadCase& c, std::ostream* out) { *out << c.name; }

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

class RuntimeDownload : public RuntimeOfferTest, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(RuntimeDownload, QuietRunDownloadsWhenNoRuntimeIsFound) {
    const DownloadCase& c = GetParam();
    std::unique_ptr<DownloadServer> server;
    std::string address, digest;
    if (c.script) {
        writeFile(dir() + "\\small.bin", std::string(1000, 'x'));
        std::string body = c.body == std::string("runtime") ? runtimeArchive() : dir() + "\\small.bin";
        server = std::make_unique<DownloadServer>(dir(), c.script, body);
        ASSERT_FALSE(server->url().empty()) << "the download server did not start";
        address = server->url();
        digest = c.digest ? c.digest : server->sha256();
        ASSERT_EQ(digest.size(), 64u);
    }
    std::string narrow = R"(, "157": "1", "150": )" + jsonText(address);
    if (!digest.empty()) narrow += R"(, "156": )" + jsonText(digest);
    packOffer(narrow);
    qpktest::RunOptions o = javaOptions("return");
    o.args = {"-q", "-manual"};  // no search: the installed runtime of the fixture is not taken
    auto r = runWith(o);

    EXPECT_EQ(r.exitCode, c.exitCode) << r.stderrText;
    EXPECT_EQ(r.stdoutText.rfind("No JRE found. Trying to download.\n", 0), 0u) << r.stdoutText;
    std::string log = onlyLog();
    for (const auto& [part, times] : c.logCounts) EXPECT_EQ(count(log, part), size_t(times)) << part << "\n" << log;
    if (server) {
        EXPECT_GE(server->requests(), c.minRequests);
    }
    if (c.digest) {
        // A mismatch names both digests.
        EXPECT_EQ(count(log, "] ERROR: the SHA-256 of the download is " + server->sha256() + ", expected "), 3u);
    }
    if (*c.stderrPart) {
        EXPECT_TRUE(contains(r.stderrText, c.stderrPart)) << r.stderrText;
        EXPECT_FALSE(fileExists(record_));
        EXPECT_TRUE(leftInTmp().empty()) << "the setup left " << leftInTmp()[0];
    } else {
        EXPECT_EQ(outputValue(readFile(record_), "recorded"), "1") << log;
        EXPECT_TRUE(contains(log, "] Loading of JVM-DLL successful")) << log;
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, RuntimeDownload, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
