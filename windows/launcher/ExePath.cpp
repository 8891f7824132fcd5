#include "launcher/ExePath.h"

#include <windows.h>

#include "common/TextConvert.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"

namespace qpk {

namespace {

struct ExePaths {
    std::wstring wide;
    std::string narrow;
    std::string dirNarrow;
    std::wstring dirWide;
    std::wstring dirWideFromNarrow;
};

template <class Ch, class GetFull>
std::basic_string<Ch> fullDirectory(const std::basic_string<Ch>& path, GetFull getFull) {
    Ch buf[6000];
    Ch* filePart = nullptr;
    DWORD n = getFull(path.c_str(), 6000, buf, &filePart);
    if (n == 0 || n >= 6000) return directoryOf(path);
    if (filePart != nullptr) *filePart = Ch('\0');
    return buf;
}

ExePaths computePaths() {
    ExePaths p;
    wchar_t module[6000];
    DWORD n = GetModuleFileNameW(nullptr, module, 6000);
    if (n >= 6000) n = 0;
    module[n] = L'\0';
    wchar_t longName[6000];
    DWORD ln = GetLongPathNameW(module, longName, 6000);
    DWORD err = GetLastError();
    p.wide = (ln > 0 && ln < 6000) ? std::wstring(longName, ln) : std::wstring(module, n);
    logLine(L"init file name %s %s %d %d", module, p.wide.c_str(), (int)ln, (int)err);

    std::string narrow;
    bool found = toNarrow(p.wide, narrow) && looksLikeExePath(narrow);
    if (!found) {
        wchar_t shortName[6000];
        DWORD sn = GetShortPathNameW(p.wide.c_str(), shortName, 6000);
        found = sn > 0 && sn < 6000 && toNarrow(std::wstring(shortName, sn), narrow) && looksLikeExePath(narrow);
    }
    if (!found) found = shortPathViaShell(p.wide, narrow) && looksLikeExePath(narrow);
    if (!found) {
        char moduleA[6000];
        DWORD an = GetModuleFileNameA(nullptr, moduleA, 6000);
        if (an >= 6000) an = 0;
        moduleA[an] = '\0';
        char shortA[6000];
        DWORD sn = GetShortPathNameA(moduleA, shortA, 6000);
        narrow = (sn > 0 && sn < 6000) ? std::string(shortA, sn) : std::string(moduleA, an);
    }
    p.wide = collapseBackslashes(p.wide);
    p.narrow = collapseBackslashes(narrow);

    p.dirNarrow = fullDirectory(p.narrow, GetFullPathNameA);
    p.dirWide = fullDirectory(p.wide, GetFullPathNameW);
    p.dirWideFromNarrow = toWide(p.dirNarrow);
    return p;
}

const ExePaths& paths() {
    static const ExePaths p = computePaths();
    return p;
}

}  // namespace

bool looksLikeExePath(const std::string& path) {
    if (path.size() < 5) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext == ".exe";
}

const std::string& exePath() { return paths().narrow; }
const std::wstring& exePathLong() { return paths().wide; }
const std::string& exeDirNarrow() { return paths().dirNarrow; }
const std::wstring& exeDirWide() { return paths().dirWide; }
const std::wstring& exeDirWideFromNarrow() { return paths().dirWideFromNarrow; }

}  // namespace qpk
