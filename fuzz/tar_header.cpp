// The uncompressed bytes of an included runtime archive, walked entry by entry into a sink
// that reads each file's data and keeps nothing.
#include <algorithm>
#include <cstring>

#include "FuzzInput.h"
#include "payload/TarHeader.h"

namespace {

class MemoryTar final : public qpk::TarStream {
public:
    MemoryTar(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool atEnd() override { return at_ >= size_; }
    long read(void* out, unsigned count) override {
        size_t n = std::min<size_t>(count, size_ - at_);
        memcpy(out, data_ + at_, n);
        at_ += n;
        return long(n);
    }
    bool skip(uint64_t count) override {
        if (count > size_ - at_) {
            at_ = size_;
            return false;
        }
        at_ += size_t(count);
        return true;
    }
    uint64_t position() override { return at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

class DiscardingSink final : public qpk::TarSink {
public:
    void directory(const std::string&) override {}
    bool file(qpk::TarStream& in, const std::string&, int64_t size) override {
        char buffer[4096];
        for (int64_t left = size; left > 0;) {
            long got = in.read(buffer, unsigned(std::min<int64_t>(left, sizeof buffer)));
            if (got <= 0) return false;
            left -= got;
        }
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryTar in(data, size);
    DiscardingSink sink;
    qpk::TarResult result = qpk::untarEntries(in, sink);
    qpk::tarFailureText(result.failure);
    return 0;
}
