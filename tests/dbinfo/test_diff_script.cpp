// The differential script on models built by hand: unchanged tables, renames under both field
// matching rules, field moves, index relabelling, checks across renames, links and dropped tables.
#include <gtest/gtest.h>

#include "editor/dbinfo/diff_script.h"
#include "model_builder.h"

namespace {

using namespace vortab::dbinfo;
using dbinfo_test::AddTable;
using dbinfo_test::Commands;

struct TwoModels {
    dbinfo_test::CommandChain chain;
    tdatabase_Structure original{chain.head()};
    tdatabase_Structure current{chain.head()};

    ScriptLines Diff(DiffSettings settings = {}) {
        ScriptLines lines;
        NoProgress progress;
        WriteDiffScript(current, settings, lines, "", "", &original, progress);
        return lines;
    }
    std::vector<std::string> DiffCommands(DiffSettings settings = {}) { return Commands(Diff(settings)); }
};

const std::vector<std::pair<std::string, int>> kFive = {
    {"A", vortab::FLDINT32}, {"B", vortab::FLDINT32}, {"C", vortab::FLDINT32}, {"D", vortab::FLDINT32}, {"E", vortab::FLDINT32}};

TEST(WriteDiffScript, IdenticalTablesAreUnchanged) {
    TwoModels m;
    for (auto* model : {&m.original, &m.current}) {
        AddTable(*model, "T1", kFive).indexes.push_back(dbinfo_test::Index("", {1}, true));
        AddTable(*model, "T2", kFive);
    }
    const ScriptLines lines = m.Diff();
    EXPECT_TRUE(Commands(lines).empty());
    ScriptLines banner;
    WriteBanner("unchanged", banner, false, false);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), banner[0]), 2);
    EXPECT_EQ(lines[2].find("This script converts database structure of"), 19u);
}

TEST(WriteDiffScript, RenamedFieldUnderBothMatchingRules) {
    TwoModels m;
    AddTable(m.original, "T", {{"Id", vortab::FLDINT32}, {"Old", vortab::FLDINT32}});
    AddTable(m.current, "T", {{"Id", vortab::FLDINT32}, {"New", vortab::FLDINT32}});
    EXPECT_EQ(m.DiffCommands({true, false}),
              std::vector<std::string>{"FLD_CHANGE(\"T\",\"Old\",\"New\",FLDNOCHANGE,FLDSTNOCHANGE,-1,-1)"});
    EXPECT_EQ(m.DiffCommands({false, false}),
              (std::vector<std::string>{"FLD_DROP(\"T\",\"Old\")", "FLD_ADD(\"T\",\"New\",FLDINT32,FLDSTDEFAULT,0,0)"}));
}

TEST(WriteDiffScript, LetterCaseOfNames) {
    TwoModels m;
    AddTable(m.original, "T", {{"Id", vortab::FLDINT32}, {"name", vortab::FLDINT32}});
    AddTable(m.current, "t", {{"Id", vortab::FLDINT32}, {"NAME", vortab::FLDINT32}});
    EXPECT_TRUE(m.DiffCommands({false, true}).empty());
    EXPECT_EQ(m.DiffCommands({false, false}).size(), 2u);
}

TEST(WriteDiffScript, SubtypeChangeAndItsNotes) {
    TwoModels m;
    AddTable(m.original, "ORDERS", {{"Freight", vortab::FLDFLOAT}}).fields[0].subType = vortab::FLDSTMONEY;
    AddTable(m.current, "ORDERS", {{"Freight", vortab::FLDFLOAT}});
    const ScriptLines lines = m.Diff();
    const ScriptLines tail(lines.end() - 4, lines.end());
    EXPECT_EQ(tail, (ScriptLines{":#1 Field \"Freight\" attributes changed",
                                 ":#1 Original: FLD_ADD(\"ORDERS\",\"Freight\",FLDFLOAT,FLDSTMONEY,0,0)",
                                 ":#1 Current : FLD_ADD(\"ORDERS\",\"Freight\",FLDFLOAT,FLDSTDEFAULT,0,0)",
                                 " FLD_CHANGE(\"ORDERS\",\"Freight\",\"\",FLDNOCHANGE,FLDSTDEFAULT,-1,-1)"}));
}

TEST(WriteDiffScript, SwappedFirstAndLastFieldMoveTwice) {
    TwoModels m;
    AddTable(m.original, "T", kFive);
    AddTable(m.current, "T", {kFive[4], kFive[1], kFive[2], kFive[3], kFive[0]});
    const ScriptLines lines = m.Diff({false, false});
    EXPECT_EQ(Commands(lines), (std::vector<std::string>{"FLD_MOVE(\"T\",\"A\",5)", "FLD_MOVE(\"T\",\"E\",1)"}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), ":#1 Change field \"A\" position from 1 to 5"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), ":#2 Change field \"E\" position from 4 to 1"), lines.end());
}

TEST(WriteDiffScript, DroppedFieldUnderNumberMatchingDropsBeforeRenaming) {
    TwoModels m;
    AddTable(m.original, "T", {kFive[0], kFive[1], kFive[2]});
    AddTable(m.current, "T", {kFive[0], kFive[2]});
    EXPECT_EQ(m.DiffCommands(), (std::vector<std::string>{"FLD_DROP(\"T\",\"C\")",
                                                          "FLD_CHANGE(\"T\",\"B\",\"C\",FLDNOCHANGE,FLDSTNOCHANGE,-1,-1)"}));
}

