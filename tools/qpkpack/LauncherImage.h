// Recognising a PE image and where its raw data ends, which is where a payload begins.
#pragma once
#include <string>

#include "payload/ByteSource.h"
#include "payload/PeLayout.h"

namespace qpkpack {

// Reads the layout and checks what readPeLayout takes on trust: the MZ and PE signatures,
// at least one section, and a payload start inside the file. `why` explains a failure.
bool readImageLayout(qpk::ByteSource& source, qpk::PeLayout& layout, std::string& why);

}  // namespace qpkpack
