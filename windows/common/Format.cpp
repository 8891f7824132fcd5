#include "common/Format.h"

#include <cstdio>

namespace qpk {

std::wstring vformatWide(const wchar_t* format, va_list args) {
    va_list sizing;
    va_copy(sizing, args);
    int n = _vscwprintf(format, sizing);
    va_end(sizing);
    if (n <= 0) return std::wstring();
    std::wstring out(size_t(n) + 1, L'\0');
    _vsnwprintf(&out[0], out.size(), format, args);
    out.resize(size_t(n));
    return out;
}

std::wstring formatWide(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring out = vformatWide(format, args);
    va_end(args);
    return out;
}

}  // namespace qpk
