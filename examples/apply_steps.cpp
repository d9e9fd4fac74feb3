// apply_steps DATABASE SCRIPT: an application embedding libvortab. It loads the library at run
// time and executes every step of the script against the database in order, printing each
// step's status: 0 done, -1 already done before, anything else stops the run there.
#include <iostream>

#include "editor/runner/library_binding.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/status_messages.h"
#include "shared/text/cp1252.h"
#include "shared/text/whole_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: apply_steps DATABASE SCRIPT\n";
        return 2;
    }
    const vortab::WholeFile script = vortab::ReadWholeFile(argv[2], vortab::kNoSizeLimit, vortab::FileKinds::StreamsToo);
    if (!script.ok()) {
        std::cerr << "apply_steps: cannot read " << argv[2] << "\n";
        return 1;
    }
    const auto steps = vortab::ScriptSteps(vortab::SplitLines(script.bytes));

    vortab::LibraryBinding library;
    if (const vortab::StatusCode code = library.BindLibrary(vortab::DefaultLibraryDirectory()); code != 0) {
        std::cerr << "apply_steps: " << code << " " << vortab::StatusMessage(code) << "\n";
        return 1;
    }
    int done = 0, skipped = 0;
    for (const auto& step : steps) {
        const vortab::StatusCode code = library.execLine(argv[1], "PARADOX", step.command.c_str());
        std::cout << "step " << step.step << ": " << code << " " << vortab::StatusMessage(code) << "\n";
        if (code == 0) ++done;
        else if (code == -1) ++skipped;
        else {
            std::cout << "    " << vortab::Cp1252ToUtf8(step.command) << "\n";
            library.ReleaseLibrary();
            return 1;
        }
    }
    library.ReleaseLibrary();
    std::cout << steps.size() << " steps: " << done << " done, " << skipped << " already done before\n";
    return 0;
}
