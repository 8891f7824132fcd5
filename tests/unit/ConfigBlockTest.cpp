// The block reader over bytes in memory: layout, overrides and every way a file can end
// too early or lie about its lengths.
#include <gtest/gtest.h>

#include "payload/BlockFormat.h"
#include "payload/ConfigBlock.h"

using namespace qpk;

namespace {

struct Writer {
    std::string bytes;
    Writer& i32(int32_t v) {
        for (int k = 0; k < 4; ++k) bytes += char((uint32_t(v) >> (8 * k)) & 0xff);
        return *this;
    }
    Writer& i64(int64_t v) {
        for (int k = 0; k < 8; ++k) bytes += char((uint64_t(v) >> (8 * k)) & 0xff);
        return *this;
    }
    Writer& str(const std::string& s) {
        i32(int32_t(s.size()));
        bytes += s;
        return *this;
    }
    Writer& wstr(const std::u16string& s) {
        i32(int32_t(s.size() * 2));
        for (char16_t c : s) {
            bytes += char(c & 0xff);
            bytes += char(c >> 8);
        }
        return *this;
    }
    Writer& header() { return i32(int32_t(kBlockMagic)).i32(1).i32(0x1234).i64(99); }
};

// Two narrow entries, two wide, sections "de" and "" and "fr", then a file record.
std::string sampleBlock() {
    Writer w;
    w.header();
    w.i32(2).i32(107).str("1").i32(2001).str("q");
    w.i32(2).i32(1000).wstr(u"Caption").i32(20007).wstr(u"Preparing");
    w.i32(3);
    w.str("de").i32(1).i32(1000).wstr(u"Titel");
    w.str("").i32(1).i32(20007).wstr(u"Any");
    w.str("fr").i32(2).i32(1000).wstr(u"Titre").i32(5).wstr(u"x");
    w.i64(3);
    return w.bytes;
}

ReadStatus parse(const std::string& bytes, ConfigBlock& block) {
    MemorySource source(bytes);
    return parseConfigBlock(source, block);
}

}  // namespace

TEST(ConfigBlock, ReadsEveryTableInFileOrder) {
    std::string bytes = sampleBlock();
    ConfigBlock block;
    ASSERT_TRUE(parse(bytes, block).ok());
    EXPECT_EQ(block.integrityFlag, 1);
    EXPECT_EQ(block.crc, 0x1234u);
    EXPECT_EQ(block.checkedLength, 99);
    ASSERT_EQ(block.narrow.size(), 2u);
    EXPECT_EQ(block.narrow[1], (std::pair<int32_t, std::string>(2001, "q")));
    ASSERT_EQ(block.sections.size(), 3u);
    EXPECT_EQ(block.sections[2].code, "fr");
    EXPECT_EQ(block.fileAreaStart, bytes.size() - 8);
}

TEST(ConfigBlock, LanguageSectionsApplyByPrefixInFileOrder) {
    ConfigBlock block;
    ASSERT_TRUE(parse(sampleBlock(), block).ok());
    auto de = wideMap(block, "de_CH");
    EXPECT_EQ(de[1000], u"Titel");
    EXPECT_EQ(de[20007], u"Any");  // the empty code applies always
    auto plainDe = wideMap(block, "de");
    EXPECT_EQ(plainDe[1000], u"Titel");
    auto en = wideMap(block, "en_US");
    EXPECT_EQ(en[1000], u"Caption");
    EXPECT_EQ(en.count(5), 0u);
    auto fr = wideMap(block, "fr");
    EXPECT_EQ(fr[1000], u"Titre");
    EXPECT_EQ(fr[5], u"x");
    // A code longer than the locale text does not apply.
    EXPECT_FALSE(sectionApplies("de_CH", "de"));
}

TEST(ConfigBlock, LaterApplyingSectionWinsAndDuplicateIdsReplace) {
    Writer w;
    w.header();
    w.i32(2).i32(7).str("old").i32(7).str("new");
    w.i32(0);
    w.i32(2).str("d").i32(1).i32(9).wstr(u"first").str("de").i32(1).i32(9).wstr(u"second");
    ConfigBlock block;
    ASSERT_TRUE(parse(w.bytes, block).ok());
    EXPECT_EQ(narrowMap(block)[7], "new");
    EXPECT_EQ(wideMap(block, "de_AT")[9], u"second");
}

