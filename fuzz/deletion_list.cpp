// A delayed-deletion list file (UTF-16LE) as the role reads it.
#include "FuzzInput.h"
#include "launcher/DeletionList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qpk::DeletionList list = qpk::parseDeletionList(qpk::listLines(qpkfuzz::bytes(data, size)));
    for (const std::wstring& path : list.files) qpk::isPrivateTempPath(path);
    for (const std::wstring& path : list.directories) qpk::isPrivateTempPath(path);
    list.deletionAtBootAllowed();
    return 0;
}
