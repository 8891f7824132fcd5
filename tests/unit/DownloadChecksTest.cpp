// What vouches for a runtime download, the digest's text and the gzip check; SHA-256 from
// the system's CryptoAPI against published digests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/Sha256.h"
#include "payload/DownloadChecks.h"

using namespace qpk;

namespace {

const std::string kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return char(toupper((unsigned char)c)); });
    return s;
}

std::string digestOf(const std::string& data, size_t piece) {
    Sha256 hash;
    EXPECT_TRUE(hash.ok());
    for (size_t at = 0; at < data.size(); at += piece)
        EXPECT_TRUE(hash.add(data.data() + at, DWORD(std::min(piece, data.size() - at))));
    Sha256Digest digest{};
    EXPECT_TRUE(hash.finish(digest));
    return sha256Hex(digest);
}

}  // namespace

TEST(DownloadChecks, TrustFollowsTheAddressAndTheDigest) {
    const struct {
        const char* address;
        std::string digest;
        DownloadTrust trust;
    } cases[] = {
        {"", "", DownloadTrust::NoAddress},
        {"", kAbc, DownloadTrust::NoAddress},
        {"https://host/rt.tar.gz", "", DownloadTrust::Certificate},
        {"HTTPS://host/rt.tar.gz", "", DownloadTrust::Certificate},
        {"http://host/rt.tar.gz", "", DownloadTrust::NeedsDigest},
        {"ftp://host/rt.tar.gz", "", DownloadTrust::NeedsDigest},
        {" https://host/rt.tar.gz", "", DownloadTrust::NeedsDigest},
        {"https:/host/rt.tar.gz", "", DownloadTrust::NeedsDigest},
        {"http://host/rt.tar.gz", kAbc, DownloadTrust::Digest},
        {"https://host/rt.tar.gz", upper(kAbc), DownloadTrust::Digest},
        {"https://host/rt.tar.gz", kAbc.substr(1), DownloadTrust::BadDigest},
        {"http://host/rt.tar.gz", kAbc + "0", DownloadTrust::BadDigest},
        {"", "g" + kAbc.substr(1), DownloadTrust::BadDigest},
        {"http://host/rt.tar.gz", kAbc.substr(0, 63) + " ", DownloadTrust::BadDigest},
    };
    for (const auto& c : cases) {
        Sha256Digest expected{};
        EXPECT_EQ(downloadTrust(c.address, c.digest, expected), c.trust) << c.address << " " << c.digest;
        if (c.trust == DownloadTrust::Digest) {
            EXPECT_EQ(sha256Hex(expected), kAbc) << c.digest;
        }
    }
    const unsigned char gzip[] = {0x1F, 0x8B, 0x08, 0x00}, zip[] = {'P', 'K', 3, 4}, other[] = {0x1F, 0x8B, 0x07};
    EXPECT_TRUE(startsLikeGzip(gzip, 4));
    EXPECT_FALSE(startsLikeGzip(gzip, 2));
    EXPECT_FALSE(startsLikeGzip(zip, 4));
    EXPECT_FALSE(startsLikeGzip(other, 3));
}

TEST(DownloadChecks, Sha256OfPublishedExamples) {
    EXPECT_EQ(digestOf("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digestOf("abc", 1), kAbc);
    EXPECT_EQ(digestOf(std::string(1000000, 'a'), 16384),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
