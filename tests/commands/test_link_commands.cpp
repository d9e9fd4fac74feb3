// Link commands driven through the library's exports against real tables.
#include "library_fixture.h"
#include "paradox/change/index_ops.h"
#include "paradox/format/val_file.h"

namespace vortab::test {
namespace {

int DependentLinkCount(const fs::path& dir, const std::string& table) {
    const auto val = paradox::ReadValFile(dir.string(), table);
    if (!val) return 0;
    int n = 0;
    for (const auto& link : val->links)
        n += link.kind == static_cast<std::uint32_t>(paradox::LinkKind::Dependent);
    return n;
}

void AddSecondaryIndex(const fs::path& dir, const std::string& table, const char* name,
                       std::uint16_t field) {
    paradox::IndexDescriptor d{};
    std::strncpy(d.name, name, sizeof d.name - 1);
    d.maintained = 1;
    d.keyFieldCount = 1;
    d.keyFields[0] = field;
    paradox::AddIndex(dir.string(), table, d);
}

void InsertRows(const fs::path& dir, const std::string& table,
                const std::vector<std::vector<paradox::Value>>& rows) {
    auto writer = paradox::TableWriter::open(dir.string(), table);
    for (const auto& row : rows) writer.insert(row);
    writer.commit();
}

class LinkCommands : public LibraryTest {
protected:
    // A <- B <- C: B depends on A, C depends on B.
    void SetUp() override {
        LibraryTest::SetUp();
        CreateTable(dir, "A.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Label", paradox::FLDZSTRING, 0, 10}}, 1);
        CreateTable(dir, "B.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"AId", paradox::FLDINT32, 0, 0}}, 1);
        CreateTable(dir, "C.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"BId", paradox::FLDINT32, 0, 0}}, 1);
        InsertRows(dir, "A.DB", {{paradox::Value::integer(1), paradox::Value::text("one")}});
        InsertRows(dir, "B.DB", {{paradox::Value::integer(10), paradox::Value::integer(1)}});
        InsertRows(dir, "C.DB", {{paradox::Value::integer(100), paradox::Value::integer(10)}});
    }
};

TEST_F(LinkCommands, NeedsAnIndexLedByTheFields) {
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"AId\", \"A\", \"Id\", \"ToA\", RESTRICT)"), 9748);
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"AId;Id\", \"A\", \"Id\", \"ToA\", RESTRICT)"), 9986);
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"Nope\", \"A\", \"Id\", \"ToA\", RESTRICT)"), 9986);
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"\", \"A\", \"\", \"ToA\", RESTRICT)"), 9986);
}

TEST_F(LinkCommands, ChainKeepsItsLinksThroughAFieldChangeOfTheFirstTable) {
    AddSecondaryIndex(dir, "B.DB", "AId", 2);
    AddSecondaryIndex(dir, "C.DB", "BId", 2);
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"AId\", \"A\", \"Id\", \"ToA\", CASCADE)"), 0);
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"AId\", \"A\", \"Id\", \"ToA\", CASCADE)"), -1);
    EXPECT_EQ(Exec("RI_ADD(\"C\", \"BId\", \"B\", \"Id\", \"ToB\", RESTRICT)"), 0);
    EXPECT_EQ(Exec("FLD_ADD(\"A\", \"Extra\", FLDINT16, FLDSTDEFAULT, 0, 0)"), 0);
    EXPECT_EQ(DependentLinkCount(dir, "B.DB"), 1);
    EXPECT_EQ(DependentLinkCount(dir, "C.DB"), 1);
    EXPECT_EQ(Exec("RI_DROP(\"C\", \"ToB\")"), 0);
    EXPECT_EQ(Exec("RI_DROP(\"C\", \"ToB\")"), 0);  // no links left: nothing to do
    EXPECT_EQ(DependentLinkCount(dir, "C.DB"), 0);
}

TEST_F(LinkCommands, OrphansAreSetAside) {
    InsertRows(dir, "B.DB", {{paradox::Value::integer(11), paradox::Value::integer(7)}});
    AddSecondaryIndex(dir, "B.DB", "AId", 2);
    EXPECT_EQ(Exec("RI_ADD(\"B\", \"AId\", \"A\", \"Id\", \"ToA\", RESTRICT)"), 9733);
}

}  // namespace
}  // namespace vortab::test
