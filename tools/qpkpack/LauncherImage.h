// Recognising a PE image and where its raw data ends, which is where a payload begins; and
// the image a setup starts with.
#pragma once
#include <string>

#include "ExecutableIdentity.h"
#include "PeImage.h"
#include "payload/ByteSource.h"
#include "payload/PeLayout.h"

namespace qpkpack {

// Reads the layout and checks what readPeLayout takes on trust: the MZ and PE signatures,
// at least one section, and a payload start inside the file. `why` explains a failure.
bool readImageLayout(qpk::ByteSource& source, qpk::PeLayout& layout, std::string& why);

// The image of the launcher at `path` (a bare launcher or a setup), read up to its payload
// start: whatever followed (a symbol table, an old payload, a signature) is left out, the
// certificate table is cleared, `identity` is applied and the checksum field is zeroed for
// the writer to fill in. Errors start with "launcher: " or, for the manifest's fields,
// with `origin`.
bool loadLauncherImage(const std::string& path, const ExecutableIdentity& identity, const std::string& origin,
                       std::string& image, PeHeaders& pe, std::string& error);

// The bytes of the image up to the payload start, as readImageLayout found it.
bool readImage(qpk::ByteSource& source, const qpk::PeLayout& layout, std::string& image);

}  // namespace qpkpack
