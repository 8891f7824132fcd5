// Status codes of Win32Proxy: pure.
#pragma once
#include <cstdint>

namespace qpk {

// The WinHTTP functions could not be loaded.
const int kProxyFunctionsMissing = 100000;

// getAutoProxyConfig0: which step failed, in the high half, and the Windows error.
enum class ProxyStep : int64_t { OpenSession = 1, QueryUrl = 2 };
inline int64_t proxyFailure(ProxyStep step, uint32_t error) {
    return (static_cast<int64_t>(step) << 32) + int64_t(error);
}

}  // namespace qpk
