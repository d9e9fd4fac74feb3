// The engine as the library names it: its public face, paradox/api/, under the name engine::.
// The rest of library/ reaches the engine only through this folder: this name, the session the
// library starts (engine_session.h) and the calls that take the library's packed interface
// records (table_engine.h, link_journal.h), which are converted to the face's types there.
#pragma once
#include "paradox/api/database.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/fault_point.h"
#include "paradox/api/ini_file.h"
#include "paradox/api/session.h"
#include "paradox/api/table.h"
#include "paradox/api/table_changes.h"

namespace vortab {

namespace engine = paradox::api;

}  // namespace vortab
