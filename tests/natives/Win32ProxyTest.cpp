// Win32Proxy from real Java: Wine's default proxy settings, then a manual proxy with a bypass
// list that the test writes into the Wine registry first (and takes out again).
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NativeDriver.h"

namespace {

const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const char kProxy[] = "127.0.0.1:3128";
const char kBypass[] = "<local>;*.example.test";

// A connection settings value, put back as it was (or removed) when the test ends.
struct SavedValue {
    SavedValue(HKEY root, const wchar_t* value) : name(value) {
        RegCreateKeyExW(root, kConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        DWORD size = sizeof(bytes);
        present = RegQueryValueExW(key, value, nullptr, nullptr, bytes, &size) == ERROR_SUCCESS;
        length = present ? size : 0;
    }
    ~SavedValue() {
        if (present) RegSetValueExW(key, name, 0, REG_BINARY, bytes, length);
        else RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
    HKEY key = nullptr;
    const wchar_t* name;
    BYTE bytes[4096];
    DWORD length;
    bool present;
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
    bool autoDetect = !user.present || (user.length >= 12 && (user.bytes[8] & 8));
    qpknatives::DriverRun run = qpknatives::runDriver("Win32ProxyDriver", {"default", autoDetect ? "true" : "false"});
    qpknatives::expectAllPassed(run, 7);
}

TEST(Win32Proxy, ManualProxyWithBypassList) {
    SavedValue user(HKEY_CURRENT_USER, L"DefaultConnectionSettings");
    SavedValue machine(HKEY_LOCAL_MACHINE, L"WinHttpSettings");
    std::vector<BYTE> blob = connectionSettings(2 /* a proxy */, kProxy, kBypass);
    ASSERT_EQ(RegSetValueExW(user.key, L"DefaultConnectionSettings", 0, REG_BINARY, blob.data(), DWORD(blob.size())), 0);
    WINHTTP_PROXY_INFO named = {WINHTTP_ACCESS_TYPE_NAMED_PROXY, const_cast<LPWSTR>(L"127.0.0.1:3128"),
                                const_cast<LPWSTR>(L"<local>;*.example.test")};
    ASSERT_TRUE(WinHttpSetDefaultProxyConfiguration(&named));

    qpknatives::DriverRun run = qpknatives::runDriver("Win32ProxyDriver", {"manual", kProxy, kBypass});
    qpknatives::expectAllPassed(run, 7);
}