TEST(WriteDiffScript, FieldsTradingNamesGoThroughASpareName) {
    TwoModels m;
    AddTable(m.original, "T", {kFive[0], kFive[1], kFive[2]});
    AddTable(m.current, "T", {kFive[0], kFive[2], kFive[1]});
    EXPECT_EQ(m.DiffCommands(), (std::vector<std::string>{
                                    "FLD_CHANGE(\"T\",\"B\",\"RENAMED_1\",FLDNOCHANGE,FLDSTNOCHANGE,-1,-1)",
                                    "FLD_CHANGE(\"T\",\"C\",\"B\",FLDNOCHANGE,FLDSTNOCHANGE,-1,-1)",
                                    "FLD_CHANGE(\"T\",\"RENAMED_1\",\"C\",FLDNOCHANGE,FLDSTNOCHANGE,-1,-1)",
                                }));
}

TEST(WriteDiffScript, PrimaryIndexWithOtherKeysIsDroppedAndAdded) {
    TwoModels m;
    AddTable(m.original, "T", kFive).indexes.push_back(dbinfo_test::Index("", {1}, true));
    AddTable(m.current, "T", kFive).indexes.push_back(dbinfo_test::Index("", {1, 2}, true));
    const ScriptLines lines = m.Diff();
    EXPECT_EQ(Commands(lines),
              (std::vector<std::string>{"IX_DROP(\"T\",\"\")", "IX_ADD(\"T\",\"\",\"A;B\",\"\",PRI or UNQ)"}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), ":#1 Drop Primary index"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), ":#2 Add primary index"), lines.end());
}

TEST(WriteDiffScript, CheckFollowsItsRenamedField) {
    TwoModels m;
    vortab::ValidityCheckDescriptor check{};
    check.fieldNumber = 2;
    check.required = 1;
    AddTable(m.original, "T", {{"Id", vortab::FLDINT32}, {"Old", vortab::FLDINT32}}).checks.push_back(check);
    AddTable(m.current, "T", {{"Id", vortab::FLDINT32}, {"New", vortab::FLDINT32}}).checks.push_back(check);
    EXPECT_EQ(m.DiffCommands().size(), 1u);  // the rename only
    vortab::copyFixedText(m.current.tables[0]->checks[0].picture, "##");
    const auto commands = m.DiffCommands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[1], "VCHK_DROP(\"T\",\"New\")");
    EXPECT_EQ(commands[2], "VCHK_ADD(\"T\",\"NEW\",VCHKFALSE,VCHKFALSE,VCHKFALSE,0,0,0,\"##\",TRUE)");
    m.current.tables[0]->checks[0] = vortab::ValidityCheckDescriptor{};  // a lookup alone: no check a script has
    m.current.tables[0]->checks[0].fieldNumber = 2;
    m.current.tables[0]->checks[0].lookupKind = 1;
    EXPECT_EQ(m.DiffCommands().back(), "VCHK_DROP(\"T\",\"New\")");
}

TEST(WriteDiffScript, LinksDroppedFirstAndAddedLast) {
    TwoModels m;
    for (auto* model : {&m.original, &m.current}) {
        AddTable(*model, "M", {{"Id", vortab::FLDINT32}});
        AddTable(*model, "D", {{"Id", vortab::FLDINT32}, {"MId", vortab::FLDINT32}});
    }
    m.original.tables[1]->links.push_back(dbinfo_test::Link("L", vortab::LinkKind::Dependent, "M.DB", {2}, {1}));
    m.current.tables[1]->links.push_back(dbinfo_test::Link("L", vortab::LinkKind::Dependent, "M.DB", {2}, {1}));
    m.current.tables[1]->links.back().updateRule = 1;
    m.current.tables[1]->fields.push_back(dbinfo_test::Field(3, "Extra", vortab::FLDINT16));
    EXPECT_EQ(m.DiffCommands(), (std::vector<std::string>{"RI_DROP(\"D\",\"L\")", "FLD_ADD(\"D\",\"Extra\",FLDINT16,FLDSTDEFAULT,0,0)",
                                                          "RI_ADD(\"D\",\"MID\",\"M\",\"Id\",\"L\",CASCADE)"}));
}

TEST(WriteDiffScript, TablesCreatedFirstAndDroppedLastInReverseOrder) {
    TwoModels m;
    AddTable(m.original, "Gone1", kFive);
    AddTable(m.original, "Kept", kFive);
    AddTable(m.original, "Gone2", kFive);
    AddTable(m.current, "Kept", kFive);
    AddTable(m.current, "New", {kFive[0]});
    const ScriptLines lines = m.Diff();
    const auto commands = Commands(lines);
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].rfind("TBL_CREATE(\"New\"", 0), 0u);
    EXPECT_EQ(commands[2], "TBL_DROP(\"GONE2\")");
    EXPECT_EQ(commands[3], "TBL_DROP(\"GONE1\")");
    EXPECT_NE(std::find(lines.begin(), lines.end(), ":#4 Drop table Gone1"), lines.end());
}

TEST(WriteDiffScript, OneTableAgainstAnotherOfOtherName) {
    TwoModels m;
    AddTable(m.original, "Before", {kFive[0]});
    AddTable(m.current, "After", {kFive[0], kFive[1]});
    ScriptLines lines;
    NoProgress progress;
    WriteDiffScript(m.current, {}, lines, "after", "BEFORE.db", &m.original, progress);
    EXPECT_EQ(Commands(lines), std::vector<std::string>{"FLD_ADD(\"AFTER\",\"B\",FLDINT32,FLDSTDEFAULT,0,0)"});
    EXPECT_EQ(lines[1].find("TABLE After"), 34u);
}

}  // namespace
