// A command line in UTF-16 through the splitter and the scans that follow it; the same
// bytes as the narrow tail the markers are read from.
#include "FuzzInput.h"
#include "launcher/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qpk::ArgumentVector vector;
    qpk::splitCommandLine(qpkfuzz::utf16(data, size), vector);
    qpk::scanSwitches(vector);
    qpk::findTempSwitch(vector);
    qpk::takeForcedLogSwitch(vector);
    std::string tail = qpkfuzz::bytes(data, size);
    qpk::classifyTail(tail.c_str());
    return 0;
}
