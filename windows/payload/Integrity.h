// The integrity check of the payload: the CRC-32 stored in the block header against the
// bytes of the checked range, read back from the executable's own file.
#pragma once
#include <windows.h>

#include <cstddef>

namespace qpk {

// The checked range is read in chunks of at most this many bytes, on a thread of its own
// that stays at most kIntegrityChunks - 1 chunks ahead of the CRC. Each ReadFile has a fixed
// cost under Wine: with 12000-byte reads the check ran at about 55 % of crc32's own speed,
// with 1 MiB read in turns with the CRC at 60-80 %, read ahead at 75-95 % (bench/run; the
// machine's figures vary).
constexpr size_t kIntegrityChunk = 1048576;
constexpr size_t kIntegrityChunks = 3;

// Returns when the payload is intact or the check is not wanted (switched off, or the
// block's flag says so); otherwise shows message 20016 (also in quiet runs) and ends the
// process with exit code 1. With a dialog, its progress bar (control 1001) follows the check.
void verifyIntegrity(HWND dialog);

}  // namespace qpk
