// The library's one engine session: started when the library is loaded and stopped when it is
// unloaded. Its password event always answers "give up", so the engine never asks anyone for a
// password itself; the library asks its caller (see passwords.h).
#pragma once
#include "library/engine/engine.h"

namespace vortab {

engine::Session& EngineSession();
// Whether the engine started at load; the version is all zero when it did not.
bool EngineStarted();
engine::EngineVersion LoadedEngineVersion();

}  // namespace vortab
