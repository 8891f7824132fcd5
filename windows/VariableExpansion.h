// Launcher variables in configuration texts, options files and command lines: the
// launcher's directory, its private temporary directory, the path-list separator, the
// Java runtime's home, the temporary root and every environment variable.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace qpk {

// The values the variables stand for, taken at the moment of expansion.
template <class Str>
struct ExpansionValues {
    Str exeDir, tempDir, separator, jvmHome, tempRoot;
};

// Replaces every occurrence of `variable`; the search resumes after the inserted value.
// `log` receives each replacement (variable, value, whole text after it).
template <class Str, class Log>
void replaceAll(Str& text, const Str& variable, const Str& value, Log log) {
    if (variable.empty()) return;
    size_t at = 0;
    while ((at = text.find(variable, at)) != Str::npos) {
        text.replace(at, variable.size(), value);
        at += value.size();
        log(variable, value, text);
    }
}

// The whole expansion as a pure function: variables in their fixed order, then
// "${name}" and its ASCII upper-case form for each environment entry in block order.
template <class Str, class Log>
void expandWith(Str& text, const ExpansionValues<Str>& v,
                const std::vector<std::pair<Str, Str>>& environment, Log log) {
    const char* const names[] = {
        "%CORVO_EXEDIR%", "%QUILLPACK_EXEDIR%", "%CORVO_TEMPDIR%", "%QUILLPACK_TEMPDIR%",
        "%CORVO_PATHLIST_SEPARATOR%", "%QUILLPACK_PATHLIST_SEPARATOR%", "%CORVO_JVM_HOME%",
        "%QUILLPACK_JVM_HOME%", "${CORVO_EXEDIR}", "${QUILLPACK_EXEDIR}", "${CORVO_TEMPDIR}",
        "${QUILLPACK_TEMPDIR}", "${CORVO_PATHLIST_SEPARATOR}", "${QUILLPACK_PATHLIST_SEPARATOR}",
        "${CORVO_JVM_HOME}", "${QUILLPACK_JVM_HOME}", "${launcher:sys.launcherDirectory}",
        "${launcher:sys.launcherTempDirectory}", "${launcher:sys.pathlistSeparator}",
        "${launcher:sys.jvmHome}", "${launcher:sys.tempDir}"};
    const Str* const values[] = {&v.exeDir,  &v.exeDir,    &v.tempDir,   &v.tempDir,  &v.separator,
                                 &v.separator, &v.jvmHome, &v.jvmHome,   &v.exeDir,   &v.exeDir,
                                 &v.tempDir, &v.tempDir,   &v.separator, &v.separator, &v.jvmHome,
                                 &v.jvmHome, &v.exeDir,    &v.tempDir,   &v.separator, &v.jvmHome,
                                 &v.tempRoot};
    static_assert(sizeof(names) / sizeof(names[0]) == sizeof(values) / sizeof(values[0]));
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        const char* n = names[i];
        replaceAll(text, Str(n, n + std::char_traits<char>::length(n)), *values[i], log);
    }
    using Ch = typename Str::value_type;
    for (const auto& [name, value] : environment) {
        Str reference = Str(1, Ch('$')) + Ch('{') + name + Ch('}');
        replaceAll(text, reference, value, log);
        for (Ch& c : reference)
            if (c >= Ch('a') && c <= Ch('z')) c = Ch(c - 'a' + 'A');
        replaceAll(text, reference, value, log);
    }
}

// Splits an environment block ("name=value" entries, each NUL-terminated, ending with an
// empty one) at the first "="; entries without one are skipped.
template <class Ch>
std::vector<std::pair<std::basic_string<Ch>, std::basic_string<Ch>>> splitEnvironment(const Ch* block) {
    std::vector<std::pair<std::basic_string<Ch>, std::basic_string<Ch>>> out;
    for (const Ch* p = block; p && *p;) {
        std::basic_string<Ch> entry(p);
        p += entry.size() + 1;
        size_t eq = entry.find(Ch('='));
        if (eq != std::basic_string<Ch>::npos) out.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    }
    return out;
}

// Expands `text` in place with the process's values. The ANSI-safe mode takes the forms
// of the directories that the 8-bit file functions can open. A result that would not fit
// a caller's buffer of `capacity` characters (terminator included) is rejected: the text
// stays as it was, an error is logged and the result is false.
bool expandVariables(std::wstring& text, bool ansiSafe, size_t capacity = 6000);
bool expandVariablesNarrow(std::string& text, size_t capacity = 6000);

}  // namespace qpk
