// Throughput of untarring the runtime archive that this program carries (bench/run packs
// it with the real Java 11 runtime through "runtime"), against zlib's gzip decompression
// of the same archive into memory alone, and between the two the tar reader walking the
// archive without writing files (so the difference to untarGz is what the files cost). All
// in uncompressed MiB/s, best of a few rounds taken in turns.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "launcher/CommandLine.h"
#include "launcher/LauncherState.h"
#include "launcher/Preprocess.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"
#include "payload/Extraction.h"
#include "payload/GzTarStream.h"
#include "payload/RuntimeArchive.h"

using namespace qpk;

namespace {

constexpr int kRounds = 5;

double seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

[[noreturn]] void fail(const char* what) {
    fprintf(stderr, "untar_bench: %s (%lu)\n", what, GetLastError());
    ExitProcess(3);
}

// The whole archive decompressed into `memory`; returns the uncompressed size.
size_t decompress(const char* archive, std::vector<char>& memory) {
    gzFile in = gzopen(archive, "rb");
    if (in == nullptr) fail("cannot open the archive");
    gzbuffer(in, 1 << 17);
    size_t total = 0;
    int got = 1;
    while (total < memory.size() && got > 0) {
        got = gzread(in, memory.data() + total, unsigned(std::min<size_t>(memory.size() - total, 1 << 20)));
        if (got > 0) total += size_t(got);
    }
    gzclose(in);
    return total;
}

// Reads every file's data as the untarring does, into a buffer instead of a file.
class ReadingSink final : public TarSink {
public:
    void directory(const std::string&) override {}
    bool file(TarStream& in, const std::string&, int64_t size) override {
        while (size > 0) {
            unsigned want = size < int64_t(buffer_.size()) ? unsigned(size) : unsigned(buffer_.size());
            if (in.read(buffer_.data(), want) != long(want)) return false;
            size -= want;
        }
        return true;
    }

private:
    std::vector<char> buffer_ = std::vector<char>(kTarCopyChunk);
};

bool walk(const char* archive) {
    GzTarStream in(archive);
    ReadingSink sink;
    return in.isOpen() && untarEntries(in, sink).done;
}

}  // namespace

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    createPrivateTempDir();
    SetCurrentDirectoryA(gState.tempDir.c_str());
    if (extractFiles() != kExtractOk) fail("extraction failed");
    long tarSize = getInt(151);
    if (tarSize <= 0) fail("entry 151 holds no archive size");

    std::vector<char> memory(size_t(tarSize) + 1);
    double fastest[3] = {1e30, 1e30, 1e30};
    for (int i = 0; i < kRounds; ++i) {
        double start = seconds();
        if (decompress("jre.tar.gz", memory) != size_t(tarSize)) fail("the archive's size differs from entry 151");
        fastest[0] = std::min(fastest[0], seconds() - start);

        start = seconds();
        if (!walk("jre.tar.gz")) fail("the tar reader failed");
        fastest[2] = std::min(fastest[2], seconds() - start);

        std::string target = "jre" + std::to_string(i);
        CreateDirectoryA(target.c_str(), nullptr);
        start = seconds();
        if (!untarGz("jre.tar.gz", target, nullptr, tarSize)) fail("untarring failed");
        fastest[1] = std::min(fastest[1], seconds() - start);
    }
    double mib = double(tarSize) / (1024.0 * 1024.0);
    printf("archive: %ld bytes uncompressed; best of %d\n", tarSize, kRounds);
    printf("gzip into memory %8.1f MiB/s\n", mib / fastest[0]);
    printf("tar reader alone %8.1f MiB/s  %5.1f %% of gzip into memory\n", mib / fastest[2],
           100 * fastest[0] / fastest[2]);
    printf("untarGz          %8.1f MiB/s  %5.1f %% of gzip into memory (aim 80 %%)\n", mib / fastest[1],
           100 * fastest[0] / fastest[1]);
    return 0;
}
