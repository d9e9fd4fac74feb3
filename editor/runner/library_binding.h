// LibraryBinding: loads libvortab.so at run time, resolves its five entry points and keeps it
// loaded for as long as binds outnumber releases. The programs never link the library; a
// missing file or entry point is status 999, an engine session that does not start 204.
#pragma once
#include <string>

#include "shared/status_code.h"
#include "shared/vortab_api.h"

namespace vortab {

inline constexpr const char* kLibraryFileName = "libvortab.so";

class LibraryBinding {
public:
    ~LibraryBinding();

    // 0 when bound (or already bound: the use count grows), 999 when not loadable, 204 when the
    // program's own engine session does not start.
    StatusCode BindLibrary(const std::string& directory);
    void ReleaseLibrary();
    // Binds and returns the information block, which stays the binding's library info; throws
    // std::runtime_error with the status text when the library cannot be loaded, or with
    // kLibraryTooOldText when it is older than interface version 6 (it then stays bound).
    const LibraryInfo* OpenLibraryInfo(const std::string& directory);
    // The check every command that needs the library makes first: true when OpenLibraryInfo
    // found a usable library. Front ends turn false into their message (kLibraryMissingText).
    bool RequireLibrary() const { return info_ != nullptr && module_ != nullptr; }

    bool loaded() const { return module_ != nullptr; }
    int useCount() const { return useCount_; }

    decltype(&vortabExecLine) execLine = nullptr;
    decltype(&vortabCheckSyntax) checkSyntax = nullptr;
    decltype(&vortabAddPassword) addPassword = nullptr;
    decltype(&vortabRegisterPswdCallback) registerPswdCallback = nullptr;
    decltype(&vortabGetInfo) getInfo = nullptr;
    decltype(&vortabRestoreLinks) restoreLinks = nullptr;  // optional: null in older libraries

private:
    void Unload();
    void* module_ = nullptr;
    int useCount_ = 0;
    const LibraryInfo* info_ = nullptr;
    bool sessionStarted_ = false;
};

inline constexpr const char* kLibraryTooOldText = "Updated version of VORTAB.DLL needed";
inline constexpr const char* kLibraryMissingText = "VORTAB.DLL not loaded - please set DLL directory in Options";

// The path BindLibrary loads: the directory, a "/" unless it is empty or ends in one, and the
// library's file name (a bare name goes through the loader's normal search).
std::string LibraryPath(const std::string& directory);

// The directory a program finds the library in by default: its own ../lib when that holds the
// library, else its build-tree sibling ../library, else empty (the loader's normal search).
std::string DefaultLibraryDirectory();

}  // namespace vortab
