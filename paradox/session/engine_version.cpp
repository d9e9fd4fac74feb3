#include "paradox/session/engine_version.h"

namespace paradox {

EngineVersion LoadedEngineVersion() { return kEngineVersion; }

}  // namespace paradox
