// Throughput of the integrity check and the file extraction on this program's own packed
// image, each against a reference over the same bytes: zlib's crc32 over the checked range
// already in memory, and CopyFileW of the extracted file. Packed like a setup with one
// large payload file (bench/run does that). Every figure is the best of a few rounds.
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/TextConvert.h"
#include "launcher/CommandLine.h"
#include "launcher/LauncherState.h"
#include "launcher/Preprocess.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"
#include "payload/Extraction.h"
#include "payload/Integrity.h"
#include "payload/SelfFile.h"

using namespace qpk;

namespace {

constexpr int kRounds = 7;

double seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

double mibPerSecond(uint64_t bytes, double took) { return double(bytes) / (1024.0 * 1024.0) / took; }

[[noreturn]] void fail(const char* what) {
    fprintf(stderr, "payload_bench: %s (%lu)\n", what, GetLastError());
    ExitProcess(3);
}

// The checked range as verifyIntegrity reads it, loaded whole for the in-memory reference.
std::vector<unsigned char> checkedRange(uint32_t& storedCrc) {
    FileSource self(openSelf());
    int32_t magic = 0, flag = 0, crc = 0;
    int64_t length = 0;
    if (!self.seek(payloadStart()) || !readInt(self, magic).ok() || !readInt(self, flag).ok() ||
        !readInt(self, crc).ok() || !readLong(self, length).ok() || length <= 0)
        fail("no checked range");
    std::vector<unsigned char> bytes(static_cast<size_t>(length));
    size_t got = 0;
    if (!self.read(bytes.data(), bytes.size(), got) || got != bytes.size()) fail("cannot read the checked range");
    storedCrc = uint32_t(crc);
    return bytes;
}

}  // namespace

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    gState.integrityCheck = true;
    createPrivateTempDir();
    SetCurrentDirectoryA(gState.tempDir.c_str());

    std::vector<std::string> names = payloadFileNames(dupNarrow(2003));
    if (names.size() != 1) fail("the benchmark setup holds exactly one file");
    std::string extracted = gState.tempDir + "\\" + names[0];
    std::wstring extractedWide = ansiToWide(extracted);
    std::wstring copy = ansiToWide(gState.tempDir + "\\copy.bin");

    uint32_t storedCrc = 0;
    std::vector<unsigned char> range = checkedRange(storedCrc);
    uint64_t checked = range.size();

    // Each measurement takes turns with its reference, so that both meet the same load on
    // the machine and the same write-back state of the file system.
    double fastest[4] = {1e30, 1e30, 1e30, 1e30};
    auto measure = [&](int which, auto work) {
        double start = seconds();
        work();
        double took = seconds() - start;
        if (took < fastest[which]) fastest[which] = took;
    };
    for (int i = 0; i < kRounds; ++i) {
        measure(0, [&] {
            if (crc32_z(crc32(0, nullptr, 0), range.data(), range.size()) != storedCrc) fail("CRC mismatch");
        });
        measure(1, [] { verifyIntegrity(nullptr); });
    }
    range = std::vector<unsigned char>();
    for (int i = 0; i < kRounds; ++i) {
        DeleteFileA(extracted.c_str());
        measure(2, [] {
            if (extractFiles() != kExtractOk) fail("extraction failed");
        });
        DeleteFileW(copy.c_str());
        measure(3, [&] {
            if (!CopyFileW(extractedWide.c_str(), copy.c_str(), FALSE)) fail("CopyFileW failed");
        });
    }
    double memoryTime = fastest[0], checkTime = fastest[1], extractTime = fastest[2], copyTime = fastest[3];
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExA(extracted.c_str(), GetFileExInfoStandard, &info)) fail("no extracted file");
    uint64_t fileSize = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;

    double memory = mibPerSecond(checked, memoryTime), check = mibPerSecond(checked, checkTime);
    double extraction = mibPerSecond(fileSize, extractTime), copied = mibPerSecond(fileSize, copyTime);
    printf("checked range %llu bytes, file %llu bytes; chunks: check %u, copy %u bytes; best of %d\n",
           (unsigned long long)checked, (unsigned long long)fileSize, unsigned(kIntegrityChunk), unsigned(kCopyChunk),
           kRounds);
    printf("crc32 in memory  %8.1f MiB/s\n", memory);
    printf("CRC pass         %8.1f MiB/s  %5.1f %% of crc32 in memory (aim 90 %%)\n", check, 100 * check / memory);
    printf("CopyFileW        %8.1f MiB/s\n", copied);
    printf("extraction       %8.1f MiB/s  %5.1f %% of CopyFileW (aim 80 %%)\n", extraction, 100 * extraction / copied);

    // A process's current directory cannot be removed.
    SetCurrentDirectoryA("..");
    emptyDirectory(gState.tempDir, false);
    RemoveDirectoryA(gState.tempDir.c_str());
    return 0;
}
