// The uncompressed bytes of a gzip file through zlib's gzip reader, as the tar reader reads
// them: in the launcher (the runtime archive) and in the packer (checking one).
#pragma once
#include <zlib.h>

#include <string>

#include "payload/TarHeader.h"

namespace qpk {

class GzTarStream final : public TarStream {
public:
    explicit GzTarStream(const std::string& path);
    ~GzTarStream() override;
    GzTarStream(const GzTarStream&) = delete;
    GzTarStream& operator=(const GzTarStream&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool atEnd() override;
    long read(void* out, unsigned count) override;
    // Reads through the data: a gzseek past the end would only show at the next read, where
    // it could not be told from the archive's regular end.
    bool skip(uint64_t count) override;
    uint64_t position() override;
    // Reads to the end of the data; false on a read error.
    bool drain();

private:
    gzFile file_;
    char scratch_[32768];
};

}  // namespace qpk
