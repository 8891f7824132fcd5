// What an access entry of ACLHandling grants, and to whom: pure, without Windows headers.
#pragma once
#include <cstdint>

namespace qpk {

struct AccessFlags {
    bool read, write, execute, all;
};

// GENERIC_READ, GENERIC_WRITE, GENERIC_EXECUTE and GENERIC_ALL for the flags set.
inline uint32_t accessMask(const AccessFlags& f) {
    return (f.read ? 0x80000000u : 0) | (f.write ? 0x40000000u : 0) | (f.execute ? 0x20000000u : 0) |
           (f.all ? 0x10000000u : 0);
}

// A well-known trustee as one identifier authority with one or two sub-authorities, or the
// account that the caller names.
struct TrusteeSid {
    bool isAccount;
    uint8_t authority;
    uint8_t subAuthorityCount;
    uint32_t subAuthorities[2];
};

// 1: authenticated users (S-1-5-11); 3: the named account; 5: power users (S-1-5-32-547);
// else everyone (S-1-1-0).
inline TrusteeSid trusteeSid(int code) {
    switch (code) {
        case 1: return {false, 5, 1, {11, 0}};
        case 3: return {true, 0, 0, {0, 0}};
        case 5: return {false, 5, 2, {32, 547}};
        default: return {false, 1, 1, {0, 0}};
    }
}

bool addAccessEntry(const wchar_t* path, bool isRegistryKey, const AccessFlags& flags, int trustee,
                    const wchar_t* account);

}  // namespace qpk
