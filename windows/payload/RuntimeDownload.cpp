#include "payload/RuntimeDownload.h"

#include <wininet.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>

#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "common/Sha256.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"
#include "payload/Config.h"
#include "payload/DownloadChecks.h"
#include "payload/RuntimeTexts.h"
#include "launcher/resource.h"

namespace qpk {

namespace {

constexpr DWORD kOpenFlags = INTERNET_FLAG_PASSIVE | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr int kQueryTries = 20;
constexpr int kAttempts = 3;
constexpr DWORD kReadSize = 16384;
constexpr DWORD kUpdateMillis = 500;
constexpr DWORD kCancelWaitMillis = 10000;

// Resolved once; the library stays loaded for the life of the process.
struct Wininet {
    decltype(&InternetOpenUrlW) openUrl = nullptr;
    decltype(&InternetOpenW) open = nullptr;
    decltype(&HttpQueryInfoW) queryInfo = nullptr;
    decltype(&InternetAttemptConnect) attemptConnect = nullptr;
    decltype(&InternetCloseHandle) closeHandle = nullptr;
    decltype(&InternetReadFile) readFile = nullptr;
};
Wininet wininet;

struct InternetTraits {
    using Handle = HINTERNET;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { wininet.closeHandle(h); }
};
using UniqueInternet = Owned<InternetTraits>;

// Cancel comes from the dialog's thread while the worker downloads: it sets the flag and
// closes the open request. Whichever side takes the request out of `openRequest` closes it.
std::atomic<bool> downloading{false};
std::atomic<bool> cancelled{false};
std::atomic<HINTERNET> openRequest{nullptr};

void closeRequest() {
    if (HINTERNET request = openRequest.exchange(nullptr)) wininet.closeHandle(request);
}

// The request for `address`, kept where Cancel finds it; false when it cannot be opened or
// Cancel came first.
bool openAddress(HINTERNET session, const std::wstring& address) {
    closeRequest();
    openRequest = wininet.openUrl(session, address.c_str(), nullptr, 0, kOpenFlags, 0);
    if (cancelled) closeRequest();
    return openRequest != nullptr;
}

// Sleeps, but no longer than until Cancel; false after Cancel.
bool pause(DWORD millis) {
    for (DWORD slept = 0; slept < millis && !cancelled; slept += 50) Sleep(50);
    return !cancelled;
}

// Closing a request does not end a read that waits for the server everywhere (not under
// Wine), so reads run on a reader thread: the download waits for each, or after Cancel
// leaves the reader behind. The reader holds only the request and its own buffer, never the
// partial file; whichever of the two lets go last frees what they share.
class ChunkReader {
public:
    explicit ChunkReader(HINTERNET request) : shared_(new Shared) {
        shared_->request = request;
        HANDLE thread = shared_->go && shared_->done ? CreateThread(nullptr, 0, run, shared_, 0, nullptr) : nullptr;
        if (thread == nullptr) shared_->holders = 1;  // no reader to share with
        started_ = thread != nullptr;
        if (thread) CloseHandle(thread);
    }
    ~ChunkReader() {
        shared_->quit = true;
        SetEvent(shared_->go.get());
        shared_->release();
    }
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    bool started() const { return started_; }
    const char* data() const { return shared_->buffer; }

    // At most kReadSize bytes into data(); false with the read's error, or after Cancel.
    bool read(DWORD want, DWORD& got) {
        shared_->want = want;
        SetEvent(shared_->go.get());
        while (WaitForSingleObject(shared_->done.get(), 50) == WAIT_TIMEOUT) {
            if (cancelled) {
                SetLastError(ERROR_CANCELLED);
                return false;
            }
        }
        got = shared_->got;
        SetLastError(shared_->error);
        return shared_->ok;
    }

private:
    struct Shared {
        HINTERNET request = nullptr;
        UniqueHandle go{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        UniqueHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        char buffer[kReadSize];
        DWORD want = 0, got = 0, error = 0;
        BOOL ok = FALSE;
        std::atomic<bool> quit{false};
        std::atomic<int> holders{2};
        void release() {
            if (--holders == 0) delete this;
        }
    };

    static DWORD WINAPI run(LPVOID param) {
        auto* shared = static_cast<Shared*>(param);
        while (WaitForSingleObject(shared->go.get(), INFINITE) == WAIT_OBJECT_0 && !shared->quit) {
            shared->ok = wininet.readFile(shared->request, shared->buffer, shared->want, &shared->got);
            shared->error = shared->ok ? 0 : GetLastError();
            SetEvent(shared->done.get());
        }
        shared->release();
        return 0;
    }

