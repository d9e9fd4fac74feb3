// Helpers for the engine tests: a scratch directory removed afterwards, the fixture folder,
// copying a table family out of the read-only fixtures, and raw file access.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace paradox_test {

namespace fs = std::filesystem;

inline fs::path FixturesDir() { return fs::path(VORTAB_FIXTURES_DIR); }

#define REQUIRE_FIXTURES()                                                              \
    do {                                                                                \
        if (!std::filesystem::exists(paradox_test::FixturesDir()))                                 \
            GTEST_SKIP() << "fixtures folder absent: " << paradox_test::FixturesDir();  \
    } while (0)

class ScratchDir {
public:
    ScratchDir() {
        path_ = fs::temp_directory_path() / ("vortab-engine-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    static int& counter() {
        static int c = 0;
        return c;
    }
    fs::path path_;
};

// Copies every file of the fixture folder `sub` whose name starts with `stem.` to `to`.
inline void CopyFamily(const std::string& sub, const std::string& stem, const fs::path& to) {
    for (const auto& e : fs::directory_iterator(FixturesDir() / sub)) {
        const std::string name = e.path().filename().string();
        if (name.size() > stem.size() && name.compare(0, stem.size() + 1, stem + ".") == 0) {
            fs::copy_file(e.path(), to / name, fs::copy_options::overwrite_existing);
            fs::permissions(to / name, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
        }
    }
}

inline std::vector<unsigned char> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& p, const std::vector<unsigned char>& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

}  // namespace paradox_test
