// The integrity check of the payload: the CRC-32 stored in the block header against the
// bytes of the checked range, read back from the executable's own file.
#pragma once
#include <windows.h>

namespace qpk {

// Returns when the payload is intact or the check is not wanted (switched off, or the
// block's flag says so); otherwise shows message 20016 (also in quiet runs) and ends the
// process with exit code 1. With a dialog, its progress bar (control 1001) follows the check.
void verifyIntegrity(HWND dialog);

}  // namespace qpk
