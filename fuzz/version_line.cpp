// The standard error of a runtime's "-version" run, as read from its file.
#include "FuzzInput.h"
#include "jre/Version.h"
#include "jre/VersionLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qpk::VersionLineSearch search = qpk::findVersionLine(qpkfuzz::bytes(data, size));
    if (search.skipped.size() > qpk::kVersionOutputLines) __builtin_trap();
    if (search.found) {
        if (search.version.size() > qpk::kVersionLineCapacity) __builtin_trap();
        qpk::parseVersion(search.version);
    }
    return 0;
}
