// What a downloaded runtime archive may be trusted by, and the checks of what arrived.
// Pure, shared by the launcher (before and after a download) and the packer (when building).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qpk {

constexpr int kIdDownloadUrl = 150;
constexpr int kIdDownloadSha256 = 156;

using Sha256Digest = std::array<uint8_t, 32>;

// 64 hexadecimal digits of either case and nothing else; `out` unchanged on failure.
bool parseSha256(std::string_view text, Sha256Digest& out);
// 64 lower-case hexadecimal digits.
std::string sha256Hex(const Sha256Digest& digest);

enum class DownloadTrust {
    NoAddress,    // nothing to download
    Digest,       // what arrives must have the configured SHA-256
    Certificate,  // https:// without a digest: only the server's certificate vouches for it
    NeedsDigest,  // another address without a digest: nothing would vouch for what arrives
    BadDigest,    // the digest is set but is no SHA-256 in hexadecimal
};

// What vouches for a download from `address` with the digest text `digest` (entry 156);
// `expected` is filled for Digest. A malformed digest is BadDigest whatever the address.
DownloadTrust downloadTrust(std::string_view address, std::string_view digest, Sha256Digest& expected);

// The first bytes of a gzip stream: 1F 8B and the deflate method 08. Fewer than three
// bytes are no gzip stream.
bool startsLikeGzip(const unsigned char* bytes, size_t size);

}  // namespace qpk
