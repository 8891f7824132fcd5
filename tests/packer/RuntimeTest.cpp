// "runtime": the archive the packer writes or takes, read back from the setup with the
// launcher's own tar reader.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include <nlohmann/json.hpp>
#include <zlib.h>

#include "Packer.h"
#include "PackerTestSupport.h"
#include "payload/BlockFormat.h"
#include "TarBytes.h"
#include "payload/GzTarStream.h"

namespace packertest {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

void writeGzip(const fs::path& path, const std::string& bytes) {
    gzFile out = gzopen(path.string().c_str(), "wb");
    gzwrite(out, bytes.data(), unsigned(bytes.size()));
    gzclose(out);
}

// What the launcher would write: name -> contents, "/" for directories.
struct Collect final : qpk::TarSink {
    void directory(const std::string& name) override { seen[name] = "/"; }
    bool file(qpk::TarStream& in, const std::string& name, int64_t size) override {
        std::string data(size_t(size), '\0');
        seen[name] = data;
        return in.read(&seen[name][0], unsigned(size)) == long(size);
    }
    std::map<std::string, std::string> seen;
};

class RuntimeTest : public PackerTest {
protected:
    Json inspected() {
        std::string report;
        EXPECT_EQ(qpkpack::kOk, qpkpack::inspect(out_, report, error_)) << error_;
        return Json::parse(report);
    }
    // What the launcher would write from the setup's runtime archive.
    std::map<std::string, std::string> untarred() {
        runtimeRecord(inspected());
        qpk::GzTarStream in(path("jre.tar.gz"));
        Collect sink;
        qpk::TarResult r = qpk::untarEntries(in, sink);
        EXPECT_TRUE(r.done) << qpk::tarFailureText(r.failure) << " " << r.name;
        return sink.seen;
    }
    // The record's bytes, unmasked, also written to jre.tar.gz.
    std::string runtimeRecord(const Json& report) {
        const Json& file = report["files"].back();
        EXPECT_EQ(file["name"], "jre.tar.gz");
        std::string bytes = readFile(out_).substr(file["offset"].get<size_t>(), file["size"].get<size_t>());
        for (char& c : bytes) c = char(c ^ qpk::kPayloadMask);
        writeFile(path("jre.tar.gz"), bytes);
        return bytes;
    }
};

TEST_F(RuntimeTest, DirectoryIsPackedAsATarThatTheLauncherReads) {
    const std::string longDir = "lib/" + std::string(90, 'd'), longFile = longDir + "/" + std::string(60, 'f') + ".jar";
    fs::create_directories(dir_ / "rt" / longDir);
    fs::create_directories(dir_ / "rt" / "empty");
    std::string big;
    for (int i = 0; i < 3 << 19; ++i) big += char(i * 7 % 251);  // more than one copy chunk
    writeFile(path("rt/bin.dll"), big);
    writeFile(path("rt/" + longFile), "long");
    writeFile(path("rt/release"), "JAVA_VERSION=\"11\"\n");
    writeFile(path("a.jar"), "a");
    int rc = pack(R"({"files": [{"name": "a.jar", "source": "a.jar"}], "runtime": "rt"})");
#ifndef QPKPACK_WRITES_TAR
    // The cross build of the packer has no tar writer.
    EXPECT_EQ(rc, qpkpack::kFailed);
    EXPECT_NE(error_.find("runtime: "), std::string::npos) << error_;
    EXPECT_NE(error_.find("takes a ready .tar.gz"), std::string::npos) << error_;
    EXPECT_FALSE(fs::exists(out_));
    return;
#endif
    ASSERT_EQ(rc, qpkpack::kOk) << error_;
    Json report = inspected();
    std::string archive = runtimeRecord(report);
    qpk::GzTarStream in(path("jre.tar.gz"));
    Collect sink;
    qpk::TarResult r = qpk::untarEntries(in, sink);
    EXPECT_TRUE(r.done) << qpk::tarFailureText(r.failure) << " " << r.name;
    ASSERT_TRUE(in.drain());
    uint64_t tarSize = in.position();
    EXPECT_EQ(report["runtime"]["compressed"], archive.size());
    EXPECT_EQ(report["runtime"]["uncompressed"], tarSize);
    EXPECT_EQ(report["narrow"]["151"], std::to_string(tarSize));
    EXPECT_EQ(report["narrow"]["2002"], "2");
    EXPECT_EQ(report["narrow"]["2003"], "a.jar;jre.tar.gz");
    // Short names come with backslashes, long names as stored.
    std::map<std::string, std::string> expected = {
        {"bin.dll", big}, {"empty\\", "/"}, {"lib\\", "/"}, {"lib\\" + std::string(90, 'd') + "\\", "/"},
        {longFile, "long"},
        {"release", "JAVA_VERSION=\"11\"\n"}};
    ASSERT_EQ(sink.seen.size(), expected.size());
    for (const auto& [name, data] : expected) {
        auto found = sink.seen.find(name);
        ASSERT_NE(found, sink.seen.end()) << name;
        EXPECT_TRUE(found->second == data) << name << ": " << found->second.size() << " bytes";
    }

    // The same archive given ready is packed as it is, with the same size in entry 151.
    ASSERT_EQ(qpkpack::kOk, pack(R"({"runtime": "jre.tar.gz", "narrow": {"153": "1"}})")) << error_;
    Json again = inspected();
    EXPECT_EQ(runtimeRecord(again), archive);
    EXPECT_EQ(again["narrow"]["151"], std::to_string(tarSize));
}

// A ready archive that the launcher would refuse is refused by the packer, naming the entry;
// archives as common tools make them are packed.
TEST_F(RuntimeTest, ArchiveTheLauncherWouldRefuseIsNotPacked) {
    writeGzip(path("bad.tar.gz"), qpktest::tarEntry("../evil.x", "x") + qpktest::kTarEnd);
    EXPECT_EQ(qpkpack::kFailed, pack(R"({"runtime": "bad.tar.gz"})"));
    EXPECT_NE(error_.find("unsafe entry name at \"..\\evil.x\""), std::string::npos) << error_;
    writeFile(path("plain.tar.gz"), "not gzip at all");
    EXPECT_EQ(qpkpack::kFailed,
              pack(R"({"runtime": "plain.tar.gz", "files": [{"name": "jre.tar.gz", "source": "plain.tar.gz"}]})"));
    EXPECT_EQ(error_, "runtime: the files already hold \"jre.tar.gz\"");
    EXPECT_EQ(qpkpack::kFailed, pack(R"({"runtime": "plain.tar.gz"})"));
    EXPECT_NE(error_.find("the launcher would refuse"), std::string::npos) << error_;
    // A pax name the launcher would not honour is refused, not passed over.
    writeGzip(path("pax.tar.gz"), qpktest::tarEntry("PaxHeaders/x", "16 path=a/b/c/d\n", 'x') +
                                      qpktest::tarEntry("x", "1") + qpktest::kTarEnd);
    EXPECT_EQ(qpkpack::kFailed, pack(R"({"runtime": "pax.tar.gz"})"));
    EXPECT_NE(error_.find("pax record not supported (write the archive as GNU tar or ustar) at \"path\""),
              std::string::npos)
        << error_;
    EXPECT_FALSE(fs::exists(out_));

    // As `tar czf rt.tar.gz -C rt .` and ustar writers make them.
    writeGzip(path("dot.tar.gz"), qpktest::tarEntry("./", "", '5') + qpktest::tarEntry("./bin/", "", '5') +
                                      qpktest::tarEntry("./bin/java.exe", "j") +
                                      qpktest::tarUstarEntry("lib/deep", "a.jar", "a") + qpktest::kTarEnd);
    EXPECT_EQ(qpkpack::kOk, pack(R"({"runtime": "dot.tar.gz"})")) << error_;
}

#ifdef QPKPACK_WRITES_TAR
// Two copies of a runtime made in opposite orders, at other times and with other modes give
// the same setup byte for byte; the entries' time is SOURCE_DATE_EPOCH when that is set.
TEST_F(RuntimeTest, TheSameRuntimeGivesTheSameSetup) {
    std::vector<std::pair<std::string, std::string>> files = {
        {"bin/java.exe", "java"}, {"lib/a.jar", "a"}, {"lib/b/c.txt", "c"}, {"lib-x.txt", "x"}, {"release", "r"}};
    auto copy = [&](const std::string& root, std::chrono::hours age, fs::perms mode) {
        for (const auto& [name, data] : files) {
            fs::create_directories((dir_ / root / name).parent_path());
            writeFile(dir_ / root / name, data);
            fs::last_write_time(dir_ / root / name, fs::file_time_type::clock::now() - age);
            fs::permissions(dir_ / root / name, mode);
        }
    };
    copy("one", std::chrono::hours(1000), fs::perms::owner_all);
    std::reverse(files.begin(), files.end());
    copy("two", std::chrono::hours(0), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_EQ(qpkpack::kOk, pack(R"({"runtime": "one"})")) << error_;
    std::string first = readFile(out_);
    // Anything taken from the clock would differ a second later.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_EQ(qpkpack::kOk, pack(R"({"runtime": "two"})")) << error_;
    EXPECT_TRUE(readFile(out_) == first);

    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    int rc = pack(R"({"runtime": "one"})");
    unsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(qpkpack::kOk, rc) << error_;
    runtimeRecord(inspected());
    gzFile tar = gzopen(path("jre.tar.gz").c_str(), "rb");
    std::string header(512, '\0');
    gzread(tar, &header[0], 512);
    gzclose(tar);
    EXPECT_EQ(header.substr(0, 4), "bin/");
    EXPECT_EQ(header.substr(136, 11), "14524770400");  // 1700000000 in octal

    setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
    rc = pack(R"({"runtime": "one"})");
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(qpkpack::kFailed, rc);
    EXPECT_EQ(error_, "runtime: SOURCE_DATE_EPOCH: \"yesterday\" is not a number of seconds since 1970");
}

// What links lead to is packed where the links are; a link to a directory above it is refused.
TEST_F(RuntimeTest, LinkedFilesArePackedAndLoopsRefused) {
    fs::create_directories(dir_ / "rt" / "lib");
    fs::create_directories(dir_ / "shared" / "deep");
    writeFile(path("shared/deep/y.jar"), "y");
    writeFile(path("release.txt"), "r");
    fs::create_directory_symlink("../../shared", dir_ / "rt" / "lib" / "linked");
    fs::create_symlink("../release.txt", dir_ / "rt" / "release");
    ASSERT_EQ(qpkpack::kOk, pack(R"({"runtime": "rt"})")) << error_;
    std::map<std::string, std::string> expected = {{"lib\\", "/"},
                                                   {"lib\\linked\\", "/"},
                                                   {"lib\\linked\\deep\\", "/"},
                                                   {"lib\\linked\\deep\\y.jar", "y"},
                                                   {"release", "r"}};
    EXPECT_EQ(untarred(), expected);

    fs::create_directory_symlink("..", dir_ / "rt" / "lib" / "loop");
    EXPECT_EQ(qpkpack::kFailed, pack(R"({"runtime": "rt"})"));
    EXPECT_EQ(0u, error_.find("runtime: \"" + (dir_ / "rt" / "lib" / "loop").string() + "\" is a link to")) << error_;
}
#endif

}  // namespace
}  // namespace packertest
