// A positioned byte stream: what the block parsers read from. The launcher backs it with
// its own executable file, the packer with a std::ifstream, the tests with memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qpk {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `count` bytes into `out`; `got` receives how many were read.
    // Returns false on an I/O error (end of data is a short read, not an error).
    virtual bool read(void* out, size_t count, size_t& got) = 0;
    virtual bool seek(uint64_t position) = 0;
    virtual uint64_t position() const = 0;
    virtual uint64_t size() const = 0;
    // The platform error code of the last failed operation (0 when unknown).
    virtual uint32_t lastError() const { return 0; }
};

// A source over bytes already in memory (tests, fuzzing).
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    bool read(void* out, size_t count, size_t& got) override;
    bool seek(uint64_t position) override;
    uint64_t position() const override { return pos_; }
    uint64_t size() const override { return bytes_.size(); }

private:
    std::string bytes_;
    uint64_t pos_ = 0;
};

}  // namespace qpk
