// A setup file cut down to what the reader sees: PE headers, then the configuration block
// where the last section's raw data ends.
#include "FuzzInput.h"
#include "payload/ConfigBlock.h"
#include "payload/PeLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qpk::MemorySource source(qpkfuzz::bytes(data, size));
    qpk::PeLayout layout;
    if (!qpk::readPeLayout(source, layout).ok() || !source.seek(layout.payloadStart)) return 0;
    qpk::ConfigBlock block;
    if (!qpk::parseConfigBlock(source, block).ok()) return 0;
    qpk::narrowMap(block);
    qpk::wideMap(block, "de_CH");
    return 0;
}
