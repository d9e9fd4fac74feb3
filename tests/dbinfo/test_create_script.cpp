// The script from a database, on models built by hand: banners, header shapes, steps and their
// numbering, links, and what cannot be written.
#include <gtest/gtest.h>

#include "editor/dbinfo/create_script.h"
#include "model_builder.h"

namespace {

using namespace vortab::dbinfo;
using dbinfo_test::AddTable;
using dbinfo_test::Commands;

TEST(WriteBanner, CentresAndCuts) {
    ScriptLines lines;
    WriteBanner(std::string(34, 'x'), lines, false, false);
    WriteBanner(std::string(35, 'x'), lines, true, true);
    WriteBanner(std::string(90, 'y'), lines, false, false);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], ":" + std::string(22, ' ') + std::string(34, 'x') + std::string(22, ' '));
    EXPECT_EQ(lines[1], ":" + std::string(78, '='));
    EXPECT_EQ(lines[2], ":" + std::string(21, ' ') + std::string(35, 'x') + std::string(22, ' '));
    EXPECT_EQ(lines[3], lines[1]);
    EXPECT_EQ(lines[4], ":" + std::string(78, 'y'));
}

TEST(WriteTableBlock, OneFieldTableAndItsFigures) {
    dbinfo_test::CommandChain chain;
    tdatabase_Structure model(chain.head());
    auto& t = AddTable(model, "Single", {{"Name", vortab::FLDZSTRING}});
    t.properties.restructureVersion = 3;
    ScriptLines lines;
    int steps = 0;
    WriteTableBlock(t, steps, lines, true, "");
    const ScriptLines expected = {
        ":" + std::string(78, '='),
        ":" + std::string(32, ' ') + "TABLE Single " + std::string(33, ' '),
        ":" + std::string(78, '_'),
        ": Fields: 1, Indexes: 0, Validity checks: 0, Referential integrity: 0",
        ": Record size: Physical  100 b.  Logical  100 b.",
        ": Records per block: 20,   Wasted space per block: 42 b. ( 2.05 %)",
        ": Restructure version: 3",
        ":" + std::string(78, '='),
        ":#1 Create table \"Single\" with first field \"Name\"",
        " TBL_CREATE(\"Single\",\"ANSIINTL\",7,\"Name\",FLDZSTRING,FLDSTDEFAULT,20,0)",
        ":#2 Adjust block size",
        " TBL_SETATTR(\"SINGLE\",BLOCK_SIZE,2048)",
    };
    EXPECT_EQ(lines, expected);
    t.properties.recordBufferSize = 2042;  // the block holds records exactly
    EXPECT_EQ(t.Figures().wastedBytes, 0);
    EXPECT_EQ(t.Figures().wastedPercent, 0.0);
}

TEST(WriteTableBlock, DbaseHeaderHasNoBlockFigures) {
    dbinfo_test::CommandChain chain;
    tdatabase_Structure model(chain.head(), "DBASE");
    auto& t = AddTable(model, "Parts", {{"Id", vortab::FLDINT32}});
    t.indexes.push_back(dbinfo_test::Index("sub/PARTNO.NDX", {1}));
    ScriptLines lines;
    int steps = 0;
    WriteTableBlock(t, steps, lines, true, "");
    EXPECT_EQ(lines[3], ": Fields: 1, Indexes: 1");
    EXPECT_EQ(lines[4], ": Record size: Physical  100 b.  Logical  100 b.");
    EXPECT_EQ(lines[5], ":" + std::string(78, '='));
    EXPECT_EQ(Commands(lines).back(), "IX_ADD(\"PARTS\",\"PARTNO.NDX\",\"ID\",\"\",IXOPTDEFAULT)");
}

