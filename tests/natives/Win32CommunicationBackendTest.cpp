// The pipe natives from real Java: blocks between two Java processes, and forged blocks from
// pipepeer, a client of ours that breaks the format on purpose.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "BuildPaths.h"
#include "NativeDriver.h"
#include "natives/BlockFraming.h"

namespace {

TEST(BlockFraming, LengthIsSignedLittleEndian) {
  const struct {
    unsigned char bytes[4];
    std::int32_t length;
  } cases[] = {{{0, 0, 0, 0}, 0},
               {{0xA0, 0x86, 0x01, 0}, 100000},
               {{0xFB, 0xFF, 0xFF, 0xFF}, -5},
               {{0xFF, 0xFF, 0xFF, 0x7F}, INT_MAX},
               {{0, 0, 0, 0x80}, INT_MIN}};
  for (const auto& c : cases) {
    EXPECT_EQ(qpk::decodeBlockLength(c.bytes), c.length);
    unsigned char encoded[4];
    qpk::encodeBlockLength(c.length, encoded);
    EXPECT_EQ(std::memcmp(encoded, c.bytes, 4), 0) << c.length;
  }
}

// A read that returns no data (or a step claiming more than asked) ends the block as failed
// instead of looping.
TEST(BlockFraming, TransferEndsAtAStepThatMovesNothing) {
  std::vector<std::size_t> offsets;
  EXPECT_TRUE(qpk::transferExactly(10, [&](std::size_t offset, std::size_t wanted) {
    offsets.push_back(offset);
    return wanted < 4 ? wanted : std::size_t{4};
  }));
  EXPECT_EQ(offsets, (std::vector<std::size_t>{0, 4, 8}));
  int calls = 0;
  EXPECT_FALSE(qpk::transferExactly(10, [&](std::size_t, std::size_t) { return ++calls == 1 ? std::size_t{4} : 0; }));
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(qpk::transferExactly(10, [](std::size_t, std::size_t) { return std::size_t{11}; }));
}

TEST(Win32CommunicationBackendNatives, DriverCases) {
  qpknatives::DriverRun run = qpknatives::runDriver("Win32CommunicationBackendDriver",
                                                    {qpktest::helperPath("pipepeer")}, 240000);
  qpknatives::expectAllPassed(run, 23);
}

}  // namespace
