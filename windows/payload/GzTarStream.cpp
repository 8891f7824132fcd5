#include "payload/GzTarStream.h"

namespace qpk {

GzTarStream::GzTarStream(const std::string& path) : file_(gzopen(path.c_str(), "rb")) {
    // Fewer, larger reads of the compressed file.
    if (file_ != nullptr) gzbuffer(file_, 1 << 17);
}

GzTarStream::~GzTarStream() {
    if (file_ != nullptr) gzclose(file_);
}

bool GzTarStream::atEnd() { return gzeof(file_) != 0; }

long GzTarStream::read(void* out, unsigned count) {
    int got = gzread(file_, out, count);
    return got < 0 ? -1 : long(got);
}

bool GzTarStream::skip(uint64_t count) {
    while (count > 0) {
        unsigned want = count < sizeof scratch_ ? unsigned(count) : unsigned(sizeof scratch_);
        if (gzread(file_, scratch_, want) != int(want)) return false;
        count -= want;
    }
    return true;
}

uint64_t GzTarStream::position() {
    z_off_t at = gztell(file_);
    return at < 0 ? 0 : uint64_t(at);
}

bool GzTarStream::drain() {
    int got;
    while ((got = gzread(file_, scratch_, sizeof scratch_)) > 0) {
    }
    return got == 0;
}

}  // namespace qpk
