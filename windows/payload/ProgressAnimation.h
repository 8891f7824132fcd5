// The progress bar's walk from 200 towards 300 while unpack200 restores packed jars and
// reports nothing: steps of 10, each a tenth of the time untarring took.
#pragma once
#include <windows.h>

#include "common/Owned.h"

namespace qpk {

class ProgressAnimation {
public:
    // Puts a position on the dialog's bar; tests pass their own.
    using Send = void (*)(HWND dialog, int position);
    static void sendToBar(HWND dialog, int position);

    // Starts the walk on a thread of its own, at above-normal priority.
    ProgressAnimation(HWND dialog, DWORD pacingMs, Send send = sendToBar);
    ~ProgressAnimation() { stop(); }
    ProgressAnimation(const ProgressAnimation&) = delete;
    ProgressAnimation& operator=(const ProgressAnimation&) = delete;

    // Once it returns no position is sent any more, so none can follow the watcher's.
    void stop();

private:
    static DWORD WINAPI run(LPVOID self);

    HWND dialog_;
    DWORD pacing_;
    Send send_;
    UniqueHandle stopEvent_;
    UniqueHandle thread_;
};

}  // namespace qpk
