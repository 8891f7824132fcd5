// The executable's own file as a byte source for the block readers.
#pragma once
#include <windows.h>

#include "common/Owned.h"
#include "payload/ByteSource.h"
#include "payload/ConfigBlock.h"

namespace qpk {

class FileSource final : public ByteSource {
public:
    explicit FileSource(UniqueFile file);
    bool read(void* out, size_t count, size_t& got) override;
    bool seek(uint64_t position) override;
    uint64_t position() const override { return pos_; }
    uint64_t size() const override { return size_; }
    uint32_t lastError() const override { return lastError_; }
    HANDLE handle() const { return file_.get(); }

private:
    UniqueFile file_;
    uint64_t pos_ = 0;
    uint64_t size_ = 0;
    uint32_t lastError_ = 0;
};

// Opens the executable for reading (sharing read and write); fatal when it cannot.
UniqueFile openSelf();

// Logs a failed read the way its primitive does and ends with that primitive's message.
[[noreturn]] void failRead(const ReadStatus& status);

}  // namespace qpk
