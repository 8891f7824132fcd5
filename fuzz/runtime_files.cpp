// A runtime's release file and the first bytes of its java.exe.
#include "FuzzInput.h"
#include "jre/RuntimeFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input = qpkfuzz::bytes(data, size);
    qpk::RuntimeFiles files;
    files.release = input;
    files.machine = qpk::peMachine(input);
    files.fullVersion = qpk::releaseValue(input, "FULL");
    files.jvmLibrary = true;
    std::string version;
    if (qpk::versionFromRuntimeFiles(files, version) && version != qpk::releaseValue(input, "JAVA_VERSION"))
        __builtin_trap();
    return 0;
}
