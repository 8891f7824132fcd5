#include "launcher/DelayedDeletion.h"

#include <windows.h>

#include <set>

#include "common/FileAttributes.h"
#include "common/Owned.h"
#include "launcher/ExePath.h"
#include "launcher/Log.h"
#include "launcher/Reboot.h"

namespace qpk {

namespace {

constexpr DWORD kSemaphorePollMs = 200;
const wchar_t kBoxCaption[] = L"quillpack";

class Win32DeletionSystem final : public DeletionSystem {
public:
    void waitForSemaphoreGone(const std::wstring& name) override { qpk::waitForSemaphoreGone(name); }

    bool remove(const std::wstring& path, bool directory) override {
        if (directory ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) {
            logLine(L"deleted %s", path.c_str());
            return true;
        }
        DWORD error = GetLastError();
        // A path that stays is tried on every pass; its first failure tells enough.
        if (failed_.insert(path).second) logLine(L"cannot delete %s (%d)", path.c_str(), (int)error);
        return false;
    }

    bool exists(const std::wstring& path) override { return fileOrDirectoryExists(path); }

    bool scheduleAtBoot(const std::wstring& path) override {
        if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            logLine(L"scheduled %s for deletion at reboot", path.c_str());
            return true;
        }
        logLine(L"cannot schedule %s for deletion at reboot (%d)", path.c_str(), (int)GetLastError());
        return false;
    }

    void pause(unsigned milliseconds) override { Sleep(milliseconds); }

private:
    std::set<std::wstring> failed_;
};

struct Entry {
    std::wstring path;
    bool directory = false;
    bool scheduled = false;
};

void enterExecutableDirectory() {
    std::wstring dir = exeDirWide();
    if (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    if (!SetCurrentDirectoryW(dir.c_str())) logLine(L"cannot enter %s (%d)", dir.c_str(), (int)GetLastError());
}

// The file's bytes; empty when it cannot be read.
std::string readWholeFile(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        logLine(L"cannot open the deletion list %s (%d)", path.c_str(), (int)GetLastError());
        return std::string();
    }
    std::string bytes;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void warnRebootFailed(const std::wstring& warning) {
    if (warning.size() > 5) MessageBoxW(nullptr, warning.c_str(), kBoxCaption, MB_OK | MB_ICONWARNING);
}

}  // namespace

void waitForSemaphoreGone(const std::wstring& name) {
    bool logged = false;
    for (;;) {
        UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, name.c_str()));
        DWORD error = GetLastError();
        // Access denied means the name exists but belongs to someone we may not open it as;
        // any other failure (a bad name, another kind of object) would never change.
        bool exists = semaphore ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
        if (!exists) break;
        semaphore.reset();
        if (!logged) logLine(L"waiting for semaphore %s", name.c_str());
        logged = true;
        Sleep(kSemaphorePollMs);
    }
    if (logged) logLine(L"semaphore %s is gone", name.c_str());
}

DeletionOutcome runDeletionPasses(const DeletionList& list, DeletionSystem& system) {
    std::vector<Entry> entries;
    for (const std::wstring& f : list.files) entries.push_back({f, false, false});
    for (const std::wstring& d : list.directories) entries.push_back({d, true, false});
    bool atBoot = list.deletionAtBootAllowed();

    DeletionOutcome outcome;
    for (int pass = 0; pass < kDeletionPasses; ++pass) {
        outcome.passes = pass + 1;
        bool last = pass == kDeletionPasses - 1;
        if (!list.semaphore.empty()) system.waitForSemaphoreGone(list.semaphore);
        bool remaining = false;
        for (auto it = entries.begin(); it != entries.end();) {
            if (system.remove(it->path, it->directory) || !system.exists(it->path)) {
                it = entries.erase(it);
                continue;
            }
            if (isPrivateTempPath(it->path)) {
                // A launcher's private files go at the next boot at the latest, so they hold
                // nothing up; one entry at boot is enough.
                if (!it->scheduled) it->scheduled = system.scheduleAtBoot(it->path);
            } else {
                remaining = true;
                if (last && atBoot && system.scheduleAtBoot(it->path) && !it->directory) outcome.rebootNeeded = true;
            }
            ++it;
        }
        if (!remaining) break;
        if (!last) system.pause(kDeletionPauseMs);
    }
    for (const Entry& e : entries) outcome.left.push_back(e.path);
    return outcome;
}

int delayedDeletion(const std::wstring& listFile) {
    logLine(L"delayed deletion with list %s", listFile.c_str());
    enterExecutableDirectory();
    DeletionList list = parseDeletionList(listLines(readWholeFile(listFile)));
    if (!list.complete) {
        logError(L"deletion list %s has no complete control section; nothing deleted", listFile.c_str());
        return 0;
    }

    Win32DeletionSystem system;
    DeletionOutcome outcome = runDeletionPasses(list, system);
    logLine(L"deletion done after %d passes", outcome.passes);
    for (const std::wstring& path : outcome.left) logLine(L"left in place: %s", path.c_str());
    if (!DeleteFileW(listFile.c_str())) logLine(L"cannot delete %s (%d)", listFile.c_str(), (int)GetLastError());

    if (list.rebootWhenDone()) {
        if (!rebootNow()) warnRebootFailed(list.warning);
    } else if (outcome.rebootNeeded) {
        if (list.question.size() > 5 &&
            MessageBoxW(nullptr, list.question.c_str(), kBoxCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            if (!rebootNow()) warnRebootFailed(list.warning);
        } else {
            recordRebootCheckFile();
        }
    }
    return 0;
}

}  // namespace qpk
