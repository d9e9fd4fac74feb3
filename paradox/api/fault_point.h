// Fault points for crash-safety tests: a program that builds durable steps of its own on the
// engine's marks each one here, so that a test arming step N (VORTAB_FAULT_STEP) counts the
// program's steps and the engine's in one sequence. Off unless armed; costs one atomic load.
#pragma once

#include "paradox/api/export.h"

namespace paradox::api {

// Marks one step; `what` names it. Stops the process (or throws 9218) when it is the armed step.
PARADOX_API void FaultPoint(const char* what);

}  // namespace paradox::api
