// The delayed-deletion role: once the program that used them has gone, deletes the files
// and directories of a list file, schedules what stays for deletion at the next boot, and
// reboots or records the pending reboot.
#pragma once
#include <string>
#include <vector>

#include "launcher/DeletionList.h"

namespace qpk {

// The whole run for the list file (a path relative to the executable's directory works);
// the executable's result, always 0.
int delayedDeletion(const std::wstring& listFile);

// Returns once no object of that name exists; polls every 200 ms, for as long as it takes.
void waitForSemaphoreGone(const std::wstring& name);

// What the deletion passes need from the system, so that their rules can be run on a fake.
class DeletionSystem {
public:
    virtual ~DeletionSystem() = default;
    virtual void waitForSemaphoreGone(const std::wstring& name) = 0;
    virtual bool remove(const std::wstring& path, bool directory) = 0;
    virtual bool exists(const std::wstring& path) = 0;
    virtual bool scheduleAtBoot(const std::wstring& path) = 0;
    virtual void pause(unsigned milliseconds) = 0;
};

constexpr int kDeletionPasses = 60;
constexpr unsigned kDeletionPauseMs = 500;

struct DeletionOutcome {
    int passes = 0;
    bool rebootNeeded = false;          // a file was scheduled for deletion at the next boot
    std::vector<std::wstring> left;     // paths that still existed after the last pass
};

// Up to kDeletionPasses passes over the list's files, then its directories, until nothing
// that must go now is left.
DeletionOutcome runDeletionPasses(const DeletionList& list, DeletionSystem& system);

}  // namespace qpk
