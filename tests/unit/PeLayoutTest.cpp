#include <gtest/gtest.h>

#include "payload/PeLayout.h"

using namespace qpk;

namespace {

void put32(std::string& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = char((v >> (8 * k)) & 0xff);
}
void put16(std::string& b, size_t at, uint16_t v) {
    b[at] = char(v & 0xff);
    b[at + 1] = char(v >> 8);
}

// Headers of an image whose last section header says: raw data of 0x200 bytes at 0x400.
std::string fakeImage() {
    std::string b(0x600, '\0');
    put32(b, 60, 0x80);
    put16(b, 0x80 + 6, 2);
    put16(b, 0x80 + 20, 0xF0);
    size_t last = 0x80 + 0xF0 + 40 * 2 - 16;
    put32(b, last + 16, 0x200);
    put32(b, last + 20, 0x400);
    return b;
}

}  // namespace

TEST(PeLayout, PayloadStartsAfterTheLastSectionsRawData) {
    MemorySource s(fakeImage());
    PeLayout pe;
    ASSERT_TRUE(readPeLayout(s, pe).ok());
    EXPECT_EQ(pe.sectionCount, 2);
    EXPECT_EQ(pe.optionalHeaderSize, 0xF0);
    EXPECT_EQ(pe.lastSectionHeader, 0x80u + 0xF0 + 40 * 2 - 16);
    EXPECT_EQ(pe.payloadStart, 0x600u);
}

TEST(PeLayout, TruncatedHeadersFailWithTheFieldsPrimitive) {
    std::string image = fakeImage();
    PeLayout pe;
    MemorySource tiny(image.substr(0, 62));
    EXPECT_EQ(readPeLayout(tiny, pe).error, ReadError::ReadInt);
    MemorySource noCount(image.substr(0, 0x86));
    EXPECT_EQ(readPeLayout(noCount, pe).error, ReadError::ReadShort);
    MemorySource noSection(image.substr(0, 0x80 + 0xF0 + 40));
    EXPECT_EQ(readPeLayout(noSection, pe).error, ReadError::ReadInt);
}