// Two tables, ORDERS depending on CUSTOMER; steps numbered on across both.
struct OrdersModel {
    dbinfo_test::CommandChain chain;
    tdatabase_Structure model{chain.head()};
    OrdersModel() {
        auto& customer = AddTable(model, "Customer", {{"Id", vortab::FLDINT32}, {"State/Prov", vortab::FLDZSTRING}});
        customer.indexes.push_back(dbinfo_test::Index("", {1}, true));
        customer.links.push_back(dbinfo_test::Link("CustRef", vortab::LinkKind::Master, "ORDERS.DB", {1}, {2}));
        auto& orders = AddTable(model, "Orders", {{"No", vortab::FLDINT32}, {"CustId", vortab::FLDINT32}});
        orders.fields[1].type = vortab::FLDFLOAT;
        orders.fields[1].subType = vortab::FLDSTMONEY;
        orders.indexes.push_back(dbinfo_test::Index("ByCust", {2, 1}));
        orders.indexes.back().fieldDescending[1] = 1;
        vortab::ValidityCheckDescriptor check{};
        check.fieldNumber = 2;
        check.required = 1;
        check.minimumKind = 2;
        orders.checks.push_back(check);
        orders.links.push_back(dbinfo_test::Link("CustRef", vortab::LinkKind::Dependent, "customer.db", {2}, {1}));
        orders.properties.strictIntegrity = true;
        model.tables[1]->DependsOnList.push_back(model.tables[0].get());
    }
};

TEST(WriteCreateScript, ChosenTableStepsAndLinks) {
    OrdersModel m;
    ScriptLines lines;
    NoProgress progress;
    WriteCreateScript(m.model, {"customer.DB", "ORDERS"}, lines, progress);
    const std::vector<std::string> expected = {
        "TBL_CREATE(\"Customer\",\"ANSIINTL\",7,\"Id\",FLDINT32,FLDSTDEFAULT,0,0)",
        "TBL_SETATTR(\"CUSTOMER\",BLOCK_SIZE,2048)",
        "FLD_ADD(\"CUSTOMER\",\"State/Prov\",FLDZSTRING,FLDSTDEFAULT,20,0)",
        "IX_ADD(\"CUSTOMER\",\"\",\"ID\",\"\",PRI or UNQ)",
        "TBL_CREATE(\"Orders\",\"ANSIINTL\",7,\"No\",FLDINT32,FLDSTDEFAULT,0,0)",
        "TBL_SETATTR(\"ORDERS\",BLOCK_SIZE,2048)",
        "TBL_SETATTR(\"ORDERS\",STRICT_REFINT,TRUE)",
        "FLD_ADD(\"ORDERS\",\"CustId\",FLDFLOAT,FLDSTMONEY,0,0)",
        "IX_ADD(\"ORDERS\",\"ByCust\",\"CUSTID;NO\",\"NO\",IXOPTDEFAULT)",
        "VCHK_ADD(\"ORDERS\",\"CUSTID\",VCHKTODAY,VCHKFALSE,VCHKFALSE,0,0,0,\"\",TRUE)",
        "RI_ADD(\"ORDERS\",\"CUSTID\",\"customer\",\"Id\",\"CustRef\",RESTRICT)",
    };
    EXPECT_EQ(Commands(lines), expected);
    // No header for chosen tables; the second table's first step follows the first table's last.
    EXPECT_EQ(lines[0], ":" + std::string(78, '='));
    const auto create = std::find(lines.begin(), lines.end(), ":#5 Create table \"Orders\" with first field \"No\"");
    EXPECT_NE(create, lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), ":                     ORDERS.DB"), lines.end());  // kind 0: header only
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        ":#11 Add ref.int. \"CustRef\": \"customer\" (field[s] \"Id\")->\"Orders\" (field[s] \"CUSTID\")"),
              lines.end());
}

