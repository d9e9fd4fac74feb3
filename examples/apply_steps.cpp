// apply_steps DATABASE SCRIPT: an application embedding libvortab. It loads the library at run
// time and executes every step of the script against the database in order, printing each
// step's status: 0 done, -1 already done before, anything else stops the run there.
#include <fstream>
#include <iostream>
#include <sstream>

#include "editor/runner/library_binding.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/status_messages.h"
#include "shared/cp1252.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: apply_steps DATABASE SCRIPT\n";
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::cerr << "apply_steps: cannot read " << argv[2] << "\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const auto steps = vortab::ScriptSteps(vortab::SplitLines(text.str()));

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
