// The calling thread's DriverKind, set by the entry points before a line is compiled; the
// compiler's driver restrictions read it.
#pragma once
#include "shared/driver_kind.h"

namespace vortab {

DriverKind CurrentDriverKind();
void SetCurrentDriverKind(DriverKind kind);

}  // namespace vortab
