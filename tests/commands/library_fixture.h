// Test support for driving libvortab.so through its exports: the bound library, a scratch
// database directory, and tables made with the engine's own create call.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/runner/library_binding.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"

namespace vortab::test {

namespace fs = std::filesystem;

struct FieldSpecText {
    const char* name;
    std::int16_t type, subType, size;
};

inline fs::path MakeScratchDir(const std::string& tag) {
    static std::atomic<int> counter{0};
    const fs::path dir = fs::temp_directory_path() /
                         ("vortab-cmd-" + tag + "-" + std::to_string(::getpid()) + "-" +
                          std::to_string(counter++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

inline void CreateTable(const fs::path& dir, const std::string& name,
                        const std::vector<FieldSpecText>& fields, std::uint16_t keyFields = 0,
                        const std::string& password = {}) {
    std::vector<paradox::FieldDescriptor> records(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::strncpy(records[i].name, fields[i].name, sizeof records[i].name - 1);
        records[i].fieldNumber = static_cast<std::uint16_t>(i + 1);
        records[i].type = fields[i].type;
        records[i].subType = fields[i].subType;
        records[i].units1 = fields[i].size;
    }
    paradox::TableDescriptor desc{};
    std::strncpy(desc.tableName, name.c_str(), sizeof desc.tableName - 1);
    std::strcpy(desc.driverType, "PARADOX");
    desc.fieldCount = static_cast<std::uint16_t>(records.size());
    desc.fields = records.data();
    if (!password.empty()) {
        std::strncpy(desc.password, password.c_str(), sizeof desc.password - 1);
        desc.protectedFlag = 1;
    }
    paradox::CreateOptions options;
    options.keyFields = keyFields;
    paradox::createTable(dir.string(), desc, options);
}

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(binding.BindLibrary(std::string(VORTAB_BUILD_DIR) + "/library"), 0);
        dir = MakeScratchDir("lib");
    }
    void TearDown() override {
        binding.registerPswdCallback(nullptr);
        binding.ReleaseLibrary();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    int Exec(const std::string& line) {
        return binding.execLine(dir.string().c_str(), "PARADOX", line.c_str());
    }

    LibraryBinding binding;
    fs::path dir;
};

}  // namespace vortab::test
