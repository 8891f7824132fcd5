// Packing a fake launcher and reading the result back with the launcher's own parser.
#include <string>

#include "Packer.h"
#include "PackerTestSupport.h"
#include "payload/BlockFormat.h"

namespace packertest {
namespace {

using Narrow = std::vector<std::pair<int32_t, std::string>>;
using Wide = std::vector<std::pair<int32_t, std::u16string>>;

std::string allByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += char(i);
    return bytes;
}

std::string int64le(uint64_t v) {
    std::string b;
    for (int i = 0; i < 8; ++i) b += char(v >> (8 * i) & 0xFF);
    return b;
}

std::string masked(std::string bytes) {
    for (char& c : bytes) c = char(c ^ qpk::kPayloadMask);
    return bytes;
}

TEST_F(PackerTest, RoundTripKeepsTextsRecordsAndTrailer) {
    writeFile(path("a.jar"), allByteValues());
    writeFile(path("b.bin"), "");
    writeFile(path("sig.bin"), "TRAILER");
    ASSERT_EQ(qpkpack::kOk, pack(R"({
        "narrow": {"107": "Grüße €", "-3": "x"},
        "wide": {"5": "日本 𝄞"},
        "languages": [{"code": "de", "wide": {"5": "Hallo"}}, {"code": ""}],
        "files": [{"name": "a.jar", "source": "a.jar"}, {"name": "b.bin", "source": "b.bin"}],
        "trailer": "sig.bin"})")) << error_;

    std::string out = readFile(out_);
    EXPECT_EQ(fakePe(), imageWithoutChecksum(out));
    qpk::ConfigBlock block = parsedBlock();
    EXPECT_EQ(1, block.integrityFlag);
    EXPECT_EQ((Narrow{{107, "Gr\xFC\xDF\x65 \x80"}, {-3, "x"}, {2002, "2"}, {2003, "a.jar;b.bin"}}),
              block.narrow);
    EXPECT_EQ((Wide{{5, u"日本 𝄞"}}), Wide(block.wide.begin(), block.wide.begin() + 1));  // then the default messages
    ASSERT_EQ(2u, block.sections.size());
    EXPECT_EQ("de", block.sections[0].code);
    EXPECT_EQ((Wide{{5, u"Hallo"}}), block.sections[0].entries);
    EXPECT_EQ("", block.sections[1].code);
    EXPECT_TRUE(block.sections[1].entries.empty());

    std::string records = int64le(256) + masked(allByteValues()) + int64le(0);
    EXPECT_EQ(records + "TRAILER", out.substr(block.fileAreaStart));

    uint64_t checkedStart = kFakePayloadStart + qpk::kCheckedRangeOffset;
    EXPECT_EQ(int64_t(out.size() - checkedStart), block.checkedLength);
    EXPECT_EQ(crcOf(out, checkedStart, out.size() - checkedStart), block.crc);
}

TEST_F(PackerTest, DefaultsWithoutFilesOrTexts) {
    ASSERT_EQ(qpkpack::kOk, pack(R"({"integrity": false})")) << error_;
    qpk::ConfigBlock block = parsedBlock();
    EXPECT_EQ(0, block.integrityFlag);
    EXPECT_EQ((Narrow{{2002, "0"}, {2003, ""}}), block.narrow);
    EXPECT_TRUE(block.sections.empty());
    EXPECT_EQ(readFile(out_).size(), block.fileAreaStart);
}

TEST_F(PackerTest, FileListEntriesSetInTheManifestAreKept) {
    writeFile(path("a.bin"), "a");
    ASSERT_EQ(qpkpack::kOk, pack(R"({"narrow": {"2003": "x;y;z", "2002": "5"},
                                     "files": [{"name": "a", "source": "a.bin"}]})")) << error_;
    EXPECT_EQ((Narrow{{2003, "x;y;z"}, {2002, "5"}}), parsedBlock().narrow);

    ASSERT_EQ(qpkpack::kOk, pack(R"({"narrow": {"2002": "7"}, "files": [{"name": "a", "source": "a.bin"}]})"));
    EXPECT_EQ((Narrow{{2002, "7"}, {2003, "a"}}), parsedBlock().narrow);
}

TEST_F(PackerTest, AnythingAfterTheImageIsCut) {
    writeFile(launcher_, fakePe("symbol table and an old payload"));
    ASSERT_EQ(qpkpack::kOk, pack(R"({})")) << error_;
    std::string out = readFile(out_);
    EXPECT_EQ(fakePe(), imageWithoutChecksum(out));
    EXPECT_EQ(out.size(), parsedBlock().fileAreaStart);
}

TEST_F(PackerTest, RepackingASetupReplacesItsPayload) {
    writeFile(path("a.bin"), "first payload");
    ASSERT_EQ(qpkpack::kOk, pack(R"({"files": [{"name": "a", "source": "a.bin"}]})"));
    std::string fresh = readFile(out_);

    // Packing the setup again, over itself, gives what packing the bare launcher gives.
    launcher_ = out_;
    ASSERT_EQ(qpkpack::kOk, pack(R"({"files": [{"name": "a", "source": "a.bin"}]})")) << error_;
    EXPECT_EQ(fresh, readFile(out_));
}

TEST_F(PackerTest, BuildFromManifestResolvesSourcesBesideTheManifest) {
    std::filesystem::create_directories(dir_ / "m");
    writeFile(dir_ / "m" / "rel.bin", "rel");
    writeFile(path("abs.bin"), "abs");
    std::string absolute = path("abs.bin");
    for (char& c : absolute)
        if (c == '\\') c = '/';
    writeFile(dir_ / "m" / "setup.json", R"({"files": [{"name": "r", "source": "rel.bin"},
                                                       {"name": "a", "source": ")" + absolute + R"("}]})");
    ASSERT_EQ(qpkpack::kOk, qpkpack::buildFromManifest(launcher_, (dir_ / "m" / "setup.json").string(), out_, error_))
        << error_;
    std::string out = readFile(out_);
    EXPECT_EQ(int64le(3) + masked("rel") + int64le(3) + masked("abs"), out.substr(parsedBlock().fileAreaStart));

    EXPECT_EQ(qpkpack::kFailed, qpkpack::buildFromManifest(launcher_, path("none.json"), out_, error_));
    EXPECT_EQ("manifest: cannot read \"" + path("none.json") + "\"", error_);
}

TEST_F(PackerTest, NarrowTextsUseTheManifestCodePage) {
    ASSERT_EQ(qpkpack::kOk, pack(R"({"codepage": 65001, "narrow": {"1": "Grüße 中"}})")) << error_;
    EXPECT_EQ("Grüße 中", parsedBlock().narrow[0].second);
    ASSERT_EQ(qpkpack::kOk, pack(R"({"codepage": 850, "narrow": {"1": "Ø░"},
                                     "languages": [{"code": "ı"}]})")) << error_;
    qpk::ConfigBlock block = parsedBlock();
    EXPECT_EQ("\x9D\xB0", block.narrow[0].second);
    EXPECT_EQ("\xD5", block.sections[0].code);
}

}  // namespace
}  // namespace packertest
