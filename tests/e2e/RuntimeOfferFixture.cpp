#include "RuntimeOfferFixture.h"

#include <windows.h>

#include <algorithm>

#include "Utf8.h"

namespace qpke2e {

DownloadServer::DownloadServer(const std::string& dir, const std::string& script, const std::string& body)
    : portFile_(dir + "\\server.port"), log_(dir + "\\server.log") {
    // Wine starts a Unix program without a process handle to wait on: the server's files
    // tell when it listens and when it has ended.
    std::wstring command = L"\"Z:\\usr\\bin\\python3\"";
    for (const std::string& arg : {unixPath(qpktest::toWindowsPath(QPK_DOWNLOAD_SERVER)), script, unixPath(body),
                                   unixPath(portFile_), unixPath(log_), std::string("150")})
        command += L" " + qpktest::quoteArgument(qpktest::widen(arg));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\usr\\bin\\python3", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int i = 0; i < 200 && !fileExists(portFile_); ++i) Sleep(50);
    std::string port = fileExists(portFile_) ? readFile(portFile_) : std::string();
    if (port.empty()) return;
    url_ = "http://127.0.0.1:" + port + "/jre.tar.gz";
    sha256_ = readFile(portFile_ + ".sha256");
}

DownloadServer::~DownloadServer() {
    if (url_.empty()) return;
    writeFile(portFile_ + ".stop", "");
    for (int i = 0; i < 100 && !fileExists(portFile_ + ".done"); ++i) Sleep(50);
}

size_t DownloadServer::requests() const {
    std::string paths = fileExists(log_) ? readFile(log_) : std::string();
    return size_t(std::count(paths.begin(), paths.end(), '\n'));
}

void RuntimeOfferTest::packOffer(const std::string& narrow, const std::string& caption) {
    pack(R"({"narrow": {"107": "1", "2001": "q")" + narrow + R"(},
             "wide": {"1000": "Runtime Setup", "1016": "No runtime: {0}", "1020": "Unusable runtime at {0}",
                      "20001": "Downloading a runtime", "20002": "No internet functions", "20003": "Download failed",
                      "20004": "Pick java.exe", "20005": "Locate or download a %S-bit runtime.",
                      "20006": "Locate a %S-bit runtime.", "20007": "Preparing",
                      "20008": "%.1f of %.1f MB (%.0f%%) at %.0f KB/s", "20009": "Connecting",
                      "20010": "Download", "20011": "Locate", "20012": "Cancel", "20013": )" + jsonText(caption) + R"(,
                      "20019": "at least", "20020": "at most"},
             "files": )" + installerFiles() + "}");
}

}  // namespace qpke2e
