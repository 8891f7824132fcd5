// Win32Proxy from real Java: Wine's default proxy settings, then a manual proxy with a bypass
// list that the test writes into the Wine registry first (and takes out again).
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "NativeDriver.h"

namespace {

const wchar_t kUserConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const char kProxy[] = "127.0.0.1:3128";
const char kBypass[] = "<local>;*.example.test";

// A registry value put back as it was (or removed) when the test ends.
class SavedValue {
public:
    SavedValue(HKEY root, const wchar_t* value) : root_(root), name_(value) {
        RegCreateKeyExW(root, kUserConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = 0, type = 0;
        if (RegQueryValueExW(key_, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> bytes(size);
            if (RegQueryValueExW(key_, value, nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS) saved_ = bytes;
        }
    }
    ~SavedValue() {
        if (saved_)
            RegSetValueExW(key_, name_, 0, REG_BINARY, saved_->data(), DWORD(saved_->size()));
        else
            RegDeleteValueW(key_, name_);
        RegCloseKey(key_);
    }
    HKEY key() const { return key_; }
    const std::optional<std::vector<BYTE>>& saved() const { return saved_; }

private:
    HKEY root_, key_ = nullptr;
    const wchar_t* name_;
    std::optional<std::vector<BYTE>> saved_;
};

// The user's connection settings as the browser settings store them: a header (magic 0x46,
// a counter, flags), then the proxy list and the bypass list, each with its length.
std::vector<BYTE> connectionSettings(DWORD flags, const std::string& proxy, const std::string& bypass) {
    std::vector<BYTE> blob;
    auto put = [&](DWORD v) {
        for (int i = 0; i < 4; ++i) blob.push_back(BYTE(v >> (8 * i)));
    };
    put(0x46);
    put(1);
    put(flags);
    put(DWORD(proxy.size()));
    blob.insert(blob.end(), proxy.begin(), proxy.end());
    put(DWORD(bypass.size()));
    blob.insert(blob.end(), bypass.begin(), bypass.end());
    for (int i = 0; i < 5; ++i) put(0);  // no script, no further fields
    return blob;
}

}  // namespace

TEST(Win32Proxy, DefaultSettingsAndAutomaticDiscoveryFailure) {
    SavedValue user(HKEY_CURRENT_USER, L"DefaultConnectionSettings");
    // Automatic detection is the flag 8 of the stored settings; without any, Wine reports it on.
    bool autoDetect = !user.saved() || (user.saved()->size() >= 12 && ((*user.saved())[8] & 8));
    qpknatives::DriverRun run = qpknatives::runDriver("Win32ProxyDriver", {"default", autoDetect ? "true" : "false"});
    qpknatives::expectAllPassed(run, 6);
}

TEST(Win32Proxy, ManualProxyWithBypassList) {
    SavedValue user(HKEY_CURRENT_USER, L"DefaultConnectionSettings");
    SavedValue machine(HKEY_LOCAL_MACHINE, L"WinHttpSettings");
    std::vector<BYTE> blob = connectionSettings(2 /* a proxy */, kProxy, kBypass);
    ASSERT_EQ(RegSetValueExW(user.key(), L"DefaultConnectionSettings", 0, REG_BINARY, blob.data(), DWORD(blob.size())), 0);
    WINHTTP_PROXY_INFO named = {WINHTTP_ACCESS_TYPE_NAMED_PROXY, const_cast<LPWSTR>(L"127.0.0.1:3128"),
                                const_cast<LPWSTR>(L"<local>;*.example.test")};
    ASSERT_TRUE(WinHttpSetDefaultProxyConfiguration(&named));

    qpknatives::DriverRun run = qpknatives::runDriver("Win32ProxyDriver", {"manual", kProxy, kBypass});
    qpknatives::expectAllPassed(run, 6);
}
