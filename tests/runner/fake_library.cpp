// A stand-in for libvortab.so that the binding must refuse: built once without its fifth entry
// point and once reporting interface version 5.
#include <cstdint>

#include "shared/vortab_api.h"

extern "C" {
__attribute__((visibility("default"))) std::int32_t vortabExecLine(const char*, const char*, const char*) { return 0; }
__attribute__((visibility("default"))) std::int32_t vortabCheckSyntax(const char*, const char*) { return 0; }
__attribute__((visibility("default"))) void vortabAddPassword(const char*) {}
__attribute__((visibility("default"))) VortabPasswordCallback vortabRegisterPswdCallback(VortabPasswordCallback) {
    return nullptr;
}
#ifndef FAKE_WITHOUT_INFO
static LibraryInfo info{FAKE_VERSION, nullptr};
__attribute__((visibility("default"))) const LibraryInfo* vortabGetInfo(const char*) { return &info; }
#endif
}
