// Reading the tar archive of an included runtime: 500-byte header reads, the size-field
// rule, GNU 'L' long names, ustar name prefixes, directories and regular files. Pure over a
// byte stream (zlib's gzip reader in the launcher, memory in the tests and the fuzzer);
// what an entry becomes on disk is left to a sink.
#pragma once
#include <cstdint>
#include <string>

namespace qpk {

constexpr size_t kTarBlock = 512;
constexpr size_t kTarHeaderRead = 500;  // only this much of each header is read
constexpr size_t kTarLongNameMax = 6000;
constexpr size_t kTarPaxMax = 65536;  // a pax header's records

// The archive's uncompressed bytes.
class TarStream {
public:
    virtual ~TarStream() = default;
    virtual bool atEnd() = 0;
    // Bytes read (fewer at the end of the data), or -1 on a read error.
    virtual long read(void* out, unsigned count) = 0;
    // Skips `count` bytes; false when they are not all there or on an error.
    virtual bool skip(uint64_t count) = 0;
    // Uncompressed bytes consumed so far.
    virtual uint64_t position() = 0;
};

// An archive already in memory (tests, fuzzing).
class MemoryTarStream final : public TarStream {
public:
    explicit MemoryTarStream(std::string bytes) : bytes_(std::move(bytes)) {}
    bool atEnd() override { return pos_ >= bytes_.size(); }
    long read(void* out, unsigned count) override;
    bool skip(uint64_t count) override;
    uint64_t position() override { return pos_; }

private:
    std::string bytes_;
    size_t pos_ = 0;
};

// What the entries become.
class TarSink {
public:
    virtual ~TarSink() = default;
    virtual void directory(const std::string& name) = 0;
    // Reads exactly `size` bytes of the entry from `in`; false when that failed.
    virtual bool file(TarStream& in, const std::string& name, int64_t size) = 0;
};

// Why an untarring stopped. Each has its own log line (tarFailureText).
enum class TarFailure {
    None,
    UnexpectedEof,     // the data ended before any regular file
    NoMagic,           // an end block (no "ustar") before any regular file
    ReadFailed,        // a header read failed
    ShortHeader,       // the data ended inside a header
    HeaderSkipFailed,  // the 12 bytes after a header's first 500
    LongNameTooLong,
    LongNameReadFailed,
    LongNamePaddingFailed,
    BadSize,           // negative, or beyond a signed 32-bit size
    UnsafeName,        // a name that would be written outside the target directory
    ExtractFailed,
    SkipFailed,        // the data of an entry of another type
    PaddingFailed,
    PaxUnsupported,    // a pax record that changes a name or the data (path, size, sparse)
    PaxUnreadable,     // a pax header too large, cut short or not made of records
};

const wchar_t* tarFailureText(TarFailure failure);

// The size field (12 bytes at offset 124): leading blanks and zeros skipped, a NUL ends
// it, so does a blank after the first significant digit; every other character c makes
// v = v * 8 + (c - 48), unchecked. In 64 bits, so a field outside 0..INT32_MAX shows as such.
int64_t tarSizeField(const unsigned char* field);

// One header into `header` (500 bytes; the rest of the block is skipped). False at the
// end of the archive (end of data or a block without "ustar"), where `done` becomes
// `fileSeen` and `failure` says why when no file was seen; false on a failure too.
bool readTarHeader(TarStream& in, bool& done, bool fileSeen, unsigned char* header, TarFailure& failure);

struct TarResult {
    bool done = false;  // the archive ended after at least one regular file, no failure
    TarFailure failure = TarFailure::None;
    std::string name;   // the entry at which it failed, when known
};

// "." parts of an entry name dropped with the separator after them ("./bin/x" is "bin/x",
// "./" is ""); everything else, ".." and empty parts included, is left for the name rule.
std::string withoutDotParts(const std::string& name);

// Walks the archive: names of regular files and directories, "." parts dropped, are checked
// by isSafeRelativePath before the sink sees them; a directory entry that names the target
// itself ("./") is passed over. A pax header whose records would change a name or the data
// fails the walk (it is not read); other pax headers and entry types are skipped.
TarResult untarEntries(TarStream& in, TarSink& sink);

}  // namespace qpk
