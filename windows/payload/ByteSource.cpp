#include "payload/ByteSource.h"

#include <cstring>

namespace qpk {

bool MemorySource::read(void* out, size_t count, size_t& got) {
    uint64_t left = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
    got = count < left ? count : static_cast<size_t>(left);
    if (got) std::memcpy(out, bytes_.data() + pos_, got);
    pos_ += got;
    return true;
}

bool MemorySource::seek(uint64_t position) {
    pos_ = position;
    return true;
}

}  // namespace qpk
