// Field commands driven through the library's exports against real tables.
#include <thread>

#include "library_fixture.h"
#include "paradox/format/index_descriptor.h"

namespace vortab::test {
namespace {

std::vector<std::string> FieldNames(const fs::path& dir, const std::string& table) {
    std::vector<std::string> names;
    for (const auto& f : paradox::Table::open(dir.string(), table).fieldDescriptors())
        names.emplace_back(f.name);
    return names;
}

void InsertRows(const fs::path& dir, const std::string& table,
                const std::vector<std::vector<paradox::Value>>& rows) {
    auto writer = paradox::TableWriter::open(dir.string(), table);
    for (const auto& row : rows) writer.insert(row);
    writer.commit();
}

class FieldCommands : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        CreateTable(dir, "ORDERS.DB",
                    {{"Id", paradox::FLDINT32, 0, 0}, {"Name", paradox::FLDZSTRING, 0, 20},
                     {"City", paradox::FLDZSTRING, 0, 20}, {"Born", paradox::FLDDATE, 0, 0}},
                    1);
        InsertRows(dir, "ORDERS.DB",
                   {{paradox::Value::integer(1), paradox::Value::text("Ann"), paradox::Value::text("Oslo"),
                     paradox::Value::null()},
                    {paradox::Value::integer(2), paradox::Value::text("Bob"), paradox::Value::null(),
                     paradox::Value::null()}});
    }
};

TEST_F(FieldCommands, AddTwiceThenDropMoveAndChange) {
    EXPECT_EQ(Exec("FLD_ADD(\"ORDERS\", \"Notes\", FLDZSTRING, FLDSTDEFAULT, 40, 0)"), 0);
    EXPECT_EQ(Exec("FLD_ADD(\"orders\", \"NOTES\", FLDZSTRING, FLDSTDEFAULT, 40, 0)"), -1);
    EXPECT_EQ(FieldNames(dir, "ORDERS.DB"),
              (std::vector<std::string>{"Id", "Name", "City", "Born", "Notes"}));
    EXPECT_EQ(Exec("FLD_MOVE(\"ORDERS\", \"Notes\", 2)"), 0);
    EXPECT_EQ(Exec("FLD_MOVE(\"ORDERS\", \"Notes\", 2)"), -1);
    EXPECT_EQ(Exec("FLD_MOVE(\"ORDERS\", \"Notes\", 9)"), 9986);
    EXPECT_EQ(FieldNames(dir, "ORDERS.DB"),
              (std::vector<std::string>{"Id", "Notes", "Name", "City", "Born"}));
    EXPECT_EQ(Exec("FLD_CHANGE(\"ORDERS\", \"City\", \"Town\", FLDNOCHANGE, FLDSTNOCHANGE, 30, -1)"), 0);
    EXPECT_EQ(Exec("FLD_CHANGE(\"ORDERS\", \"Town\", \"\", FLDNOCHANGE, FLDSTNOCHANGE, -1, -1)"), -1);
    EXPECT_EQ(Exec("FLD_CHANGE(\"ORDERS\", \"Nope\", \"\", FLDNOCHANGE, FLDSTNOCHANGE, -1, -1)"), 9986);
    EXPECT_EQ(Exec("FLD_DROP(\"ORDERS\", \"Born\")"), 0);
    EXPECT_EQ(Exec("FLD_DROP(\"ORDERS\", \"Born\")"), -1);
    const auto rows = paradox::Table::open(dir.string(), "ORDERS.DB").readAll();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][3], paradox::Value::text("Oslo"));
    EXPECT_EQ(rows[1][2], paradox::Value::text("Bob"));
    EXPECT_TRUE(rows[0][1].isNull());
}

TEST_F(FieldCommands, RefusedRestructureChangesNothing) {
    EXPECT_EQ(Exec("FLD_MOVE(\"ORDERS\", \"Name\", 1)"), 10012);  // in front of the key
    EXPECT_EQ(FieldNames(dir, "ORDERS.DB"),
              (std::vector<std::string>{"Id", "Name", "City", "Born"}));
    EXPECT_EQ(paradox::Table::open(dir.string(), "ORDERS.DB").readAll().size(), 2u);
}

TEST_F(FieldCommands, LastFieldIsNeverDropped) {
    CreateTable(dir, "ONE.DB", {{"Only", paradox::FLDINT16, 0, 0}});
    EXPECT_EQ(Exec("FLD_DROP(\"ONE\", \"Only\")"), 9996);
}

TEST_F(FieldCommands, ProtectedTableNeedsItsPassword) {
    CreateTable(dir, "SAFE.DB", {{"Id", paradox::FLDINT32, 0, 0}}, 0, "owl1");
    EXPECT_EQ(Exec("FLD_ADD(\"SAFE\", \"X\", FLDINT16, FLDSTDEFAULT, 0, 0)"), 10498);
    binding.addPassword("owl1");
    EXPECT_EQ(Exec("FLD_ADD(\"SAFE\", \"X\", FLDINT16, FLDSTDEFAULT, 0, 0)"), 0);
    EXPECT_EQ(paradox::Table::open(dir.string(), "SAFE.DB", {{"owl1"}, {}}).properties().isProtected,
              true);
}

TEST_F(FieldCommands, EightThreadsEachOnTheirOwnDatabase) {
    std::vector<fs::path> dirs;
    for (int i = 0; i < 8; ++i) {
        dirs.push_back(MakeScratchDir("fthread"));
        CreateTable(dirs.back(), "T.DB", {{"Id", paradox::FLDINT32, 0, 0}});
    }
    std::vector<std::vector<int>> codes(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            const std::string db = dirs[i].string();
            for (int f = 0; f < 3; ++f) {
                const std::string line = "FLD_ADD(\"T\", \"F" + std::to_string(f) +
                                         "\", FLDINT32, FLDSTDEFAULT, 0, 0)";
                codes[i].push_back(binding.execLine(db.c_str(), "PARADOX", line.c_str()));
            }
            codes[i].push_back(binding.execLine(db.c_str(), "PARADOX",
                                                "FLD_MOVE(\"T\", \"F2\", 1)"));
        });
    }
    for (auto& t : threads) t.join();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(codes[i], (std::vector<int>{0, 0, 0, 0}));
        EXPECT_EQ(FieldNames(dirs[i], "T.DB"), (std::vector<std::string>{"F2", "Id", "F0", "F1"}));
        fs::remove_all(dirs[i]);
    }
}

}  // namespace
}  // namespace vortab::test
