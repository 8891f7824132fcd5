#include "payload/ProgressAnimation.h"

#include <commctrl.h>

#include "launcher/Log.h"
#include "launcher/resource.h"

namespace qpk {

void ProgressAnimation::sendToBar(HWND dialog, int position) {
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(position), 0);
}

ProgressAnimation::ProgressAnimation(HWND dialog, DWORD pacingMs, Send send)
    : dialog_(dialog), pacing_(pacingMs), send_(send), stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!stopEvent_) {
        logError(L"could not start the progress animation (%d)", int(GetLastError()));
        return;
    }
    thread_.reset(CreateThread(nullptr, 0, run, this, 0, nullptr));
    if (thread_) SetThreadPriority(thread_.get(), THREAD_PRIORITY_ABOVE_NORMAL);
}

void ProgressAnimation::stop() {
    if (!thread_) return;
    SetEvent(stopEvent_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI ProgressAnimation::run(LPVOID param) {
    auto* self = static_cast<ProgressAnimation*>(param);
    // The stop is looked at after each pause, before the position is sent.
    for (int position = 200; position < 300;) {
        if (WaitForSingleObject(self->stopEvent_.get(), self->pacing_ / 10) != WAIT_TIMEOUT) break;
        position += 10;
        self->send_(self->dialog_, position);
    }
    return 0;
}

}  // namespace qpk
