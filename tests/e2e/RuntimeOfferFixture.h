// Setups that find no runtime and are offered one: downloaded from a scripted HTTP server on
// 127.0.0.1, or located by hand. The Java stand-in's record shows that a setup got to its end.
#pragma once
#include <string>
#include <vector>

#include "JavaInstallerFixture.h"

namespace qpke2e {

// The Java 11 runtime's home as a gzip-compressed GNU tar, as a download serves it.
inline std::string runtimeArchive() { return qpktest::toWindowsPath(QPK_JRE11_ARCHIVE); }

// download_server.py for one test, started by Wine as the Unix program it is. It serves
// `body` by `script` (whole, break, nolength, empty, missing, slow, stall) and ends with
// the test.
class DownloadServer {
public:
    DownloadServer(const std::string& dir, const std::string& script, const std::string& body);
    ~DownloadServer();
    // "http://127.0.0.1:PORT/jre.tar.gz", or empty when the server did not start.
    const std::string& url() const { return url_; }
    // The paths asked for so far, one per request.
    size_t requests() const;
    // The SHA-256 of `body` in hexadecimal, as the server computed it.
    const std::string& sha256() const { return sha256_; }

private:
    std::string portFile_, log_, url_, sha256_;
};

class RuntimeOfferTest : public JavaInstallerTest {
protected:
    // A setup with the offer's texts, `caption` as message 20013, and `narrow` entries (JSON
    // members, each with its comma).
    void packOffer(const std::string& narrow, const std::string& caption = "Runtime Setup");
};

}  // namespace qpke2e
