// vortab --version: the tool's version, and the version and file of the engine and of the
// script library it would use, so that a user can tell which installation answers.
#include <dlfcn.h>

#include <iostream>
#include <stdexcept>

#include "cli/cli_command.h"
#include "cli/run_options.h"
#include "editor/runner/library_binding.h"
#include "paradox/api/session.h"

namespace vortab::cli {
namespace {

// The file a loaded symbol comes from, or empty.
std::string ModuleFile(const void* symbol) {
    Dl_info info{};
    if (!symbol || dladdr(symbol, &info) == 0 || !info.dli_fname) return {};
    return info.dli_fname;
}

}  // namespace

int RunVersion(const Arguments& given) {
    Arguments args = given;
    const std::string directory = TakeLibraryDirectory(args);
    if (!args.empty()) {
        std::cerr << "vortab --version: unexpected argument '" << args.front() << "'\n";
        return exit_code::kUsage;
    }
    const paradox::api::EngineVersion e = paradox::api::LoadedEngineVersion();
    std::cout << "vortab " << VORTAB_VERSION_TEXT << "\n"
              << "engine   libparadox.so " << e.major << '.' << e.minor << '.' << e.release << '.' << e.build << "  "
              << ModuleFile(reinterpret_cast<const void*>(&paradox::api::LoadedEngineVersion)) << "\n";
    LibraryBinding binding;
    try {
        const LibraryInfo* info = binding.OpenLibraryInfo(directory);
        std::cout << "library  libvortab.so interface " << info->version << "  "
                  << ModuleFile(reinterpret_cast<const void*>(binding.getInfo)) << "\n";
    } catch (const std::runtime_error& e) {
        std::cout << "library  " << e.what() << " (" << LibraryPath(directory) << ")\n";
        return exit_code::kLibraryUnusable;
    }
    return exit_code::kSuccess;
}

}  // namespace vortab::cli
