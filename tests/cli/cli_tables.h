// Tables for the CLI tests: a scratch directory removed afterwards, the fixture folder (tests
// skip when it is absent), copying a fixture family, and creating and filling a table with the
// engine from a short field list.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include "paradox/format/descriptors.h"
#include "paradox/format/value.h"
#include "paradox/table/table_writer.h"

namespace cli_test {

namespace fs = std::filesystem;

inline fs::path FixturesDir() { return fs::path(VORTAB_FIXTURES_DIR); }

#define REQUIRE_CLI_FIXTURES()                                                         \
    do {                                                                               \
        if (!std::filesystem::exists(cli_test::FixturesDir()))                         \
            GTEST_SKIP() << "fixtures folder absent: " << cli_test::FixturesDir();     \
    } while (0)

class ScratchDir {
public:
    ScratchDir() {
        static int counter = 0;
        path_ = fs::temp_directory_path() /
                ("vortab-cli-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

struct FieldSpec {
    const char* name;
    int16_t type;
    int16_t subType = 0;
    int16_t units1 = 0;
    int16_t units2 = 0;
};

// Creates table `name` in dir with these fields; langDriver empty keeps the engine's default.
inline void CreateTable(const std::string& dir, const std::string& name, const std::vector<FieldSpec>& specs,
                        uint16_t keyFields = 0, const std::string& langDriver = {}) {
    std::vector<paradox::FieldDescriptor> fields(specs.size());
    for (std::size_t i = 0; i < specs.size(); ++i) {
        paradox::FieldDescriptor& f = fields[i];
        f.fieldNumber = static_cast<uint16_t>(i + 1);
        std::snprintf(f.name, sizeof f.name, "%s", specs[i].name);
        f.type = specs[i].type;
        f.subType = specs[i].subType;
        f.units1 = specs[i].units1;
        f.units2 = specs[i].units2;
    }
    paradox::TableDescriptor desc{};
    std::snprintf(desc.tableName, sizeof desc.tableName, "%s", name.c_str());
    std::snprintf(desc.driverType, sizeof desc.driverType, "PARADOX");
    desc.fieldCount = static_cast<uint16_t>(fields.size());
    desc.fields = fields.data();
    paradox::OptionalParameter option{};
    std::string optionData = langDriver + '\0';
    if (!langDriver.empty()) {
        std::snprintf(option.name, sizeof option.name, "LANGDRIVER");
        option.offset = 0;
        option.length = static_cast<uint16_t>(optionData.size());
        desc.optionCount = 1;
        desc.options = &option;
        desc.optionData = optionData.data();
    }
    paradox::CreateOptions options;
    options.keyFields = keyFields;
    paradox::createTable(dir, desc, options);
}

inline void InsertRows(const std::string& dir, const std::string& name,
                       const std::vector<std::vector<paradox::Value>>& rows) {
    paradox::TableWriter writer = paradox::TableWriter::open(dir, name);
    for (const auto& row : rows) writer.insert(row);
    writer.commit();
}

// Copies every file of fixture folder `sub` whose name starts with `stem.` (any case) to dir.
inline void CopyFamily(const std::string& sub, const std::string& stem, const std::string& dir) {
    for (const auto& e : fs::directory_iterator(FixturesDir() / sub)) {
        const std::string file = e.path().filename().string();
        if (file.size() <= stem.size() || file[stem.size()] != '.') continue;
        if (strncasecmp(file.c_str(), stem.c_str(), stem.size()) != 0) continue;
        fs::copy_file(e.path(), fs::path(dir) / file, fs::copy_options::overwrite_existing);
        fs::permissions(fs::path(dir) / file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }
}

// Appends records (Id, a 50-letter text, a 200-letter memo) to a table in a child process, so
// that the test process stays small: a child's peak memory as the kernel reports it includes
// the memory of the process it was forked from.
inline void InsertRowsInChild(const std::string& dir, const std::string& name, int from, int count) {
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            paradox::TableWriter writer = paradox::TableWriter::open(dir, name);
            for (int i = from; i < from + count; ++i)
                writer.insert({paradox::Value::integer(i), paradox::Value::text(std::string(50, char('a' + i % 26))),
                               paradox::Value::text(std::string(200, char('A' + i % 26)))});
            writer.commit();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace cli_test
