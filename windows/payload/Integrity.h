// The integrity check of the payload: the CRC-32 stored in the block header against the
// bytes of the checked range, read back from the executable's own file.
#pragma once
#include <windows.h>

#include <cstddef>

namespace qpk {

// The checked range is read in chunks of at most this many bytes. Each ReadFile has a fixed
// cost under Wine: with 12000-byte reads the check ran at about 55 % of crc32's own speed,
// with 64 KiB at 60-75 %, with 1 MiB at 80-94 % (bench/run; the machine's figures vary).
constexpr size_t kIntegrityChunk = 1048576;

// Returns when the payload is intact or the check is not wanted (switched off, or the
// block's flag says so); otherwise shows message 20016 (also in quiet runs) and ends the
// process with exit code 1. With a dialog, its progress bar (control 1001) follows the check.
void verifyIntegrity(HWND dialog);

}  // namespace qpk
