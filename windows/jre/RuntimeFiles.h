// The version of a runtime as its own files state it, without starting it: the release
// file's JAVA_VERSION, taken only where the version resource of bin\java.exe confirms that
// "java -version" would print the same. Pure, so that it can be fuzzed.
#pragma once
#include <cstdint>
#include <string>

namespace qpk {

constexpr uint16_t kMachineAmd64 = 0x8664;
// A release file is a few lines; one larger than this is not read.
constexpr size_t kReleaseFileCapacity = 65536;
// The PE header is looked for in this many first bytes of java.exe.
constexpr size_t kPeHeadBytes = 4096;

struct RuntimeFiles {
    std::string release;      // the home's release file
    uint16_t machine = 0;     // bin\java.exe's PE machine, 0 when none was found
    std::string fullVersion;  // the "Full Version" text of its version resource
    bool jvmLibrary = false;  // bin\server or bin\client holds the jvm.dll that java.exe starts
};

// The value of a `KEY="value"` line of a release file, without its quotes; empty when
// there is no such line or its value is not quoted.
std::string releaseValue(const std::string& release, const std::string& key);

// The machine field of the PE header that the first bytes of an image point to; 0 when
// they hold none.
uint16_t peMachine(const std::string& head);

// The version "java -version" prints for a runtime with these files, when they tell it for
// sure: an x86-64 java.exe that can start its JVM (so that running it would succeed), a
// release version of Java 9 or later, and a full version that is that number followed by
// nothing or "+" (its build). A pre-release build's full version carries "-" and its
// pre-release text behind the number, which its release file leaves out but its version
// line shows; so do disagreeing files: both are left to running the runtime.
bool versionFromRuntimeFiles(const RuntimeFiles& files, std::string& version);

}  // namespace qpk
