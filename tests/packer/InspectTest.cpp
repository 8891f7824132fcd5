// inspect: the report of a packed setup and its exit codes.
#include <nlohmann/json.hpp>

#include "Packer.h"
#include "PackerTestSupport.h"
#include "payload/BlockFormat.h"

namespace packertest {
namespace {

using Json = nlohmann::json;

class InspectTest : public PackerTest {
protected:
    void SetUp() override {
        PackerTest::SetUp();
        writeFile(path("a.jar"), "jar bytes");
        writeFile(path("b.bin"), "b");
        writeFile(path("sig.bin"), "SIGNATURE");
    }

    int packTwoFiles(const std::string& extra = "") {
        return pack(R"({"narrow": {"107": "Grüße")" + extra + R"(},
                        "wide": {"5": "日本"},
                        "languages": [{"code": "de", "wide": {"5": "Hallo"}}],
                        "files": [{"name": "a.jar", "source": "a.jar"}, {"name": "b.bin", "source": "b.bin"}],
                        "trailer": "sig.bin"})");
    }

    int run() {
        report_.clear();
        return qpkpack::inspect(out_, report_, error_);
    }

    Json report() const { return Json::parse(report_); }

    // Applies `edit` to the setup's bytes.
    template <typename Edit>
    void modify(Edit edit) {
        std::string bytes = readFile(out_);
        edit(bytes);
        writeFile(out_, bytes);
    }

