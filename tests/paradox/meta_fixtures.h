// Test helpers for the engine periphery tests: the fixture folder, scratch directories that
// remove themselves, copies of a table family, and small file edits.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace meta_test {

namespace fs = std::filesystem;

inline fs::path FixturesDir() { return fs::path(VORTAB_FIXTURES_DIR); }

// Skips the calling test when the fixture folder is absent.
#define META_REQUIRE_FIXTURES()                                                   \
    do {                                                                          \
        if (!std::filesystem::is_directory(meta_test::FixturesDir()))             \
            GTEST_SKIP() << "fixture folder missing: " << meta_test::FixturesDir(); \
    } while (0)

inline std::string Fixture(const std::string& rel) { return (FixturesDir() / rel).string(); }

class ScratchDir {
public:
    ScratchDir() {
        std::string tmpl = (fs::temp_directory_path() / "vortab-meta-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        path_ = ::mkdtemp(buf.data());
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& str() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Copies every file of fixture folder `folder` whose name starts with `stem.` (any case).
inline void CopyFamily(const std::string& folder, const std::string& stem, const ScratchDir& to) {
    for (const auto& e : fs::directory_iterator(FixturesDir() / folder)) {
        std::string n = e.path().filename().string();
        if (n.size() <= stem.size() || n[stem.size()] != '.') continue;
        if (strncasecmp(n.c_str(), stem.c_str(), stem.size()) != 0) continue;
        fs::copy_file(e.path(), to.file(n));
        fs::permissions(to.file(n), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace meta_test