    Shared* shared_;
    bool started_ = false;
};

void showProgress(HWND dialog, DWORD received, DWORD length, DWORD elapsedMs) {
    std::wstring status;
    if (downloadStatus(getWide(20008), received, length, elapsedMs, status))
        SetDlgItemTextW(dialog, IDC_STATUS_LINE, status.c_str());
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(downloadPercent(received, length)), 0);
}

// Gives up on the destination: an incomplete archive must not be taken for a runtime.
void discard(UniqueFile& file, const std::string& destination) {
    file.reset();
    DeleteFileA(destination.c_str());
}

// An empty answer or an error page is no runtime archive; neither is one that differs from
// the configured digest. The file is deleted and the attempt fails.
bool arrivedIntact(const unsigned char* head, size_t headSize, Sha256* hash, const Sha256Digest* expected) {
    if (!startsLikeGzip(head, headSize)) {
        logError(L"the answer is not a gzip stream");
        return false;
    }
    if (expected == nullptr) return true;
    Sha256Digest got;
    if (!hash->finish(got)) {
        logError(L"the SHA-256 of the download could not be computed (%d)", int(GetLastError()));
        return false;
    }
    std::string gotText = sha256Hex(got), expectedText = sha256Hex(*expected);
    if (got != *expected) {
        logError(L"the SHA-256 of the download is %S, expected %S", gotText.c_str(), expectedText.c_str());
        return false;
    }
    logLine(L"SHA-256 of the download as expected: %S", gotText.c_str());
    return true;
}

bool copyUrlToFile(HWND dialog, HINTERNET request, DWORD length, const std::string& destination,
                   const Sha256Digest* expected) {
    logLine(L"file size: %d, handle %p", int(length), request);
    Sha256 hash;
    if (expected && !hash.ok()) {
        logError(L"SHA-256 is not available (%d)", int(GetLastError()));
        return false;
    }
    UniqueFile file(CreateFileA(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        logError(L"opening the destination file %S failed with error code %d", destination.c_str(),
                 int(GetLastError()));
        return false;
    }
    ChunkReader reader(request);
    if (!reader.started()) {
        discard(file, destination);
        logError(L"could not start reading (%d)", int(GetLastError()));
        return false;
    }
    const char* buffer = reader.data();
    DWORD start = GetTickCount();
    DWORD lastUpdate = start;
    DWORD received = 0;
    unsigned char head[3];
    size_t headSize = 0;
    while (received < length) {
        DWORD got = 0;
        if (!reader.read(std::min(kReadSize, length - received), got)) {
            DWORD error = GetLastError();
            discard(file, destination);
            logError(L"InternetReadFile failed with error code %d", int(error));
            return false;
        }
        if (got == 0) {
            // The server closed the connection before the announced length.
            discard(file, destination);
            logError(L"the download ended after %u of %u bytes", unsigned(received), unsigned(length));
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), buffer, got, &written, nullptr) || written != got) {
            DWORD error = GetLastError();
            discard(file, destination);
            logError(L"writing the destination file %S failed with error code %d", destination.c_str(), int(error));
            return false;
        }
        if (expected && !hash.add(buffer, got)) {
            logError(L"SHA-256 failed (%d)", int(GetLastError()));
            discard(file, destination);
            return false;
        }
        for (DWORD i = 0; i < got && headSize < sizeof head; ++i) head[headSize++] = (unsigned char)buffer[i];
        bool first = received == 0;
        received += got;
        DWORD now = GetTickCount();
        // The last block updates too, so that the bar ends full.
        if (dialog && (first || received == length || now - lastUpdate > kUpdateMillis)) {
            showProgress(dialog, received, length, now - start);
            lastUpdate = now;
        }
    }
    if (!arrivedIntact(head, headSize, &hash, expected)) {
        discard(file, destination);
        return false;
    }
    file.reset();
    logLine(L"download successful");
    return true;
}

}  // namespace

bool loadWininet() {
    if (wininet.readFile) return true;
    HMODULE library = LoadLibraryA("wininet.dll");
    if (library == nullptr) {
        logError(L"Could not load wininet.dll");
        return false;
    }
    Wininet found;
    found.openUrl = lookupFunction<decltype(found.openUrl)>(library, "InternetOpenUrlW");
    found.open = lookupFunction<decltype(found.open)>(library, "InternetOpenW");
    found.queryInfo = lookupFunction<decltype(found.queryInfo)>(library, "HttpQueryInfoW");
    found.attemptConnect = lookupFunction<decltype(found.attemptConnect)>(library, "InternetAttemptConnect");
    found.closeHandle = lookupFunction<decltype(found.closeHandle)>(library, "InternetCloseHandle");
    found.readFile = lookupFunction<decltype(found.readFile)>(library, "InternetReadFile");
    if (!found.openUrl || !found.open || !found.queryInfo || !found.attemptConnect || !found.closeHandle ||
        !found.readFile) {
        logError(L"Could not load wininet functions");
        return false;
    }
    wininet = found;
    return true;
}

