#include "payload/RuntimeArchive.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "common/Owned.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"
#include "launcher/resource.h"
#include "payload/GzTarStream.h"

namespace qpk {

namespace {

void showProgress(HWND dialog, TarStream& in, long totalSize) {
    if (dialog == nullptr || totalSize <= 0) return;  // no total: the bar keeps its place
    float share = float(in.position()) / float(totalSize) * 100.0f;
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(100 + int(share)), 0);
}

class DiskSink final : public TarSink {
public:
    DiskSink(HWND dialog, long totalSize) : dialog_(dialog), totalSize_(totalSize) {}
    void directory(const std::string& name) override {
        if (!CreateDirectoryA(name.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            logError(L"Could not create directory %S (%d)", name.c_str(), int(GetLastError()));
    }
    bool file(TarStream& in, const std::string& name, int64_t size) override {
        showProgress(dialog_, in, totalSize_);
        return extractTarEntry(in, name, size, dialog_, totalSize_);
    }

private:
    HWND dialog_;
    long totalSize_;
};

bool writeAll(HANDLE file, const char* data, DWORD count) {
    DWORD written = 0;
    return WriteFile(file, data, count, &written, nullptr) && written == count;
}

}  // namespace

bool extractTarEntry(TarStream& in, const std::string& name, int64_t size, HWND dialog, long totalSize) {
    logLine(L"extracting %S (size %d)", name.c_str(), int(size));
    UniqueFile file(
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        wchar_t text[6100];
        _snwprintf(text, 6100, L"Could not open file %S\n", name.c_str());
        text[6099] = 0;
        logError(L"%s", text);
        fatalText(text);
    }
    // Read in chunks as ever, written in batches: under Wine every write call costs.
    std::vector<char> batch(size_t(std::min<int64_t>(size, kTarWriteBatch)));
    size_t pending = 0;
    int64_t copied = 0;
    bool writeError = false;
    DWORD lastProgress = 0;
    bool first = true;
    while (copied < size) {
        unsigned want = size - copied < int64_t(kTarCopyChunk) ? unsigned(size - copied) : kTarCopyChunk;
        if (pending + want > batch.size()) {
            if (!writeAll(file.get(), batch.data(), DWORD(pending))) {
                writeError = true;
                break;
            }
            pending = 0;
        }
        long got = in.read(batch.data() + pending, want);
        if (got <= 0) break;
        pending += size_t(got);
        copied += got;
        DWORD now = GetTickCount();
        if (dialog && (first || now - lastProgress >= 200)) {
            showProgress(dialog, in, totalSize);
            lastProgress = now;
        }
        first = false;
    }
    if (!writeError && pending > 0 && !writeAll(file.get(), batch.data(), DWORD(pending))) writeError = true;
    file.reset();
    if (writeError) {
        logError(L"stream error");
        return false;
    }
    if (copied < size) {
        logError(L"sizes don't match: %d, %d", int(copied), int(size));
        return false;
    }
    return true;
}

bool untarGz(const std::string& archive, const std::string& targetDir, HWND dialog, long totalSize) {
    char remembered[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, remembered);
    GzTarStream in(archive);
    if (!in.isOpen()) {
        logError(L"Could not open gz-file");
        return false;
    }
    // Entry names are relative to the target; written anywhere else they would land in the
    // directory that was current before.
    if (n == 0 || n >= MAX_PATH || !SetCurrentDirectoryA(targetDir.c_str())) {
        logError(L"Could not change to %S (%d)", targetDir.c_str(), int(GetLastError()));
        logError(L"untaring JRE was unsuccessful");
        return false;
    }
    DiskSink sink(dialog, totalSize);
    TarResult result = untarEntries(in, sink);
    if (result.failure != TarFailure::None) {
        if (result.name.empty())
            logError(L"%s", tarFailureText(result.failure));
        else
            logError(L"%s: %S", tarFailureText(result.failure), result.name.c_str());
    }
    SetCurrentDirectoryA(remembered);
    if (result.done)
        logLine(L"untaring JRE was successful");
    else
        logError(L"untaring JRE was unsuccessful");
    return result.done;
}

}  // namespace qpk
