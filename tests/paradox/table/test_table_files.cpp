// Renaming and deleting tables with all their companions, matched without regard to case.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "paradox/format/descriptor_builder.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::ScratchDir;
namespace fs = std::filesystem;

namespace {
std::set<std::string> Files(const fs::path& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
    return out;
}
int Code(const std::function<void()>& fn) {
    try {
        fn();
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}
}  // namespace

TEST(TableFiles, RenameMovesTheWholeFamily) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    paradox_test::CopyFamily("paradoxdriver/db", "CUSTOMER", dir.path());
    paradox_test::WriteBytes(dir.path() / "customer.tv", {1, 2, 3});   // lower-case companion
    paradox_test::WriteBytes(dir.path() / "CUSTOMERS.DB", {0});        // another table sharing a prefix
    renameTable(dir.str(), "Customer", "Clients");
    EXPECT_EQ(Files(dir.path()), (std::set<std::string>{"CUSTOMERS.DB", "Clients.DB", "Clients.MB", "Clients.PX", "Clients.X06",
                                                        "Clients.Y06", "Clients.tv"}));
    EXPECT_EQ(Table::open(dir.str(), "clients").properties().recordCount, 20u);
    EXPECT_EQ(Table::open(dir.str(), "clients").readAll()[0][8], Value::text("Small comment (less 100 symbols)"));
}

TEST(TableFiles, RenameRefusals) {
    ScratchDir dir;
    for (const char* name : {"one", "two"}) {
        DescriptorBuilder b(name);
        b.field("A", FLDZSTRING, 0, 4);
        createTable(dir.str(), b.descriptor());
    }
    EXPECT_EQ(Code([&] { renameTable(dir.str(), "missing", "three"); }), 10024);
    EXPECT_EQ(Code([&] { renameTable(dir.str(), "one", "TWO"); }), 13057);
    EXPECT_EQ(Code([&] { renameTable(dir.str(), "one", "bad*name"); }), 10039);
    EXPECT_EQ(Code([&] { renameTable(dir.str(), "one", "ONE"); }), 0);  // a change of case only
    EXPECT_TRUE(fs::exists(dir.path() / "ONE.DB"));
    EXPECT_EQ(Code([&] { renameTable(dir.str(), "one.db", "three.DB"); }), 0);
    EXPECT_TRUE(fs::exists(dir.path() / "three.DB"));
}

TEST(TableFiles, CreatedAndRenamedTablesAreNamedInUtf8OnDisk) {
    const std::string name1252 = "B\xFC" "cher", nameUtf8 = "B\xC3\xBC" "cher";
    ScratchDir dir;
    DescriptorBuilder b(name1252);
    b.field("A", FLDZSTRING, 0, 4).field("M", FLDBLOB, FLDSTMEMO, 10);
    createTable(dir.str(), b.descriptor());
    EXPECT_EQ(Files(dir.path()), (std::set<std::string>{nameUtf8 + ".DB", nameUtf8 + ".MB"}));
    EXPECT_EQ(Table::open(dir.str(), "B\xDC" "CHER").properties().name, name1252 + ".DB");

    // An 8-bit family stays as it is until renamed; the new name is written in UTF-8.
    fs::rename(dir.path() / (nameUtf8 + ".DB"), dir.path() / "Stra\xDF" "e.DB");
    fs::rename(dir.path() / (nameUtf8 + ".MB"), dir.path() / "Stra\xDF" "e.MB");
    EXPECT_EQ(Table::open(dir.str(), "STRA\xDF" "E").properties().name, "Stra\xDF" "e.DB");
    renameTable(dir.str(), "stra\xDF" "e", "Gr\xF6\xDF" "e");
    EXPECT_EQ(Files(dir.path()), (std::set<std::string>{"Gr\xC3\xB6\xC3\x9F" "e.DB", "Gr\xC3\xB6\xC3\x9F" "e.MB"}));
    EXPECT_EQ(Code([&] { deleteTable(dir.str(), "GR\xD6\xDF" "E"); }), 0);
    EXPECT_TRUE(Files(dir.path()).empty());
}

TEST(TableFiles, DeleteRemovesTheFamilyOnly) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    paradox_test::CopyFamily("paradoxdriver/joins", "fk1", dir.path());
    paradox_test::CopyFamily("paradoxdriver/joins", "primary", dir.path());
    paradox_test::WriteBytes(dir.path() / "fk1.txt", {1});  // not a family member
    deleteTable(dir.str(), "FK1");
    EXPECT_EQ(Files(dir.path()), (std::set<std::string>{"fk1.txt", "primary.db", "primary.px", "primary.val"}));
    EXPECT_EQ(Code([&] { deleteTable(dir.str(), "fk1"); }), 10024);
    // Backslash paths as scripts write them.
    deleteTable(dir.path().parent_path().string(), dir.path().filename().string() + "\\primary");
    EXPECT_EQ(Files(dir.path()), (std::set<std::string>{"fk1.txt"}));
}
