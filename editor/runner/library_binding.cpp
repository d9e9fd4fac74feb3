#include "editor/runner/library_binding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "editor/runner/status_messages.h"
#include "paradox/api/session.h"

namespace vortab {

LibraryBinding::~LibraryBinding() {
    Unload();
    if (sessionStarted_) paradox::api::Session::Default().stop();
}

std::string LibraryPath(const std::string& directory) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + kLibraryFileName;
}

StatusCode LibraryBinding::BindLibrary(const std::string& directory) {
    if (module_) {
        ++useCount_;
        return status::kSuccess;
    }
    useCount_ = 0;
    if (!sessionStarted_) {
        try {
            paradox::api::Session::Default().start();
            sessionStarted_ = true;
        } catch (...) {
            return status::kEngineNotInitialised;
        }
    }
    module_ = dlopen(LibraryPath(directory).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) return status::kLibraryNotLoaded;
    execLine = reinterpret_cast<decltype(execLine)>(dlsym(module_, kVortabEntryPointNames[0]));
    checkSyntax = reinterpret_cast<decltype(checkSyntax)>(dlsym(module_, kVortabEntryPointNames[1]));
    addPassword = reinterpret_cast<decltype(addPassword)>(dlsym(module_, kVortabEntryPointNames[2]));
    registerPswdCallback = reinterpret_cast<decltype(registerPswdCallback)>(
        dlsym(module_, kVortabEntryPointNames[3]));
    getInfo = reinterpret_cast<decltype(getInfo)>(dlsym(module_, kVortabEntryPointNames[4]));
    if (!execLine || !checkSyntax || !addPassword || !registerPswdCallback || !getInfo) {
        Unload();
        return status::kLibraryNotLoaded;
    }
    restoreLinks = reinterpret_cast<decltype(restoreLinks)>(dlsym(module_, kVortabRestoreLinksName));
    useCount_ = 1;
    return status::kSuccess;
}

void LibraryBinding::ReleaseLibrary() {
    if (!module_) return;
    if (--useCount_ <= 0) Unload();
}

void LibraryBinding::Unload() {
    if (module_) dlclose(module_);
    module_ = nullptr;
    useCount_ = 0;
    info_ = nullptr;
    execLine = nullptr;
    checkSyntax = nullptr;
    addPassword = nullptr;
    registerPswdCallback = nullptr;
    getInfo = nullptr;
    restoreLinks = nullptr;
}

const LibraryInfo* LibraryBinding::OpenLibraryInfo(const std::string& directory) {
    info_ = nullptr;
    const LibraryInfo* info = nullptr;
    if (BindLibrary(directory) <= 0) info = getInfo("");
    if (!info) throw std::runtime_error(StatusMessage(status::kLibraryNotLoaded));
    if (info->version < kLibraryInterfaceVersion) throw std::runtime_error(kLibraryTooOldText);
    info_ = info;
    return info;
}

std::string DefaultLibraryDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    for (const char* sibling : {"lib", "library"}) {
        const auto dir = exe.parent_path().parent_path() / sibling;
        if (std::filesystem::exists(dir / kLibraryFileName, ec)) return dir.string();
    }
    return {};
}

}  // namespace vortab
