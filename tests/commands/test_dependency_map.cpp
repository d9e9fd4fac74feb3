// The dependency map: which tables depend on a table, masters before their dependents, and
// termination on tables that depend on each other.
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library_fixture.h"
#include "paradox/change/link_ops.h"

namespace vortab::test {
namespace {

void Link(const fs::path& dir, const std::string& dependent, const char* name, const char* master,
          std::uint16_t thisField, std::uint16_t otherField) {
    paradox::RILinkDescriptor link{};
    std::strncpy(link.name, name, sizeof link.name - 1);
    std::strncpy(link.otherTable, master, sizeof link.otherTable - 1);
    link.kind = static_cast<std::uint32_t>(paradox::LinkKind::Dependent);
    link.fieldCount = 1;
    link.thisFields[0] = thisField;
    link.otherFields[0] = otherField;
    paradox::AddLink(dir.string(), dependent, link);
}

std::vector<std::string> MapOrder(const std::string& table) {
    std::vector<std::string> names;
    BuildRintList(table)->ForEach([&](tRintClass& e) { names.push_back(e.tableName); });
    return names;
}

class DependencyMap : public ::testing::Test {
protected:
    void SetUp() override {
        dir = MakeScratchDir("map");
        for (const char* t : {"A.DB", "B.DB", "C.DB", "D.DB"})
            CreateTable(dir, t, {{"Id", paradox::FLDINT32, 0, 0}, {"Ref", paradox::FLDINT32, 0, 0}}, 1);
        UseDatabase(dir.string(), "PARADOX");
    }
    void TearDown() override {
        CloseDatabase();
        fs::remove_all(dir);
    }
    fs::path dir;
};

TEST_F(DependencyMap, MastersComeBeforeTheirDependents) {
    // B and D depend on A, C depends on B: the map of A lists B before C.
    Link(dir, "C.DB", "CtoB", "B.DB", 2, 1);
    Link(dir, "B.DB", "BtoA", "A.DB", 2, 1);
    Link(dir, "D.DB", "DtoA", "A.DB", 2, 1);
    const std::vector<std::string> order = MapOrder("A");
    ASSERT_EQ(order.size(), 3u);
    auto at = [&](const char* name) {
        return std::find(order.begin(), order.end(), name) - order.begin();
    };
    EXPECT_LT(at("B.DB"), at("C.DB"));
    EXPECT_NE(at("D.DB"), 3);
    EXPECT_EQ(MapOrder("B"), (std::vector<std::string>{"C.DB"}));
    EXPECT_TRUE(MapOrder("C").empty());
}

TEST_F(DependencyMap, TablesInACycleAreWalkedOnce) {
    Link(dir, "B.DB", "BtoA", "A.DB", 2, 1);
    Link(dir, "A.DB", "AtoB", "B.DB", 2, 1);
    EXPECT_EQ(MapOrder("A"), (std::vector<std::string>{"B.DB"}));
    EXPECT_EQ(MapOrder("b.db"), (std::vector<std::string>{"A.DB"}));
}

}  // namespace
}  // namespace vortab::test
