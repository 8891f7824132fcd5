#include "jre/RuntimeRecord.h"

namespace qpk {

std::string jvmHome;
std::string runtimeVersion;

}  // namespace qpk
