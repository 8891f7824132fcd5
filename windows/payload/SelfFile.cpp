#include "payload/SelfFile.h"

#include <algorithm>

#include "launcher/ErrorReporting.h"
#include "launcher/ExePath.h"
#include "launcher/Log.h"

namespace qpk {

FileSource::FileSource(UniqueFile file) : file_(std::move(file)) {
    LARGE_INTEGER size;
    if (GetFileSizeEx(file_.get(), &size)) size_ = (uint64_t)size.QuadPart;
}

bool FileSource::read(void* out, size_t count, size_t& got) {
    got = 0;
    auto* dst = static_cast<char*>(out);
    while (got < count) {
        DWORD chunk = (DWORD)std::min<size_t>(count - got, 1u << 30);
        DWORD n = 0;
        if (!ReadFile(file_.get(), dst + got, chunk, &n, nullptr)) {
            lastError_ = GetLastError();
            pos_ += got;
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    pos_ += got;
    return true;
}

bool FileSource::seek(uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = (LONGLONG)position;
    if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) {
        lastError_ = GetLastError();
        return false;
    }
    pos_ = position;
    return true;
}

UniqueFile openSelf() {
    const std::wstring& path = exePathLong();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD e = GetLastError();
        logError(L"Could not open %p %d %s", file.get(), (int)e, path.c_str());
        fatalText(L"Error opening media file.");
    }
    return file;
}

void failRead(const ReadStatus& status) {
    switch (status.error) {
        case ReadError::ReadInt:
            logLine(L"error %d %d\n", (int)status.lastError, (int)status.bytesRead);
            fatalText(L"Internal Error: readInt");
        case ReadError::ReadShort:
            logLine(L"error %d\n", (int)status.lastError);
            fatalText(L"Internal Error: readShort");
        case ReadError::ReadLong:
            logLine(L"error %d\n", (int)status.lastError);
            fatalText(L"Internal Error: readLong");
        case ReadError::ReadString:
            fatalText(L"Internal Error: readString");
        case ReadError::ReadWString:
            fatalText(L"Internal Error: readWString");
        case ReadError::Magic:
        case ReadError::None:
            break;
    }
    fatalText(L"Internal Error: magic");
}

}  // namespace qpk
