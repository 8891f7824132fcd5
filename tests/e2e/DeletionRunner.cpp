// Starts the executable's reboot and delayed-deletion roles the way WinMain chooses them
// (exact tail "__qpk_reboot"; tail beginning with "__qpk_windel" and a third argument),
// so that they can be run as processes of their own from any directory.
// Exit code 3: neither role was asked for.
#include <windows.h>

#include "launcher/CommandLine.h"
#include "launcher/DelayedDeletion.h"
#include "launcher/Reboot.h"

using namespace qpk;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int) {
    TailMarkers markers = classifyTail(commandTail ? commandTail : "");
    if (markers.reboot) {
        rebootMode();
        return 0;
    }
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    if (markers.delayedDeletion && vector.size() >= 3) return delayedDeletion(vector[2]);
    return 3;
}
