// Jars shipped in the Pack200 format ("name.jar.pack") restored with the runtime's own
// unpack200.exe.
#pragma once
#include <string>

namespace qpk {

// Restores the packed jars of the home's "lib" and "lib\ext" directories; a jar that
// already exists is never unpacked again. False when a jar could not be restored: the
// runtime lacks it, and the rest are not tried.
bool unpackPackedJars(const std::string& home);

// Runs "<home>\bin\unpack200.exe -r "<pack>" "<jar>"", waits for it, deletes the pack file.
// False, the pack kept and a jar it began deleted, when unpack200 ends with another exit
// code than 0 or leaves no jar. True when there is no pack. Fatal (internal error "20") when
// unpack200 cannot be started.
bool unpackJar(const std::string& home, const std::string& packPath);

}  // namespace qpk
