// The Java runtime taken into use: its home (the java executable's directory followed by
// "..") and its version text. Empty until a runtime has been chosen; written on the
// preparation thread before the JVM starts, read afterwards.
#pragma once
#include <string>

namespace qpk {

extern std::string jvmHome;
extern std::string runtimeVersion;

}  // namespace qpk