    std::string report_;
};

TEST_F(InspectTest, ReportsTheBlockAndTheRecords) {
    ASSERT_EQ(qpkpack::kOk, packTwoFiles()) << error_;
    ASSERT_EQ(qpkpack::kOk, run()) << error_;
    Json r = report();
    std::string setup = readFile(out_);
    uint64_t fileArea = parsedBlock().fileAreaStart;

    EXPECT_EQ(kFakePayloadStart, r["payloadStart"]);
    EXPECT_EQ(1, r["integrity"]);
    EXPECT_EQ(r["storedCrc"], r["computedCrc"]);
    EXPECT_EQ(setup.size() - kFakePayloadStart - qpk::kCheckedRangeOffset, r["checkedLength"]);
    EXPECT_EQ(Json::parse(R"({"107": "Grüße", "2002": "2", "2003": "a.jar;b.bin"})"), r["narrow"]);
    EXPECT_EQ("日本", r["wide"]["5"]);
    EXPECT_EQ(Json::parse(R"([{"code": "de", "wide": {"5": "Hallo"}}])"), r["languages"]);
    EXPECT_EQ(fileArea, r["fileAreaStart"]);

    ASSERT_EQ(2u, r["files"].size());
    EXPECT_EQ("a.jar", r["files"][0]["name"]);
    EXPECT_EQ(9, r["files"][0]["size"]);
    EXPECT_EQ(fileArea + 8, r["files"][0]["offset"]);
    EXPECT_EQ("b.bin", r["files"][1]["name"]);
    EXPECT_EQ(1, r["files"][1]["size"]);
    EXPECT_EQ(fileArea + 8 + 9 + 8, r["files"][1]["offset"]);
    EXPECT_EQ(setup.size() - 9, r["unextractedPosition"]);  // the trailer is not a record
    EXPECT_FALSE(r.contains("truncated"));
    EXPECT_FALSE(r.contains("fileListMismatch"));
}

TEST_F(InspectTest, FlippedByteInsideTheCheckedRangeIsAMismatch) {
    ASSERT_EQ(qpkpack::kOk, packTwoFiles());
    // The first entry's id, a record's first byte and the trailer's last byte.
    uint64_t firstId = kFakePayloadStart + qpk::kCheckedRangeOffset + 4;
    uint64_t record = parsedBlock().fileAreaStart + 8;
    uint64_t last = readFile(out_).size() - 1;
    for (uint64_t at : {firstId, record, last}) {
        ASSERT_EQ(qpkpack::kOk, packTwoFiles());
        modify([&](std::string& b) { b[at] = char(b[at] ^ 1); });
        EXPECT_EQ(qpkpack::kCrcMismatch, run()) << at;
        EXPECT_NE(report()["storedCrc"], report()["computedCrc"]);
        EXPECT_EQ(0u, error_.find("stored CRC 0x")) << error_;
    }
}

TEST_F(InspectTest, BytesAppendedAfterTheCheckedRangeDoNotCount) {
    ASSERT_EQ(qpkpack::kOk, packTwoFiles());
    modify([](std::string& b) { b += "appended signature"; });
    EXPECT_EQ(qpkpack::kOk, run()) << error_;
}

TEST_F(InspectTest, CheckedRangePastTheEndIsAMismatch) {
    ASSERT_EQ(qpkpack::kOk, packTwoFiles());
    modify([](std::string& b) { b.pop_back(); });  // cuts into the trailer only
    EXPECT_EQ(qpkpack::kCrcMismatch, run());
    EXPECT_EQ(true, report()["checkedRangePastEnd"]);
    EXPECT_EQ(2u, report()["files"].size());
}

TEST_F(InspectTest, NotAPackedSetup) {
    ASSERT_EQ(qpkpack::kOk, packTwoFiles());
    modify([](std::string& b) { b[kFakePayloadStart] = 0; });
    EXPECT_EQ(qpkpack::kFailed, run());
    EXPECT_NE(std::string::npos, error_.find("no block magic at 1536")) << error_;
    EXPECT_TRUE(report_.empty());

    writeFile(out_, fakePe());  // a bare launcher
    EXPECT_EQ(qpkpack::kFailed, run());
    EXPECT_NE(std::string::npos, error_.find("the block is truncated at 1536")) << error_;

    ASSERT_EQ(qpkpack::kOk, packTwoFiles());
    modify([](std::string& b) { b.resize(kFakePayloadStart + 30); });  // inside the tables
    EXPECT_EQ(qpkpack::kFailed, run());
    EXPECT_NE(std::string::npos, error_.find("the block is truncated")) << error_;

    writeFile(out_, "plain text");
    EXPECT_EQ(qpkpack::kFailed, run());
    EXPECT_NE(std::string::npos, error_.find("is not a packed setup: no MZ signature")) << error_;
}

TEST_F(InspectTest, CountAndNamesThatDisagreeAreWalkedAsFarAsBothGo) {
    ASSERT_EQ(qpkpack::kOk, packTwoFiles(R"(, "2002": "1")"));
    ASSERT_EQ(qpkpack::kOk, run()) << error_;
    Json r = report();
    ASSERT_EQ(1u, r["files"].size());
    EXPECT_EQ("a.jar", r["files"][0]["name"]);
    EXPECT_EQ(r["files"][0]["offset"].get<uint64_t>() + 9, r["unextractedPosition"]);
    EXPECT_EQ(Json::parse(R"({"count": 1, "names": 2})"), r["fileListMismatch"]);

    ASSERT_EQ(qpkpack::kOk, packTwoFiles(R"(, "2002": "many")"));
    ASSERT_EQ(qpkpack::kOk, run()) << error_;
    EXPECT_EQ(true, report()["fileCountInvalid"]);
    EXPECT_TRUE(report()["files"].empty());
}

TEST_F(InspectTest, RecordRunningPastTheEndIsReportedAsTruncated) {
    // The trailer's bytes are taken for a third record whose length overruns the file.
    ASSERT_EQ(qpkpack::kOk, packTwoFiles(R"(, "2002": "3", "2003": "a.jar;b.bin;c")"));
    EXPECT_EQ(qpkpack::kFailed, run());
    Json r = report();
    EXPECT_EQ(true, r["truncated"]);
    EXPECT_EQ(2u, r["files"].size());
    EXPECT_EQ(readFile(out_).size() - 9, r["unextractedPosition"]);
    EXPECT_NE(std::string::npos, error_.find("file record 2 (\"c\")")) << error_;
}

}  // namespace
}  // namespace packertest
