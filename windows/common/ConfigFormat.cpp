#include "common/ConfigFormat.h"

#include <cwchar>

namespace qpk {

namespace {

constexpr size_t kTextCapacity = 6000;

bool isFlag(wchar_t c) { return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0'; }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isFloatConversion(wchar_t c) { return c != L'\0' && wcschr(L"fFeEgGaA", c) != nullptr; }

}  // namespace

bool formatConfigured(const std::wstring& format, const std::vector<FormatArgument>& args, std::wstring& out) {
    std::wstring result;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') {
            result += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            result += L'%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < format.size() && isFlag(format[j])) ++j;
        while (j < format.size() && isDigit(format[j])) ++j;
        if (j < format.size() && format[j] == L'.') {
            ++j;
            while (j < format.size() && isDigit(format[j])) ++j;
        }
        std::wstring directive = format.substr(i, j - i);
        if (j < format.size() && format[j] == L'l') ++j;  // "%lf" is "%f"; "%ls" a wide string
        if (j >= format.size() || next >= args.size()) return false;
        wchar_t conversion = format[j];
        const FormatArgument& arg = args[next++];
        if (conversion == L's' || conversion == L'S') {
            if (!arg.isText) return false;
            result += arg.text;
        } else if (isFloatConversion(conversion) && !arg.isText) {
            wchar_t field[512];
            directive += conversion;
            int n = std::swprintf(field, 512, directive.c_str(), arg.number);
            if (n < 0 || n >= 512) return false;
            result.append(field, size_t(n));
        } else {
            return false;
        }
        i = j;
    }
    if (result.size() >= kTextCapacity) result.resize(kTextCapacity - 1);
    out = std::move(result);
    return true;
}

}  // namespace qpk
