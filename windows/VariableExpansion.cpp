#include "VariableExpansion.h"

#include <windows.h>

#include "common/TextConvert.h"
#include "jre/RuntimeRecord.h"
#include "launcher/ExePath.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/TempDirectories.h"

namespace qpk {

namespace {

void logWide(const std::wstring& variable, const std::wstring& value, const std::wstring& text) {
    logLine(L"expanding2 %s to %s in %s.", variable.c_str(), value.c_str(), text.c_str());
}

void logNarrow(const std::string& variable, const std::string& value, const std::string& text) {
    logLine(L"expanding2 %S to %S in %S.", variable.c_str(), value.c_str(), text.c_str());
}

template <class Str>
bool fits(const Str& original, Str& expanded, size_t capacity) {
    if (expanded.size() < capacity) return true;
    logError(L"expansion of %d characters does not fit %d; text left unexpanded", (int)expanded.size(),
             (int)capacity);
    expanded = original;
    return false;
}

// Every variable starts with one of these; most texts have none and need no values.
template <class Str>
bool mayHoldVariables(const Str& text) {
    using Ch = typename Str::value_type;
    return text.find(Ch('%')) != Str::npos || text.find(Ch('$')) != Str::npos;
}

}  // namespace

bool expandVariables(std::wstring& text, bool ansiSafe, size_t capacity) {
    if (!mayHoldVariables(text)) return true;
    ExpansionValues<std::wstring> v;
    v.exeDir = ansiSafe ? exeDirWideFromNarrow() : exeDirWide();
    // Narrow values are widened in the code page they are written in.
    v.tempDir = toWide(gState.tempDir);
    v.separator = L";";
    v.jvmHome = toWide(jvmHome);
    if (ansiSafe) {
        std::string root;
        tempRoot(root);
        v.tempRoot = toWide(root);
    } else {
        tempRootWide(v.tempRoot, false);
    }
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        environment = splitEnvironment(block);
        FreeEnvironmentStringsW(block);
    }
    std::wstring original = text;
    expandWith(text, v, environment, logWide);
    return fits(original, text, capacity);
}

bool expandVariablesNarrow(std::string& text, size_t capacity) {
    if (!mayHoldVariables(text)) return true;
    ExpansionValues<std::string> v;
    v.exeDir = exeDirNarrow();
    v.tempDir = gState.tempDir;
    v.separator = ";";
    v.jvmHome = jvmHome;
    tempRoot(v.tempRoot);
    std::vector<std::pair<std::string, std::string>> environment;
    if (char* block = GetEnvironmentStringsA()) {
        environment = splitEnvironment(block);
        FreeEnvironmentStringsA(block);
    }
    std::string original = text;
    expandWith(text, v, environment, logNarrow);
    return fits(original, text, capacity);
}

}  // namespace qpk
