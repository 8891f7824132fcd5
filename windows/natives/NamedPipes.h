// The pipe primitives of the conversation with a second installer process: a local,
// single-instance duplex byte stream, and exact-count reads and writes on it.
#pragma once
#include <windows.h>

namespace qpk {

// A pipe that only this user, the administrators and the system may open. INVALID_HANDLE_VALUE
// when it cannot be created (for instance while the name exists, or for a null name).
HANDLE createListenerPipe(const wchar_t* name);

// Blocks until a client is connected. A client that came before this call counts, also one
// that has left again if what it wrote is still to be read; a pipe in non-blocking mode is
// polled every 500 ms for about five minutes; any other failure is final.
bool waitForPipeClient(HANDLE listener);

// The client end, for identification only, retried for about 100 seconds in all while the
// pipe is missing or busy; nullptr when it cannot be opened, at once for a null name.
HANDLE openPipeClient(const wchar_t* name);

// Exactly `size` bytes, or false: a failed call and a call that moves no data both end it.
bool readExactly(HANDLE handle, void* buffer, DWORD size);
bool writeExactly(HANDLE handle, const void* buffer, DWORD size);

// True also for a process that exists but may not be opened by this one.
bool isProcessAlive(DWORD pid);

}  // namespace qpk
