// Running work on the user-interface thread from any thread, and running long work off it while
// the interface keeps answering (Abort buttons, password prompts, repaints).
#pragma once
#include <functional>

namespace vortab::ui {

// Runs task on the user-interface thread and waits for it; runs it at once when already there.
void RunOnInterfaceThread(const std::function<void()>& task);

// Runs work on a worker thread and spins a local event loop until it is done; an exception of
// work is raised again here. Returns work's result.
int RunOffInterfaceThread(const std::function<int()>& work);

}  // namespace vortab::ui
