#include "launcher/PathHelpers.h"

#include <windows.h>

#include "common/TextConvert.h"
#include "launcher/ExePath.h"

namespace qpk {

std::wstring collapseBackslashes(const std::wstring& path) {
    std::wstring out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        // From the third character on, a backslash after a backslash is dropped.
        if (path[i] == L'\\' && i >= 2 && path[i - 1] == L'\\') continue;
        out += path[i];
    }
    return out;
}

std::string collapseBackslashes(const std::string& path) {
    std::string out;
    if (!toNarrow(collapseBackslashes(toWide(path)), out)) return path;
    return out;
}

template <class Str>
static Str directoryOfT(const Str& filePath) {
    size_t slash = filePath.find_last_of(typename Str::value_type('\\'));
    return slash == Str::npos ? Str() : filePath.substr(0, slash + 1);
}

std::string directoryOf(const std::string& filePath) { return directoryOfT(filePath); }
std::wstring directoryOf(const std::wstring& filePath) { return directoryOfT(filePath); }

std::string absolutePath(const std::string& path, const std::string* base) {
    std::string out;
    if (isRelative(path)) out = base ? directoryOf(*base) : exeDirNarrow();
    out += path;
    return collapseBackslashes(out);
}

std::wstring absolutePath(const std::wstring& path, const std::wstring* base, bool useDirFromNarrow) {
    std::wstring out;
    if (isRelative(path)) out = base ? directoryOf(*base) : (useDirFromNarrow ? exeDirWideFromNarrow() : exeDirWide());
    out += path;
    return collapseBackslashes(out);
}

template <class Ch>
static void lowerAscii(std::basic_string<Ch>& s) {
    for (Ch& c : s)
        if (c >= Ch('A') && c <= Ch('Z')) c = Ch(c - 'A' + 'a');
}

std::wstring fullPath(const std::wstring& path, bool keepCase) {
    std::wstring abs = absolutePath(path);
    wchar_t buf[6000];
    DWORD n = GetFullPathNameW(abs.c_str(), 6000, buf, nullptr);
    std::wstring out = (n > 0 && n < 6000) ? std::wstring(buf, n) : abs;
    if (!keepCase) lowerAscii(out);
    return collapseBackslashes(out);
}

std::string fullPath(const std::string& path, bool keepCase) {
    std::string abs = absolutePath(path);
    char buf[6000];
    DWORD n = GetFullPathNameA(abs.c_str(), 6000, buf, nullptr);
    std::string out = (n > 0 && n < 6000) ? std::string(buf, n) : abs;
    if (!keepCase) {
        // Lowered on the wide text so that double-byte characters are never touched.
        std::wstring wide = toWide(out);
        lowerAscii(wide);
        std::string back;
        if (toNarrow(wide, back)) out = back;
    }
    return collapseBackslashes(out);
}

std::string absolutePathList(const std::string& list, void (*callback)(const std::string&)) {
    std::string text = list.substr(0, 6000);
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) {
            std::string entry = absolutePath(text.substr(start, end - start));
            if (!out.empty()) out += ';';
            out += entry;
            if (callback) callback(entry);
        }
        start = end + 1;
    }
    return out;
}

}  // namespace qpk
