#include "payload/DownloadChecks.h"

namespace qpk {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool parseSha256(std::string_view text, Sha256Digest& out) {
    if (text.size() != 2 * out.size()) return false;
    Sha256Digest digest;
    for (size_t i = 0; i < digest.size(); ++i) {
        int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = uint8_t(high * 16 + low);
    }
    out = digest;
    return true;
}

std::string sha256Hex(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : digest) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

DownloadTrust downloadTrust(std::string_view address, std::string_view digest, Sha256Digest& expected) {
    if (!digest.empty() && !parseSha256(digest, expected)) return DownloadTrust::BadDigest;
    if (address.empty()) return DownloadTrust::NoAddress;
    if (!digest.empty()) return DownloadTrust::Digest;
    return startsWithNoCase(address, "https://") ? DownloadTrust::Certificate : DownloadTrust::NeedsDigest;
}

bool startsLikeGzip(const unsigned char* bytes, size_t size) {
    return size >= 3 && bytes[0] == 0x1F && bytes[1] == 0x8B && bytes[2] == 0x08;
}

}  // namespace qpk
