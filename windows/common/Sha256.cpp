#include "common/Sha256.h"

namespace qpk {

Sha256::Sha256() {
    // A context without keys, for hashing only.
    if (!CryptAcquireContextW(provider_.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return;
    CryptCreateHash(provider_.get(), CALG_SHA_256, 0, 0, hash_.put());
}

bool Sha256::add(const void* data, DWORD size) {
    return ok() && CryptHashData(hash_.get(), static_cast<const BYTE*>(data), size, 0);
}

bool Sha256::finish(Sha256Digest& out) {
    DWORD size = DWORD(out.size());
    return ok() && CryptGetHashParam(hash_.get(), HP_HASHVAL, out.data(), &size, 0) && size == out.size();
}

}  // namespace qpk
