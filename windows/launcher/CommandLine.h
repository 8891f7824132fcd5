// The launcher's command-line tokenizer, the internal markers and the user switches.
// Pure functions: the side effects of a switch are applied by the caller.
#pragma once
#include <string>
#include <vector>

#include "launcher/ArgumentVector.h"

namespace qpk {

// Appends the tokens of `text`. Double and single quotes group; there is no escape
// character. A quote inside a token joins the text before it with the quoted text.
void splitCommandLine(const std::wstring& text, ArgumentVector& vector);

// Internal markers, matched against the raw text after the program name.
struct TailMarkers {
    bool reboot = false;          // "__qpk_reboot", whole tail
    bool languageRestart = false; // "__qpk_lang_restart", prefix
    bool extractAndExit = false;  // "__qpk_extract_and_exit", prefix
    bool delayedDeletion = false; // "__qpk_windel", prefix (needs a list file argument too)
};
TailMarkers classifyTail(const char* tail);

// What the user switches ask for. Comparison is exact and case-sensitive.
struct SwitchScan {
    bool quiet = false;          // "-q" or "-c"
    bool clearGuiErrors = false; // "-q" or "-c"
    bool attachConsole = false;  // "-console", or "-c"
    bool consoleSwitch = false;  // "-console"
    bool splash = false;         // "-splash"
    bool noCheck = false;        // "-nocheck"
    bool manualJre = false;      // "-manual", "/manual"
};
SwitchScan scanSwitches(const ArgumentVector& vector);

// Removes a forced-log switch given as element 1; true when one was there.
bool takeForcedLogSwitch(ArgumentVector& vector);

// Index of the first "-temp" or "/temp" element, or -1.
int findTempSwitch(const ArgumentVector& vector);

}  // namespace qpk
