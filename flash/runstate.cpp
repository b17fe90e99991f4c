#include "kelvor_core/runstate.h"

namespace kelvor {

namespace {
RunState theRunState;
}

RunState& runState() { return theRunState; }

void resetRunState() { theRunState = RunState{}; }

}  // namespace kelvor
