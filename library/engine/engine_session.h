// The library's one engine session: started when the library is loaded and stopped when it is
// unloaded. Its password event always answers "give up", so the engine never asks anyone for a
// password itself; the library asks its caller (see passwords.h).
#pragma once
#include "paradox/session/engine_version.h"
#include "paradox/session/session.h"

namespace vortab {

paradox::Session& EngineSession();
// Whether the engine started at load; the version is all zero when it did not.
bool EngineStarted();
paradox::EngineVersion LoadedEngineVersion();

}  // namespace vortab
