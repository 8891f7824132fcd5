#include "payload/Extraction.h"

#include <algorithm>

#include "common/Owned.h"
#include "launcher/ErrorReporting.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "payload/BlockFormat.h"
#include "payload/Config.h"
#include "payload/SafeNames.h"
#include "payload/SelfFile.h"

namespace qpk {

namespace {

uint32_t unextractedPos = 0;

bool writeAll(HANDLE target, const unsigned char* data, size_t count) {
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(target, data, (DWORD)count, &written, nullptr) || written == 0) {
            logError(L"WriteFile failed %d %d", (int)count, (int)GetLastError());
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

}  // namespace

std::vector<std::string> payloadFileNames(const std::string& joined) {
    std::vector<std::string> names;
    size_t from = 0;
    while (from <= joined.size()) {
        size_t end = joined.find(';', from);
        if (end == std::string::npos) end = joined.size();
        if (end > from) names.push_back(joined.substr(from, end - from));
        from = end + 1;
    }
    return names;
}

bool isSafeFileName(const std::string& name) {
    // Payload names go one directory level deep at most, and only with '\\'.
    if (name.find('/') != std::string::npos) return false;
    size_t slash = name.find('\\');
    if (slash != std::string::npos && name.find('\\', slash + 1) != std::string::npos) return false;
    return isSafeRelativePath(name, false);
}

const std::string* firstUnsafeName(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (!isSafeFileName(name)) return &name;
    return nullptr;
}

uint32_t unextractedPosition() { return unextractedPos; }

int copyMasked(ByteSource& source, HANDLE target, int64_t length, bool unmask) {
    // Small files, the usual case, need no chunk-sized buffer.
    std::vector<unsigned char> buffer(length > 0 ? (size_t)std::min<int64_t>(length, (int64_t)kCopyChunk) : 0);
    int64_t done = 0;
    size_t got = 0;
    DWORD readError = 0;
    while (done < length) {
        size_t want = (size_t)std::min<int64_t>(length - done, (int64_t)buffer.size());
        bool ok = source.read(buffer.data(), want, got);
        readError = GetLastError();
        if (!ok || got == 0) break;
        if (unmask)
            for (size_t i = 0; i < got; ++i) buffer[i] ^= kPayloadMask;
        if (!writeAll(target, buffer.data(), got)) return kExtractWriteFailed;
        done += (int64_t)got;
    }
    if (done < length) {
        logError(L"ReadFile failed %d %d %I64d", (int)got, (int)readError, done);
        return kExtractReadFailed;
    }
    return kExtractOk;
}

int extractOne(ByteSource& file, const std::string& targetPath) {
    int64_t length = 0;
    ReadStatus st = readLong(file, length);
    if (!st.ok()) failRead(st);
    logLine(L"extracting %S (size: %I64d)", targetPath.c_str(), length);
    if (length <= 0) return kExtractOk;
    UniqueFile target(CreateFileA(targetPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target) fatalMessageWith(1009, L"11");
    return copyMasked(file, target.get(), length, true);
}

int extractFiles() {
    logLine(L"extracting files");
    long count = getInt(kIdFileCount);
    logLine(L"Included files: %d", (int)count);
    if (count == 0) return kExtractOk;

    std::vector<std::string> names = payloadFileNames(dupNarrow(kIdFileNames));
    // Every name is checked before the first file is written, so a payload that would write
    // outside the private directory leaves nothing behind.
    if (const std::string* unsafe = firstUnsafeName(names)) {
        logError(L"unsafe file name %S", unsafe->c_str());
        return kExtractReadFailed;
    }
    size_t wanted = count < 0 ? 0 : (size_t)count;
    if (names.size() > wanted) names.resize(wanted);

    {
        FileSource self(openSelf());
        if (!self.seek(fileAreaStart())) {
            ReadStatus fail;
            fail.error = ReadError::ReadLong;
            fail.lastError = self.lastError();
            failRead(fail);
        }
        for (const std::string& name : names) {
            std::string target = gState.tempDir + "\\" + name;
            size_t slash = name.find('\\');
            if (slash != std::string::npos) {
                std::string dir = gState.tempDir + "\\" + name.substr(0, slash);
                logLine(L"creating directory %S", dir.c_str());
                if (!CreateDirectoryA(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                    logLine(L"failed to create directory %S", dir.c_str());
            }
            int result = extractOne(self, target);
            if (result != kExtractOk) {
                logError(L"Failed to extract %S", target.c_str());
                return result;
            }
        }
        unextractedPos = (uint32_t)self.position();
    }
    logLine(L"extracting files done");
    return kExtractOk;
}

void failExtraction(int result) {
    if (!gState.quiet) {
        int message = result == kExtractWriteFailed ? 20018 : 20016;
        MessageBoxW(gState.dialogWindow, getText(message).c_str(), getText(20013).c_str(), MB_ICONERROR);
    }
    fatalExit(1);
}

}  // namespace qpk
