// RunUpgrade: applies a script to a database with the information window showing it. The run
// goes on a worker thread with a binding of its own, so the window stays responsive while a
// long step runs; its progress reports, the password prompt, the question about a log that
// another station holds and the warnings are answered on the interface thread while the
// worker waits. Afterwards the window's header tells how the run ended.
#pragma once
#include "editor/runner/script_runner.h"

namespace vortab::ui {

class TfrmUpgrInfo;

// RunScript's result; an error of the log is raised here after the window is finished.
StatusCode RunUpgrade(TfrmUpgrInfo& window, const ScriptRun& run);

}  // namespace vortab::ui
