#include "payload/GzTarStream.h"

#include <algorithm>
#include <cstring>

namespace qpk {

GzTarStream::GzTarStream(const std::string& path) : file_(gzopen(path.c_str(), "rb")) {
    if (file_ == nullptr) {
        none_.last = none_.failed = true;
        return;
    }
    // Fewer, larger reads of the compressed file.
    gzbuffer(file_, 1 << 17);
    blocks_.reset(new ReadAhead<Block>(kInflateBlocks, [this](Block& block) { return fill(block); }));
}

GzTarStream::~GzTarStream() {
    blocks_.reset();
    if (file_ != nullptr) gzclose(file_);
}

// Copies out of zlib's own buffer, or reads a single byte, which makes zlib decompress its
// next buffer. A decompression error thus costs no byte before that buffer: the data the
// caller gets is exactly what reading in small pieces straight from zlib would give.
bool GzTarStream::fill(Block& block) {
    if (!block.data) block.data.reset(new char[kInflateBlock]);
    block.size = 0;
    while (block.size < kInflateBlock) {
        unsigned room = unsigned(kInflateBlock - block.size);
        unsigned want = file_->have > 0 ? std::min(file_->have, room) : 1;
        int got = gzread(file_, block.data.get() + block.size, want);
        if (got <= 0) {
            block.last = true;
            block.failed = got < 0;
            return false;
        }
        block.size += unsigned(got);
    }
    return true;
}

bool GzTarStream::take(char* out, uint64_t count, uint64_t& took) {
    took = 0;
    while (took < count) {
        if (offset_ == current_->size) {
            if (current_->last) {
                if (current_->failed) return false;
                past_ = true;
                return true;
            }
            current_ = &blocks_->next();
            offset_ = 0;
            continue;
        }
        size_t n = size_t(std::min<uint64_t>(count - took, current_->size - offset_));
        if (out != nullptr) memcpy(out + took, current_->data.get() + offset_, n);
        offset_ += n;
        took += n;
        position_ += n;
    }
    return true;
}

bool GzTarStream::atEnd() { return past_; }

long GzTarStream::read(void* out, unsigned count) {
    uint64_t took = 0;
    return take(static_cast<char*>(out), count, took) ? long(took) : -1;
}

bool GzTarStream::skip(uint64_t count) {
    uint64_t took = 0;
    return take(nullptr, count, took) && took == count;
}

bool GzTarStream::drain() {
    uint64_t took = 0;
    return take(nullptr, UINT64_MAX, took);
}

}  // namespace qpk