bool downloadFile(HWND dialog, const std::wstring& address, const std::string& destination,
                  const Sha256Digest* expected) {
    if (dialog) SetDlgItemTextW(dialog, IDC_STATUS_LINE, getWide(20009).c_str());
    DWORD connect = wininet.attemptConnect(0);
    if (connect != 0) logError(L"InternetAttemptConnect returned %d", int(connect));
    UniqueInternet session(wininet.open(L"quillpack download agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        logError(L"InternetOpen failed with error code %d", int(GetLastError()));
        return false;
    }
    // The request is closed on every way out, before its session.
    struct RequestCloser {
        ~RequestCloser() { closeRequest(); }
    } requestCloser;
    if (!openAddress(session.get(), address)) {
        logError(L"InternetOpenUrl failed with error code %d", int(GetLastError()));
        return false;
    }
    DWORD length = 0;
    for (int n = 1;; ++n) {
        DWORD size = sizeof length;
        if (wininet.queryInfo(openRequest, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                              nullptr))
            break;
        logError(L"HttpQueryInfo (try %d) failed with error code %d", n, int(GetLastError()));
        if (!pause(300)) return false;
        if (!openAddress(session.get(), address)) {
            logError(L"InternetOpenUrl 2 failed with error code %d", int(GetLastError()));
            return false;
        }
        if (n >= kQueryTries) {
            logError(L"Giving up");
            return false;
        }
    }
    // An error page is no runtime archive: the attempt fails instead of untarring it.
    DWORD status = 0, size = sizeof status;
    if (wininet.queryInfo(openRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
        status >= 400) {
        logError(L"the server answered with status %d", int(status));
        return false;
    }
    return copyUrlToFile(dialog, openRequest, length, destination, expected);
}

void downloadRuntime(HWND dialog, const std::wstring& address) {
    // Nothing may be downloaded that nothing vouches for: its jvm.dll is loaded into this
    // process and its programs are run.
    Sha256Digest expected;
    std::string addressText = dupNarrow(kIdDownloadUrl), digestText = dupNarrow(kIdDownloadSha256);
    DownloadTrust trust = downloadTrust(addressText, digestText, expected);
    if (trust == DownloadTrust::BadDigest) {
        logError(L"entry %d is no SHA-256 digest: %S", kIdDownloadSha256, digestText.c_str());
        fatalMessage(20003);
    }
    if (trust == DownloadTrust::NeedsDigest) {
        logError(L"%S is no https:// address and no SHA-256 digest is configured", addressText.c_str());
        fatalMessage(20003);
    }
    if (trust == DownloadTrust::Digest) logLine(L"expected SHA-256: %S", sha256Hex(expected).c_str());
    if (trust == DownloadTrust::Certificate) logLine(L"no SHA-256 digest configured: the server's certificate vouches");
    if (dialog) {
        SetDlgItemTextW(dialog, IDC_MESSAGE, getWide(20001).c_str());
        SetDlgItemTextW(dialog, IDCANCEL, getWide(20012).c_str());
        ShowWindow(GetDlgItem(dialog, IDC_STATUS_LINE), SW_SHOW);
    }
    if (!loadWininet()) fatalMessage(20002);
    downloading = true;
    const Sha256Digest* check = trust == DownloadTrust::Digest ? &expected : nullptr;
    for (int attempt = 1; !downloadFile(dialog, address, "jre.tar.gz", check); ++attempt) {
        if (cancelled || !pause(1000)) {
            // The partial file is gone; the thread that cancelled ends the setup.
            logLine(L"Download canceled");
            downloading = false;
            ExitThread(0);
        }
        logError(L"Retry JRE download");
        if (attempt == kAttempts) fatalMessage(20003);
    }
    downloading = false;
    if (dialog) ShowWindow(GetDlgItem(dialog, IDC_STATUS_LINE), SW_HIDE);
}

void cancelDownload() {
    if (!downloading) return;
    logLine(L"Stopping the download");
    cancelled = true;
    closeRequest();
    for (DWORD waited = 0; downloading && waited < kCancelWaitMillis; waited += 50) Sleep(50);
    if (downloading) logError(L"the download did not stop in time");
}

}  // namespace qpk
