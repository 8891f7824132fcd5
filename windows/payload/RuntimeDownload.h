// Downloading a Java runtime archive over the system's internet functions (wininet, loaded
// at run time). wininet.h clashes with winhttp.h, so its users stay in RuntimeDownload.cpp.
#pragma once
#include <windows.h>

#include <string>

#include "payload/DownloadChecks.h"

namespace qpk {

// Loads wininet.dll and resolves the six functions the download uses; logs what is missing.
bool loadWininet();

// Fetches `address` into "jre.tar.gz" in the current directory, with up to three attempts;
// shows its progress in the progress dialog when there is one. Only an https:// address or
// one with a SHA-256 digest (entry 156) is downloaded from. Ends the process with message
// 20002 or 20003 when it cannot; returns only on success. After cancelDownload the thread
// ends here.
void downloadRuntime(HWND dialog, const std::wstring& address);

// One attempt: opens the address, asks for the content length (up to 20 times) and copies
// the answer to `destination`. It fails unless the answer is a gzip stream with the
// `expected` digest (when given); a partial or refused file is deleted.
bool downloadFile(HWND dialog, const std::wstring& address, const std::string& destination,
                  const Sha256Digest* expected);

// Cancel from another thread: closes the download's request and waits (at most ten
// seconds) until its thread has deleted the partial file and ended. Does nothing when no
// download runs.
void cancelDownload();

}  // namespace qpk
