// SHA-256 through the system's own CryptoAPI (advapi32), fed in pieces.
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include "common/Owned.h"
#include "payload/DownloadChecks.h"

namespace qpk {

struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle invalid() { return 0; }
    static void close(Handle h) { CryptReleaseContext(h, 0); }
};

struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle invalid() { return 0; }
    static void close(Handle h) { CryptDestroyHash(h); }
};

class Sha256 {
public:
    // Check ok(): without the system's provider nothing can be hashed.
    Sha256();
    bool ok() const { return hash_.valid(); }
    bool add(const void* data, DWORD size);
    // The digest of everything added; the hash takes nothing more afterwards.
    bool finish(Sha256Digest& out);

private:
    Owned<CryptProviderTraits> provider_;
    Owned<CryptHashTraits> hash_;
};

}  // namespace qpk
