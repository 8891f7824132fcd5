// The uncompressed bytes of a gzip file through zlib's gzip reader, as the tar reader reads
// them: in the launcher (the runtime archive) and in the packer (checking one). A thread of
// its own decompresses ahead into a few large blocks while the caller takes what is ready
// and writes it, so that decompression and the file system work at the same time.
#pragma once
#include <zlib.h>

#include <memory>
#include <string>

#include "common/ReadAhead.h"
#include "payload/TarHeader.h"

namespace qpk {

// Decompressed data waits in at most this many blocks of this size: enough to go on
// decompressing through a run of small files (a runtime's legal notices), which cost the
// writer a file creation each but bring little data.
constexpr size_t kInflateBlock = 1 << 20;
constexpr size_t kInflateBlocks = 16;

class GzTarStream final : public TarStream {
public:
    explicit GzTarStream(const std::string& path);
    ~GzTarStream() override;
    GzTarStream(const GzTarStream&) = delete;
    GzTarStream& operator=(const GzTarStream&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // As zlib's gzeof: true once a read or skip asked for more than the data held.
    bool atEnd() override;
    // As gzread: short at the end of the data, -1 once a read reaches a decompression error.
    long read(void* out, unsigned count) override;
    // Reads through the data: a gzseek past the end would only show at the next read, where
    // it could not be told from the archive's regular end.
    bool skip(uint64_t count) override;
    uint64_t position() override { return position_; }
    // Reads to the end of the data; false on a read error.
    bool drain();

private:
    struct Block {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        bool last = false;    // no data follows
        bool failed = false;  // ... because decompression failed there
    };

    bool fill(Block& block);
    // Takes up to `count` bytes, into `out` when given; false when it came to a
    // decompression error.
    bool take(char* out, uint64_t count, uint64_t& took);

    gzFile file_;
    Block none_;                              // before the first block, or without a file
    Block* current_ = &none_;
    size_t offset_ = 0;                       // into *current_
    bool past_ = false;
    uint64_t position_ = 0;
    std::unique_ptr<ReadAhead<Block>> blocks_;  // last: stopped before the file is closed
};

}  // namespace qpk
