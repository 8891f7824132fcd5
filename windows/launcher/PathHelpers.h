// Path text helpers. The pure ones are templates over the character type so the narrow
// and wide forms behave identically.
#pragma once
#include <string>

namespace qpk {

// True for fewer than 3 characters; otherwise (after one leading double quote, which then
// needs at least 4 characters) false for "X:\..." and "\\...", else true. A drive path with
// a forward slash, a path starting with one backslash and a bare name are all relative.
template <class Ch>
bool isRelative(const std::basic_string<Ch>& path) {
    if (path.size() < 3) return true;
    size_t i = 0;
    if (path[0] == Ch('"')) {
        if (path.size() < 4) return true;
        i = 1;
    }
    if (path[i + 1] == Ch(':') && path[i + 2] == Ch('\\')) return false;
    if (path[i] == Ch('\\') && path[i + 1] == Ch('\\')) return false;
    return true;
}

// Removes every backslash that directly follows another, except at the first position,
// so a leading "\\" of a network path stays.
std::wstring collapseBackslashes(const std::wstring& path);
// The narrow form works on the wide text and returns the input unchanged when it does not
// convert back cleanly.
std::string collapseBackslashes(const std::string& path);

// `path` made absolute: relative paths get the directory of `base` (a file path whose file
// part is cut off) or, with no base, the executable's directory; backslashes collapsed.
std::string absolutePath(const std::string& path, const std::string* base = nullptr);
// `useDirFromNarrow` chooses the executable directory widened from its narrow form.
std::wstring absolutePath(const std::wstring& path, const std::wstring* base = nullptr,
                          bool useDirFromNarrow = false);

// absolutePath without base, then GetFullPathName; ASCII letters lowered unless `keepCase`.
std::string fullPath(const std::string& path, bool keepCase);
std::wstring fullPath(const std::wstring& path, bool keepCase);

// Makes every non-empty entry of a ";"-separated list absolute (at most 6000 bytes of list
// are read), joins them with ";" and calls `callback` with each absolute entry.
std::string absolutePathList(const std::string& list, void (*callback)(const std::string&));

// The directory part of a file path, including its last backslash ("" when none).
std::string directoryOf(const std::string& filePath);
std::wstring directoryOf(const std::wstring& filePath);

}  // namespace qpk
