#include "natives/WindowSearch.h"

#include "common/Owned.h"

namespace qpk {

namespace {

constexpr int kTitleChars = 4096;

DWORD windowProcess(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// EnumWindows with a callable instead of a callback and process-wide data, so that concurrent
// searches cannot disturb each other. The callable returns false to stop.
template <class Visit>
void forEachTopLevelWindow(Visit visit) {
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL { return (*reinterpret_cast<Visit*>(context))(window) ? TRUE : FALSE; },
        reinterpret_cast<LPARAM>(&visit));
}

int closeAndWait(const std::vector<DWORD>& ids, DWORD timeoutMs) {
    int status = kTerminated;
    std::vector<bool> reached(ids.size(), false);
    forEachTopLevelWindow([&](HWND window) {
        if (!IsWindowVisible(window)) return true;
        DWORD owner = windowProcess(window);
        for (size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] != owner) continue;
            reached[i] = true;
            if (!PostMessageW(window, WM_CLOSE, 0, 0)) status = kTerminateFailed;
        }
        return true;
    });
    for (bool r : reached)
        if (!r) status = kTerminateFailed;  // no visible window to ask
    if (status != kTerminated) return status;
    std::vector<UniqueHandle> processes;
    std::vector<HANDLE> handles;
    for (DWORD id : ids) {
        processes.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, id));
        if (!processes.back()) return kWaitFailed;
        handles.push_back(processes.back().get());
    }
    if (handles.empty()) return status;
    // More than MAXIMUM_WAIT_OBJECTS (64) handles make the wait fail: status 2.
    DWORD rc = WaitForMultipleObjects(DWORD(handles.size()), handles.data(), TRUE, timeoutMs);
    if (rc == WAIT_TIMEOUT) return kWaitTimedOut;
    return rc == WAIT_OBJECT_0 ? kTerminated : kWaitFailed;
}

}  // namespace

HWND findMainWindow(DWORD processId) {
    HWND found = nullptr;
    forEachTopLevelWindow([&](HWND window) {
        if (windowProcess(window) != processId || GetWindow(window, GW_OWNER) != nullptr || !IsWindowVisible(window))
            return true;
        found = window;
        return false;
    });
    return found;
}

std::wstring windowTitle(DWORD processId) {
    std::wstring title;
    std::vector<wchar_t> buffer(kTitleChars);
    forEachTopLevelWindow([&](HWND window) {
        if (windowProcess(window) != processId) return true;
        int length = GetWindowTextW(window, buffer.data(), kTitleChars);
        if (length <= 0) return true;
        title.assign(buffer.data(), size_t(length));
        return !IsWindowVisible(window);
    });
    return title;
}

void toFront() {
    DWORD self = GetCurrentProcessId();
    forEachTopLevelWindow([&](HWND window) {
        if (windowProcess(window) == self && IsWindowVisible(window)) {
            SetForegroundWindow(window);
            SetForegroundWindow(GetLastActivePopup(window));
        }
        return true;
    });
}

int terminateProcesses(const std::vector<DWORD>& ids, bool force, DWORD timeoutMs) {
    if (!force) return closeAndWait(ids, timeoutMs);
    int status = kTerminated;
    for (DWORD id : ids) {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        // A failure is noted and the others are still ended.
        if (!process || !TerminateProcess(process.get(), 0)) status = kTerminateFailed;
    }
    return status;
}

}  // namespace qpk
