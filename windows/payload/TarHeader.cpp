#include "payload/TarHeader.h"

#include <cstring>

#include "payload/SafeNames.h"

namespace qpk {

namespace {

constexpr size_t kNameField = 100;
constexpr size_t kSizeOffset = 124;
constexpr size_t kTypeOffset = 156;
constexpr size_t kMagicOffset = 257;

uint64_t paddingAfter(int64_t size) { return (kTarBlock - uint64_t(size) % kTarBlock) % kTarBlock; }

// A size is a signed 32-bit value; anything outside that is a broken header rather
// than a size that wraps round.
bool validSize(int64_t size) { return size >= 0 && size <= INT32_MAX; }

struct Walk {
    TarStream& in;
    TarSink& sink;
    TarResult result;
    unsigned char header[kTarHeaderRead];

    bool fail(TarFailure failure, const std::string& name = std::string()) {
        result.failure = failure;
        result.name = name;
        return false;
    }

    bool longName(std::string& name, int64_t size) {
        if (uint64_t(size) > kTarLongNameMax) return fail(TarFailure::LongNameTooLong);
        char buffer[kTarLongNameMax];
        if (in.read(buffer, unsigned(size)) != long(size)) return fail(TarFailure::LongNameReadFailed);
        name.assign(buffer, strnlen(buffer, size_t(size)));
        return in.skip(paddingAfter(size)) || fail(TarFailure::LongNamePaddingFailed);
    }

    // One entry after its header; false to stop.
    bool entry() {
        int64_t size = tarSizeField(header + kSizeOffset);
        std::string name;
        if (!validSize(size)) return fail(TarFailure::BadSize);
        if (header[kTypeOffset] == 'L') {
            if (!longName(name, size)) return false;
            if (!readTarHeader(in, result.done, fileSeen, header, result.failure)) return false;
            size = tarSizeField(header + kSizeOffset);
            if (!validSize(size)) return fail(TarFailure::BadSize, name);
        } else {
            const char* field = reinterpret_cast<const char*>(header);
            name.assign(field, strnlen(field, kNameField));
            for (char& c : name)
                if (c == '/') c = '\\';
        }
        char type = char(header[kTypeOffset]);
        if (type == '5') {
            if (!isSafeRelativePath(name, true)) return fail(TarFailure::UnsafeName, name);
            sink.directory(name);
            // A directory carries no data; should one say otherwise, it is skipped rather
            // than read as the next header.
            if (!in.skip(uint64_t(size))) return fail(TarFailure::SkipFailed, name);
        } else if (type == '0') {
            if (!isSafeRelativePath(name, false)) return fail(TarFailure::UnsafeName, name);
            if (!sink.file(in, name, size)) return fail(TarFailure::ExtractFailed, name);
            fileSeen = true;
        } else if (!in.skip(uint64_t(size))) {
            return fail(TarFailure::SkipFailed, name);
        }
        return in.skip(paddingAfter(size)) || fail(TarFailure::PaddingFailed, name);
    }

    bool fileSeen = false;
};

}  // namespace

long MemoryTarStream::read(void* out, unsigned count) {
    size_t n = count < bytes_.size() - pos_ ? count : bytes_.size() - pos_;
    memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return long(n);
}

bool MemoryTarStream::skip(uint64_t count) {
    if (count > bytes_.size() - pos_) return false;
    pos_ += size_t(count);
    return true;
}

const wchar_t* tarFailureText(TarFailure failure) {
    switch (failure) {
        case TarFailure::None: return L"";
        case TarFailure::UnexpectedEof: return L"unexpected eof";
        case TarFailure::NoMagic: return L"no magic number";
        case TarFailure::ReadFailed: return L"gzread failed";
        case TarFailure::ShortHeader: return L"header ends short of 500 bytes";
        case TarFailure::HeaderSkipFailed: return L"gzseek 1 failed";
        case TarFailure::LongNameTooLong: return L"long file name over 6000 bytes";
        case TarFailure::LongNameReadFailed: return L"gzread failed for long file name";
        case TarFailure::LongNamePaddingFailed: return L"gzseek 4 failed";
        case TarFailure::BadSize: return L"bad entry size";
        case TarFailure::UnsafeName: return L"unsafe entry name";
        case TarFailure::ExtractFailed: return L"extract file failed";
        case TarFailure::SkipFailed: return L"gzseek 2 failed";
        case TarFailure::PaddingFailed: return L"gzseek 3 failed";
    }
    return L"";
}

int64_t tarSizeField(const unsigned char* field) {
    int64_t value = 0;
    bool significant = false;
    for (size_t i = 0; i < 12; ++i) {
        unsigned char c = field[i];
        if (c == 0) break;
        if (c == ' ' || (c == '0' && !significant)) {
            if (significant) break;
            continue;
        }
        significant = true;
        value = value * 8 + (int64_t(c) - 48);
    }
    return value;
}

bool readTarHeader(TarStream& in, bool& done, bool fileSeen, unsigned char* header, TarFailure& failure) {
    auto end = [&](TarFailure why) {
        done = fileSeen;
        if (!fileSeen) failure = why;
        return false;
    };
    if (in.atEnd()) return end(TarFailure::UnexpectedEof);
    long got = in.read(header, kTarHeaderRead);
    if (got < 0) {
        failure = TarFailure::ReadFailed;
        return false;
    }
    // The data may end exactly at a block boundary before the reader noticed its end.
    if (got == 0) return end(TarFailure::UnexpectedEof);
    if (size_t(got) < kTarHeaderRead) {
        failure = TarFailure::ShortHeader;
        return false;
    }
    if (memcmp(header + kMagicOffset, "ustar", 5) != 0) return end(TarFailure::NoMagic);
    if (!in.skip(kTarBlock - kTarHeaderRead)) {
        failure = TarFailure::HeaderSkipFailed;
        return false;
    }
    return true;
}

TarResult untarEntries(TarStream& in, TarSink& sink) {
    Walk walk{in, sink, {}, {}};
    while (readTarHeader(in, walk.result.done, walk.fileSeen, walk.header, walk.result.failure))
        if (!walk.entry()) break;
    if (walk.result.failure != TarFailure::None) walk.result.done = false;
    return walk.result;
}

}  // namespace qpk
