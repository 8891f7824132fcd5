// The result of VistaTaskDialog.show0 from what the dialog returned: pure.
#pragma once

namespace qpk {

// Custom buttons have the identifiers 101, 102, ...
const int kFirstCustomButtonId = 101;

// Custom button i gives i + 1; a common button, the close box or a failed call 1000; a
// checked verification box negates it.
inline int taskDialogResult(int pressedId, bool verificationChecked) {
    int result = pressedId > 100 ? pressedId - 100 : 1000;
    return verificationChecked ? -result : result;
}

}  // namespace qpk
