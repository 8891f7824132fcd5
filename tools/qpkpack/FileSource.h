// A byte source over a file on disk, read in place so that large setups never have to sit
// in memory.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include "payload/ByteSource.h"

namespace qpkpack {

class FileSource final : public qpk::ByteSource {
public:
    bool open(const std::filesystem::path& path);
    bool read(void* out, size_t count, size_t& got) override;
    bool seek(uint64_t position) override;
    uint64_t position() const override { return pos_; }
    uint64_t size() const override { return size_; }

private:
    std::ifstream in_;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
};

// All of a regular file's bytes (a manifest, an icon); false when it cannot be read.
bool readWholeFile(const std::filesystem::path& path, std::string& out);

}  // namespace qpkpack
