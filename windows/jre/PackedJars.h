// Jars shipped in the Pack200 format ("name.jar.pack") restored with the runtime's own
// unpack200.exe.
#pragma once
#include <string>

namespace qpk {

// Restores the packed jars of the home's "lib" and "lib\ext" directories; a jar that
// already exists is never unpacked again.
void unpackPackedJars(const std::string& home);

// Runs "<home>\bin\unpack200.exe -r "<pack>" "<jar>"", waits for it, deletes the pack file.
// Fatal (internal error "20") when unpack200 cannot be started.
void unpackJar(const std::string& home, const std::string& packPath);

}  // namespace qpk
