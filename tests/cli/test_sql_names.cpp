// The names a SQL export writes: quoting, indexes named after their table, and names made
// unique and cut to PostgreSQL's 63 bytes at a character boundary.
#include <gtest/gtest.h>

#include "cli/export/sql_names.h"

namespace {

using vortab::cli::sqlexport::AssignSqlNames;
using vortab::cli::sqlexport::QuoteIdentifier;
using vortab::cli::sqlexport::QuoteText;
using vortab::cli::sqlexport::SqlTable;

SqlTable Table(const std::string& name, const std::vector<std::string>& columns,
               const std::vector<std::string>& indexes = {}) {
    SqlTable table;
    table.name = name;
    for (const std::string& c : columns) {
        table.columns.emplace_back();
        table.columns.back().name = c;
    }
    for (const std::string& i : indexes) {
        table.indexes.emplace_back();
        table.indexes.back().name = i;
    }
    return table;
}

TEST(SqlNames, Quoting) {
    EXPECT_EQ(QuoteIdentifier("Datum/Zeit"), "\"Datum/Zeit\"");
    EXPECT_EQ(QuoteIdentifier("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(QuoteText("it's"), "'it''s'");
}

TEST(SqlNames, UniqueAndWithinTheLimit) {
    const std::string cyrillic = "\xD0\x96";  // Ж, two bytes
    std::string longCyrillic;
    for (int i = 0; i < 40; ++i) longCyrillic += cyrillic;  // 80 bytes
    std::vector<SqlTable> tables{Table("Orders", {"Id", "id"}, {"ByName"}),
                                 Table(longCyrillic, {"A"}, {"Orders_ByName"}), Table(longCyrillic + "x", {"A"}),
                                 Table("orders_byname", {"B"})};
    const std::vector<std::string> changes = AssignSqlNames(tables, 63);
    EXPECT_EQ(tables[0].columns[1].name, "id_2");  // SQL compares names without regard to case
    EXPECT_EQ(tables[3].name, "orders_byname");
    EXPECT_EQ(tables[0].indexes[0].name, "Orders_ByName_2");  // tables and indexes share names
    EXPECT_EQ(tables[1].name.size(), 62u);                    // 31 whole letters
    EXPECT_EQ(tables[2].name, tables[1].name.substr(0, 60) + "_2");
    for (const SqlTable& t : tables) {
        EXPECT_LE(t.name.size(), 63u);
        for (const auto& index : t.indexes) EXPECT_LE(index.name.size(), 63u);
    }
    EXPECT_EQ(changes.size(), 5u);  // id, both long tables, the long table's index, Orders_ByName
    for (const std::string& change : changes) EXPECT_NE(change.find(" -> "), std::string::npos);
}

}  // namespace