TEST(WriteCreateScript, WholeDatabaseHeader) {
    OrdersModel m;
    m.model.databaseName = std::string(80, 'd');
    ScriptLines lines;
    NoProgress progress;
    WriteCreateScript(m.model, {}, lines, progress, "VORTAB.DLL version: 0.10");
    EXPECT_EQ(lines[0], ":" + std::string(78, '='));
    EXPECT_EQ(lines[1].substr(0, 25), ":" + std::string(22, ' ') + "Sc");
    EXPECT_EQ(lines[3], ":" + std::string(78, 'd'));  // too long for the line: cut to 78
    EXPECT_EQ(lines[4], ":" + std::string(17, ' ') + "VORTAB.DLL version: 0.10,   Driver: PARADOX" + std::string(18, ' '));
}

TEST(WriteCreateScript, WhatCannotBeWrittenBecomesARemark) {
    OrdersModel m;
    auto& orders = *m.model.tables[1];
    orders.links.push_back(dbinfo_test::Link("Gone", vortab::LinkKind::Dependent, "LOST.DB", {1}, {1}));
    vortab::copyFixedText(orders.fields[0].name, "A;B");
    ScriptLines lines;
    NoProgress progress;
    WriteCreateScript(m.model, {"ORDERS"}, lines, progress);
    EXPECT_NE(std::find(lines.begin(), lines.end(), ": index \"ByCust\" is not written: its field \"A;B\" has a \";\" in its name"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        ": ref.int. \"Gone\" is not written: its master table LOST.DB is not in the database"),
              lines.end());
    for (const std::string& command : Commands(lines)) EXPECT_EQ(command.find("IX_ADD"), std::string::npos);
}

TEST(WriteCreateScript, NoNameBreaksTheScriptsLines) {
    OrdersModel m;
    vortab::copyFixedText(m.model.tables[1]->fields[1].name, "x\r\n TBL_DROP(\"A\")");
    ScriptLines lines;
    NoProgress progress;
    WriteCreateScript(m.model, {"ORDERS"}, lines, progress);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        EXPECT_FALSE(line[0] == ' ' && line.find("x") != std::string::npos) << line;
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        ": Not written, a name in it holds a control character: "
                        "FLD_ADD(\"ORDERS\",\"x?? TBL_DROP(\"\"A\"\")\",FLDFLOAT,FLDSTMONEY,0,0)"),
              lines.end());
}

TEST(WriteCreateScript, StrictIntegrityOfAMasterIsKept) {
    OrdersModel m;
    m.model.tables[0]->properties.strictIntegrity = true;
    ScriptLines lines;
    NoProgress progress;
    WriteCreateScript(m.model, {"CUSTOMER"}, lines, progress);
    EXPECT_EQ(Commands(lines)[2], "TBL_SETATTR(\"CUSTOMER\",STRICT_REFINT,TRUE)");
}

TEST(WriteCreateScript, LinksOfACycleComeAfterBothTables) {
    dbinfo_test::CommandChain chain;
    tdatabase_Structure model(chain.head());
    auto& a = AddTable(model, "A", {{"Id", vortab::FLDINT32}});
    auto& b = AddTable(model, "B", {{"Id", vortab::FLDINT32}});
    a.links.push_back(dbinfo_test::Link("AtoB", vortab::LinkKind::Dependent, "B.DB", {1}, {1}));
    b.links.push_back(dbinfo_test::Link("BtoA", vortab::LinkKind::Dependent, "A.DB", {1}, {1}));
    a.DependsOnList.push_back(&b);
    b.DependsOnList.push_back(&a);
    ScriptLines lines;
    NoProgress progress;
    WriteCreateScript(model, {}, lines, progress);
    const auto commands = Commands(lines);
    ASSERT_EQ(commands.size(), 8u);
    EXPECT_EQ(commands[6], "RI_ADD(\"B\",\"ID\",\"A\",\"Id\",\"BtoA\",RESTRICT)");  // A exists by then
    EXPECT_EQ(commands[7], "RI_ADD(\"A\",\"ID\",\"B\",\"Id\",\"AtoB\",RESTRICT)");  // after B's block
}

}  // namespace
