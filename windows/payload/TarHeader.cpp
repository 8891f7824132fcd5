#include "payload/TarHeader.h"

#include <cstring>

#include "payload/SafeNames.h"

namespace qpk {

namespace {

constexpr size_t kNameField = 100;
constexpr size_t kSizeOffset = 124;
constexpr size_t kTypeOffset = 156;
constexpr size_t kMagicOffset = 257;
constexpr size_t kPrefixOffset = 345;
constexpr size_t kPrefixField = 155;

// Only POSIX ustar ("ustar" and a NUL) has the prefix field; GNU tar ("ustar  ") keeps times
// there.
bool hasNamePrefix(const unsigned char* header) { return header[kMagicOffset + 5] == '\0'; }

// The pax keys that would change what is written: another name, another data size, or data
// that is not the file's contents (GNU sparse files).
bool changesTheEntry(const std::string& key) {
    return key == "path" || key == "size" || key.compare(0, 11, "GNU.sparse.") == 0;
}

// Pax records, "<length> <key>=<value>\n" each; the first key that changes the entry, or
// false when the data is not made of such records.
bool findUnsupportedPaxKey(const std::string& data, std::string& key) {
    size_t at = 0;
    while (at < data.size()) {
        size_t blank = data.find(' ', at);
        if (blank == std::string::npos || blank == at || blank - at > 5) return false;
        size_t length = 0;
        for (size_t i = at; i < blank; ++i) {
            if (data[i] < '0' || data[i] > '9') return false;
            length = length * 10 + size_t(data[i] - '0');
        }
        // At least the digits, a blank, a one-letter key, "=" and the line end.
        if (length > data.size() - at || length < blank - at + 4 || data[at + length - 1] != '\n') return false;
        size_t equals = data.find('=', blank + 1);
        if (equals == std::string::npos || equals == blank + 1 || equals >= at + length - 1) return false;
        std::string found = data.substr(blank + 1, equals - blank - 1);
        if (changesTheEntry(found)) {
            key = found;
            return true;
        }
        at += length;
    }
    key.clear();
    return true;
}

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

    // A pax header: read, so that a record that would change the next entries is not
    // silently passed over.
    bool paxHeader(int64_t size) {
        const char* field = reinterpret_cast<const char*>(header);
        std::string name(field, strnlen(field, kNameField));
        if (uint64_t(size) > kTarPaxMax) return fail(TarFailure::PaxUnreadable, name);
        std::string data(size_t(size), '\0');
        if (size > 0 && in.read(&data[0], unsigned(size)) != long(size)) return fail(TarFailure::PaxUnreadable, name);
        std::string key;
        if (!findUnsupportedPaxKey(data, key)) return fail(TarFailure::PaxUnreadable, name);
        if (!key.empty()) return fail(TarFailure::PaxUnsupported, key);
        return in.skip(paddingAfter(size)) || fail(TarFailure::PaddingFailed, name);
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
        } else if (header[kTypeOffset] == 'x' || header[kTypeOffset] == 'g') {
            return paxHeader(size);
        } else {
            const char* field = reinterpret_cast<const char*>(header);
            name.assign(field, strnlen(field, kNameField));
            if (hasNamePrefix(header) && header[kPrefixOffset] != 0) {
                const char* prefix = reinterpret_cast<const char*>(header + kPrefixOffset);
                name = std::string(prefix, strnlen(prefix, kPrefixField)) + "/" + name;
            }
            for (char& c : name)
                if (c == '/') c = '\\';
        }
        name = withoutDotParts(name);
        char type = char(header[kTypeOffset]);
        if (type == '5') {
            // "./", the archive's own top, is the target directory itself.
            if (!name.empty()) {
                if (!isSafeRelativePath(name, true)) return fail(TarFailure::UnsafeName, name);
                sink.directory(name);
            }
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
        case TarFailure::PaxUnsupported: return L"pax record not supported (write the archive as GNU tar or ustar)";
        case TarFailure::PaxUnreadable: return L"pax header cannot be read";
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

std::string withoutDotParts(const std::string& name) {
    std::string out;
    for (size_t at = 0; at < name.size();) {
        size_t end = name.find_first_of("\\/", at);
        size_t next = end == std::string::npos ? name.size() : end + 1;
        if (name.compare(at, next - at - (end == std::string::npos ? 0 : 1), ".") != 0)
            out.append(name, at, next - at);
        at = next;
    }
    return out;
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
