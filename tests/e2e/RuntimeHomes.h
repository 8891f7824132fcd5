// Java runtime homes built from the stand-ins, per test, in a scratch directory.
#pragma once
#include <string>
#include <vector>

namespace qpke2e {

struct RuntimeLayout {
    std::string version = "11.0.2";        // what java.exe -version reports
    std::string binDir = "bin";            // "jre\\bin" for a JDK's embedded runtime
    std::vector<std::string> vmDirs = {"server"};  // bin\<vm>\jvm.dll
    enum Library { Exporting, NotExporting, ThirtyTwoBit } library = Exporting;
    bool javaw = false;
    bool toolsJar = false;                 // lib\tools.jar marks a JDK
};

// Creates the runtime below `home` (made if missing); the java.exe is <home>\<binDir>\java.exe.
void makeRuntime(const std::string& home, const RuntimeLayout& layout = RuntimeLayout());

// Lower-cased, as the launcher normalises paths.
std::string lowerAscii(std::string text);

}  // namespace qpke2e
