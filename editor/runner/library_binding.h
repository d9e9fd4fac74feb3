// LibraryBinding: loads libvortab.so at run time, resolves its five entry points and keeps it
// loaded for as long as binds outnumber releases. The programs never link the library; a
// missing file or entry point is status 999.
#pragma once
#include <string>

#include "shared/status_code.h"
#include "shared/vortab_api.h"

namespace vortab {

inline constexpr const char* kLibraryFileName = "libvortab.so";

class LibraryBinding {
public:
    ~LibraryBinding();

    // 0 when bound (or already bound: the use count grows), 999 when not loadable.
    StatusCode BindLibrary(const std::string& directory);
    void ReleaseLibrary();
    // Binds and returns the information block; throws std::runtime_error with the status text
    // when the library cannot be loaded or is older than interface version 6.
    const LibraryInfo* OpenLibraryInfo(const std::string& directory);

    bool loaded() const { return module_ != nullptr; }
    int useCount() const { return useCount_; }

    decltype(&vortabExecLine) execLine = nullptr;
    decltype(&vortabCheckSyntax) checkSyntax = nullptr;
    decltype(&vortabAddPassword) addPassword = nullptr;
    decltype(&vortabRegisterPswdCallback) registerPswdCallback = nullptr;
    decltype(&vortabGetInfo) getInfo = nullptr;

private:
    void Unload();
    void* module_ = nullptr;
    int useCount_ = 0;
};

// The directory a program finds the library in by default: its own ../lib when that holds the
// library, else its build-tree sibling ../library, else empty (the loader's normal search).
std::string DefaultLibraryDirectory();

}  // namespace vortab
