// Console attachment for "-console" and "-c" runs of the GUI executable.
#pragma once

namespace qpk {

// Attaches to the parent's console or allocates one, and points the standard streams at
// it. Always reports success.
bool attachConsole();

}  // namespace qpk
