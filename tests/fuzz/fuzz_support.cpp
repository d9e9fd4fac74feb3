#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vortab::fuzz {

const std::string& ScratchDir() {
    static const std::string dir = [] {
        struct stat st{};
        std::string base = stat("/dev/shm", &st) == 0 ? "/dev/shm" : (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
        std::string pattern = base + "/vortab-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch directory");
        return pattern;
    }();
    return dir;
}

void WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(ScratchDir() + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void RemoveScratchFile(const std::string& name) { std::remove((ScratchDir() + "/" + name).c_str()); }

}  // namespace vortab::fuzz
