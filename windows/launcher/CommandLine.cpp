#include "launcher/CommandLine.h"

#include <cstring>

namespace qpk {

namespace {

// Reads a quoted token whose quote character is at `quote` (at or after `start`).
// Returns the position where scanning resumes.
size_t readQuoted(const std::wstring& text, size_t start, size_t quote, ArgumentVector& vector) {
    wchar_t q = text[quote];
    size_t close = text.find(q, quote + 1);
    size_t innerEnd = close == std::wstring::npos ? text.size() : close;
    std::wstring token = text.substr(start, quote - start);
    token += text.substr(quote + 1, innerEnd - quote - 1);
    vector.push_back(std::move(token));
    if (close == std::wstring::npos) return text.size();
    size_t next = close + 1;
    if (next < text.size() && text[next] == L' ') ++next;
    return next;
}

}  // namespace

void splitCommandLine(const std::wstring& text, ArgumentVector& vector) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == L' ') {
            ++pos;
            continue;
        }
        size_t dq = text.find(L'"', pos);
        size_t sq = text.find(L'\'', pos);
        size_t sp = text.find(L' ', pos);
        if (sp != std::wstring::npos && sp < dq && sp < sq) {
            vector.push_back(text.substr(pos, sp - pos));
            pos = sp + 1;
        } else if (dq != std::wstring::npos && dq < sq) {
            pos = readQuoted(text, pos, dq, vector);
        } else if (sq != std::wstring::npos) {
            pos = readQuoted(text, pos, sq, vector);
        } else {
            vector.push_back(text.substr(pos));
            pos = text.size();
        }
    }
}

static bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

TailMarkers classifyTail(const char* tail) {
    TailMarkers m;
    if (tail == nullptr) return m;
    m.reboot = std::strcmp(tail, "__qpk_reboot") == 0;
    m.languageRestart = startsWith(tail, "__qpk_lang_restart");
    m.extractAndExit = startsWith(tail, "__qpk_extract_and_exit");
    m.delayedDeletion = startsWith(tail, "__qpk_windel");
    return m;
}

SwitchScan scanSwitches(const ArgumentVector& vector) {
    SwitchScan s;
    for (const std::wstring& arg : vector) {
        if (arg == L"-q") {
            s.quiet = s.clearGuiErrors = true;
        } else if (arg == L"-console") {
            s.consoleSwitch = s.attachConsole = true;
        } else if (arg == L"-splash") {
            s.splash = true;
        } else if (arg == L"-nocheck") {
            s.noCheck = true;
        } else if (arg == L"-c") {
            s.quiet = s.clearGuiErrors = s.attachConsole = true;
        } else if (arg == L"-manual" || arg == L"/manual") {
            s.manualJre = true;
        }
    }
    return s;
}

bool takeForcedLogSwitch(ArgumentVector& vector) {
    if (vector.size() < 2) return false;
    const std::wstring& a = vector[1];
    if (a == L"-create-qpk-log" || a == L"-create-cvo-log" || a == L"/create-qpk-log" ||
        a == L"/create-cvo-log") {
        vector.erase(vector.begin() + 1);
        return true;
    }
    return false;
}

int findTempSwitch(const ArgumentVector& vector) {
    for (size_t i = 0; i < vector.size(); ++i)
        if (vector[i] == L"-temp" || vector[i] == L"/temp") return (int)i;
    return -1;
}

}  // namespace qpk
