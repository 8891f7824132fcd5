#include "payload/Integrity.h"

#include <commctrl.h>
#include <zlib.h>

#include <algorithm>
#include <vector>

#include "common/ReadAhead.h"
#include "launcher/ErrorReporting.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "payload/BlockFormat.h"
#include "payload/Config.h"
#include "payload/SelfFile.h"

namespace qpk {

namespace {

constexpr int kProgressBar = 1001;

void require(const ReadStatus& status) {
    if (!status.ok()) failRead(status);
}

struct Chunk {
    std::vector<unsigned char> bytes;
    size_t got = 0;
    bool ok = false;
    DWORD error = 0;
};

// CRC-32 of the next `length` bytes; a read that fails or ends early is a fatal internal error.
uint32_t checksum(FileSource& self, int64_t length, HWND dialog) {
    uLong crc = crc32(0, nullptr, 0);
    if (length <= 0) return uint32_t(crc);
    // The file is read on a thread of its own, a chunk or two ahead of the CRC.
    int64_t requested = 0;
    ReadAhead<Chunk> chunks(kIntegrityChunks, [&](Chunk& chunk) {
        chunk.bytes.resize(kIntegrityChunk);
        size_t want = size_t(std::min<int64_t>(length - requested, int64_t(kIntegrityChunk)));
        chunk.ok = self.read(chunk.bytes.data(), want, chunk.got);
        chunk.error = GetLastError();
        requested += int64_t(chunk.got);
        return chunk.ok && chunk.got > 0 && requested < length;
    });
    int64_t done = 0;
    int shown = 0;
    while (done < length) {
        Chunk& chunk = chunks.next();
        if (!chunk.ok || chunk.got == 0) {
            logError(L"check ReadFile failed %d %d %I64d", (int)chunk.got, (int)chunk.error, done);
            fatalMessageWith(1009, L"34");
        }
        crc = crc32(crc, chunk.bytes.data(), (uInt)chunk.got);
        done += (int64_t)chunk.got;
        if (dialog != nullptr) {
            int percent = (int)(done * 100 / length);
            if (percent > shown) {
                shown = percent;
                SendDlgItemMessageW(dialog, kProgressBar, PBM_SETPOS, (WPARAM)percent, 0);
            }
        }
    }
    return (uint32_t)crc;
}

// True when the block is intact or not to be checked. Closes the file before returning.
bool payloadIntact(HWND dialog) {
    FileSource self(openSelf());
    uint64_t start = payloadStart();
    if (!self.seek(start)) {
        ReadStatus fail;
        fail.error = ReadError::ReadInt;
        fail.lastError = self.lastError();
        failRead(fail);
    }
    logLine(L"starting at %d", (int)start);

    int32_t magic = 0;
    if (!readInt(self, magic).ok() || (uint32_t)magic != kBlockMagic) return false;
    int32_t flag = 0;
    require(readInt(self, flag));
    if (gState.integrityCheck && flag != 0) {
        int32_t expected = 0;
        int64_t length = 0;
        require(readInt(self, expected));
        require(readLong(self, length));
        logLine(L"verifying integrity length %I64d", length);
        uint32_t computed = checksum(self, length, dialog);
        logLine(L"checksums: %u %u %d %d", computed, (uint32_t)expected, (int)computed, (int)expected);
        return computed == (uint32_t)expected;
    }
    if (dialog != nullptr) {
        SendDlgItemMessageW(dialog, kProgressBar, PBM_SETRANGE, 0, MAKELPARAM(100, 400));
        SendDlgItemMessageW(dialog, kProgressBar, PBM_SETPOS, 101, 0);
    }
    return true;
}

}  // namespace

void verifyIntegrity(HWND dialog) {
    if (payloadIntact(dialog)) return;
    // A damaged download must be reported even when the user asked for silence.
    MessageBoxW(dialog, getText(20016).c_str(), getText(20013).c_str(), MB_ICONERROR);
    fatalExit(1);
}

}  // namespace qpk
