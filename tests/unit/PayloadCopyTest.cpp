#include <windows.h>

#include <gtest/gtest.h>

#include "common/Owned.h"
#include "payload/BlockFormat.h"
#include "payload/Extraction.h"

using namespace qpk;

namespace {

std::string masked(std::string bytes) {
    for (char& c : bytes) c = char(c ^ kPayloadMask);
    return bytes;
}

std::string record(const std::string& plain, int64_t length) {
    std::string r;
    for (int i = 0; i < 8; ++i) r += char(uint64_t(length) >> (8 * i) & 0xFF);
    return r + masked(plain);
}

class PayloadCopy : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        path_ = std::string(dir) + "qpk-copy-" + std::to_string(GetCurrentProcessId()) + ".bin";
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

    UniqueFile open(DWORD access) {
        return UniqueFile(CreateFileA(path_.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    std::string contents() {
        UniqueFile f = open(GENERIC_READ);
        std::string out;
        char buffer[65536];
        DWORD n = 0;
        while (ReadFile(f.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
        return out;
    }
    std::string path_;
};

}  // namespace

TEST_F(PayloadCopy, UnmasksAcrossReadsAndStopsAtTheLength) {
    std::string plain;
    for (size_t i = 0; i < 3 * kCopyChunk + 7; ++i) plain += char(i * 7 % 256);
    MemorySource source(masked(plain) + "behind");
    {
        UniqueFile target = open(GENERIC_WRITE);
        ASSERT_EQ(copyMasked(source, target.get(), int64_t(plain.size()), true), kExtractOk);
    }
    std::string copied = contents();
    EXPECT_EQ(copied.size(), plain.size());
    EXPECT_TRUE(copied == plain) << "the bytes differ";
    EXPECT_EQ(source.position(), plain.size()) << "what follows the record is not read";

    MemorySource raw("as is");
    {
        UniqueFile target = open(GENERIC_WRITE);
        ASSERT_EQ(copyMasked(raw, target.get(), 5, false), kExtractOk);
    }
    EXPECT_EQ(contents().substr(0, 5), "as is");
}

TEST_F(PayloadCopy, ShortSourceIsAReadFailureAndAFailingTargetAWriteFailure) {
    MemorySource shortSource(masked("abcd"));
    {
        UniqueFile target = open(GENERIC_WRITE);
        EXPECT_EQ(copyMasked(shortSource, target.get(), 10, true), kExtractReadFailed);
    }
    EXPECT_EQ(contents(), "abcd") << "what could be read is written";

    MemorySource source(masked("abcd"));
    UniqueFile readOnly = open(GENERIC_READ);
    EXPECT_EQ(copyMasked(source, readOnly.get(), 4, true), kExtractWriteFailed);
}

TEST_F(PayloadCopy, RecordsOfLengthZeroOrLessCreateNoFile) {
    for (int64_t length : {int64_t(0), int64_t(-5)}) {
        MemorySource source(record("", length) + "next");
        EXPECT_EQ(extractOne(source, path_), kExtractOk);
        EXPECT_EQ(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES) << length;
        EXPECT_EQ(source.position(), 8u) << "only the length is consumed";
    }
    MemorySource source(record("xyz", 3));
    EXPECT_EQ(extractOne(source, path_), kExtractOk);
    EXPECT_EQ(contents(), "xyz");
}
