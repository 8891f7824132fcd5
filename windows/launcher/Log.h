// The diagnostic log: one line per launcher step, in the temporary root, deleted at exit
// unless kept. Formats are wide printf formats with Microsoft semantics: %s takes a wide
// string, %S a narrow one.
#pragma once
#include <cstdint>
#include <string>

namespace qpk {

void logLine(const wchar_t* format, ...);
void logError(const wchar_t* format, ...);

// Deletes the log unless it is kept, as the end of the process does; later lines are dropped.
void endLog();

// The log's path (possibly empty); handing it out keeps the log at exit.
std::wstring logPathForUser();

// "[%d:%d] " for a line written `nowMillis` after `startMillis`, on the low 32 bits of both.
std::wstring logLinePrefix(int64_t startMillis, int64_t nowMillis);

// True when the environment value keeps the log ("yes", exactly).
bool keepsLog(const wchar_t* environmentValue);

// "%sqpk_nlog_%d.log": the first N from 1 for which `exists` is false; 1000 regardless.
template <class Exists>
std::wstring chooseLogFileName(const std::wstring& directory, Exists exists) {
    for (int n = 1;; ++n) {
        std::wstring name = directory + L"qpk_nlog_" + std::to_wstring(n) + L".log";
        if (n >= 1000 || !exists(name)) return name;
    }
}

}  // namespace qpk
