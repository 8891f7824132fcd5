// Checks of VistaFileChooser's paired arguments before anything is shown: pure.
#pragma once
#include <cstddef>

namespace qpk {

// Filter patterns must pair with the names (none when the names are null); check box states
// must cover every label, since they are written back. Mismatched arrays are refused rather
// than read or written past their ends.
inline bool pairedArgumentsFit(bool hasNames, size_t names, bool hasPatterns, size_t patterns, bool hasLabels,
                               size_t labels, bool hasStates, size_t states) {
    if (hasNames && (!hasPatterns || patterns != names)) return false;
    if (hasLabels && labels > 0 && (!hasStates || states != labels)) return false;
    return true;
}

// The dialog's options after the caller's bits are set and cleared.
inline unsigned dialogOptions(unsigned current, unsigned set, unsigned clear) { return (current | set) & ~clear; }

}  // namespace qpk