TEST(ConfigBlock, ZeroEntriesLoad) {
    Writer w;
    w.header().i32(0).i32(0).i32(0);
    ConfigBlock block;
    ASSERT_TRUE(parse(w.bytes, block).ok());
    EXPECT_TRUE(narrowMap(block).empty());
    EXPECT_TRUE(wideMap(block, "en").empty());
    EXPECT_EQ(block.fileAreaStart, w.bytes.size());
}

TEST(ConfigBlock, WrongMagicIsReported) {
    std::string bytes = sampleBlock();
    bytes[0] ^= 1;
    ConfigBlock block;
    EXPECT_EQ(parse(bytes, block).error, ReadError::Magic);
}

// Cutting the block at every byte must end in the error of the field that was cut.
TEST(ConfigBlock, EveryTruncationEndsInThePrimitiveOfTheCutField) {
    std::string bytes = sampleBlock();
    size_t end = bytes.size() - 8;  // the file record is not part of the block
    for (size_t cut = 0; cut < end; ++cut) {
        ConfigBlock block;
        ReadStatus st = parse(bytes.substr(0, cut), block);
        ASSERT_FALSE(st.ok()) << "cut at " << cut;
        ASSERT_NE(st.error, ReadError::Magic) << "cut at " << cut;
        if (cut < 4) EXPECT_EQ(st.error, ReadError::ReadInt);
        if (cut >= 12 && cut < 20) EXPECT_EQ(st.error, ReadError::ReadLong) << cut;
    }
    // Cut inside the value of entry 107: its string read fails, not the id's int.
    ConfigBlock block;
    EXPECT_EQ(parse(bytes.substr(0, 20 + 4 + 4 + 4), block).error, ReadError::ReadString);
    // Cut inside the first wide value.
    size_t wideValue = 20 + 4 + (4 + 4 + 1) * 2 + 4 + 4 + 4 + 3;
    EXPECT_EQ(parse(bytes.substr(0, wideValue), block).error, ReadError::ReadWString);
}

TEST(ConfigBlock, LengthsBeyondTheDataAreShortReadsNotAllocations) {
    for (int32_t length : {0x7fffffff, -1, 100}) {
        Writer w;
        w.header().i32(1).i32(1).i32(length).bytes += "abc";
        ConfigBlock block;
        ReadStatus st = parse(w.bytes, block);
        EXPECT_EQ(st.error, ReadError::ReadString) << length;
        Writer v;
        v.header().i32(0).i32(1).i32(1).i32(length).bytes += "abcd";
        EXPECT_EQ(parse(v.bytes, block).error, ReadError::ReadWString) << length;
    }
}

TEST(ConfigBlock, HugeCountsStopAtTheEndOfData) {
    Writer w;
    w.header().i32(0x7fffffff).i32(1).str("a");
    ConfigBlock block;
    EXPECT_EQ(parse(w.bytes, block).error, ReadError::ReadInt);
    EXPECT_EQ(block.narrow.size(), 1u);
}

TEST(ConfigBlock, OddWideLengthDropsTheLastByte) {
    Writer w;
    w.header().i32(0).i32(1).i32(4).i32(3);
    w.bytes += std::string("A\0B", 3);
    w.i32(0);
    ConfigBlock block;
    ASSERT_TRUE(parse(w.bytes, block).ok());
    EXPECT_EQ(block.wide[0].second, u"A");
}

TEST(ReadPrimitives, LittleEndianAndSigned) {
    MemorySource s(std::string("\xfe\xff\xff\xff\x01\x80\x02\x00\x00\x00\x00\x00\x00\x80", 14));
    int32_t i = 0;
    int16_t h = 0;
    int64_t l = 0;
    ASSERT_TRUE(readInt(s, i).ok());
    ASSERT_TRUE(readShort(s, h).ok());
    ASSERT_TRUE(readLong(s, l).ok());
    EXPECT_EQ(i, -2);
    EXPECT_EQ(h, int16_t(0x8001));
    EXPECT_EQ(uint64_t(l), 0x8000000000000002ull);
    ReadStatus st = readShort(s, h);
    EXPECT_EQ(st.error, ReadError::ReadShort);
    EXPECT_EQ(st.bytesRead, 0u);
}
