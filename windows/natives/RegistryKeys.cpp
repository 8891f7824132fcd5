#include "natives/RegistryKeys.h"

#include "common/ProcLookup.h"

namespace qpk {

namespace {

constexpr DWORD kEnumNameChars = 4096;
constexpr DWORD kDeleteNameChars = 1024;
// Most values fit the first read; larger ones are read again with the size they have.
constexpr DWORD kFirstReadBytes = 4096;
constexpr int kReadAttempts = 8;

}  // namespace

HKEY rootKeyFor(int rootCode) {
    switch (rootCode) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_CURRENT_USER;
    case 3: return HKEY_LOCAL_MACHINE;
    case 4: return HKEY_USERS;
    case 5: return HKEY_CURRENT_CONFIG;
    default: return nullptr;
    }
}

namespace {

LSTATUS openKey(int rootCode, const wchar_t* path, KeyAccess access, REGSAM view, UniqueKey& key) {
    HKEY root = rootKeyFor(rootCode);
    if (root == nullptr) return ERROR_INVALID_HANDLE;
    LSTATUS rc;
    if (access == KeyAccess::Create) {
        rc = RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr,
                             key.put(), nullptr);
    } else {
        REGSAM mask = access == KeyAccess::Write ? KEY_READ | KEY_SET_VALUE : KEY_READ;
        rc = RegOpenKeyExW(root, path, 0, mask | view, key.put());
    }
    if (rc != ERROR_SUCCESS) key.release();  // whatever a failed call left there is no key
    return rc;
}

}  // namespace

UniqueKey openRegistryKey(int rootCode, const wchar_t* path, KeyAccess access, REGSAM view) {
    UniqueKey key;
    openKey(rootCode, path, access, view, key);
    return key;
}

bool readRegistryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<uint8_t>& data) {
    std::vector<uint8_t> buffer(kFirstReadBytes);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD valueType = REG_NONE;
        DWORD size = DWORD(buffer.size());
        LSTATUS rc = RegQueryValueExW(key, name, nullptr, &valueType, buffer.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            // Again with the size the value has now; it may still grow in between.
            buffer.resize(size > buffer.size() ? size : buffer.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS) return false;
        buffer.resize(size);
        type = valueType;
        data = std::move(buffer);
        return true;
    }
    return false;
}

std::vector<std::wstring> enumerateKeyNames(HKEY key, KeyNames which) {
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(kEnumNameChars);
    for (DWORD index = 0;; ++index) {
        DWORD length = kEnumNameChars;
        LSTATUS rc;
        if (which == KeyNames::SubKeys) {
            // No class buffer: a long class string would report ERROR_MORE_DATA for the key.
            rc = RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        } else {
            rc = RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        }
        if (rc == ERROR_MORE_DATA) continue;  // longer than the buffer: the entry is left out
        // Any other error (the key deleted meanwhile, ...) would repeat for every index.
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

KeyContent keyContent(int rootCode, const wchar_t* path, REGSAM view) {
    UniqueKey key;
    LSTATUS rc = openKey(rootCode, path, KeyAccess::Write, view, key);
    if (rc == ERROR_FILE_NOT_FOUND) return KeyContent::Missing;
    // A key that may not be opened could hold anything.
    if (rc != ERROR_SUCCESS) return KeyContent::NotEmpty;
    DWORD subKeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return KeyContent::NotEmpty;
    return subKeys == 0 && values == 0 ? KeyContent::Empty : KeyContent::NotEmpty;
}

void deleteKeyTree(HKEY parent, const wchar_t* name, REGSAM view) {
    UniqueKey key;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    // All names first: deleting while enumerating would shift the indexes.
    std::vector<std::wstring> children;
    std::vector<wchar_t> child(kDeleteNameChars);
    for (DWORD index = 0;; ++index) {
        DWORD length = kDeleteNameChars;
        if (RegEnumKeyExW(key.get(), index, child.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(child.data(), length);
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) deleteKeyTree(key.get(), it->c_str(), view);
    key.reset();
    // Only the Ex form deletes in another registry view; older systems lack it.
    using DeleteKeyEx = LSTATUS(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    DeleteKeyEx deleteKeyEx = nullptr;
    if (view != 0) deleteKeyEx = lookupFunction<DeleteKeyEx>(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW");
    if (deleteKeyEx != nullptr)
        deleteKeyEx(parent, name, view, 0);
    else
        RegDeleteKeyW(parent, name);
}

}  // namespace qpk
