#include "launcher/LauncherState.h"

namespace qpk {

LauncherState gState;

}  // namespace qpk
