// Table, password, index and validity-check commands through the library's exports: every
// failure row's code, then the behaviours a wrong implementation would break quietly.
#include <fstream>

#include "library_fixture.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/security.h"

namespace vortab::test {
namespace {

void InsertRows(const fs::path& dir, const std::string& table,
                const std::vector<std::vector<paradox::Value>>& rows,
                const std::vector<std::string>& passwords = {}) {
    auto writer = paradox::TableWriter::open(dir.string(), table, {passwords, {}});
    for (const auto& row : rows) writer.insert(row);
    writer.commit();
}

paradox::Value I(int n) { return paradox::Value::integer(n); }
paradox::Value T(const char* s) { return paradox::Value::text(s); }

class TableCommands : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        CreateTable(dir, "CUSTOMER.DB",
                    {{"Id", paradox::FLDINT32, 0, 0}, {"Name", paradox::FLDZSTRING, 0, 20},
                     {"Born", paradox::FLDDATE, 0, 0}, {"Note", paradox::FLDBLOB, paradox::FLDSTMEMO, 10}},
                    1);
        InsertRows(dir, "CUSTOMER.DB", {{I(1), T("Ann"), paradox::Value::null(), paradox::Value::null()},
                                        {I(2), T("Bob"), paradox::Value::null(), paradox::Value::null()}});
        CreateTable(dir, "SAFE.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Code", paradox::FLDZSTRING, 0, 8}},
                    1, "owl1");
    }
    std::vector<std::string> AuxPasswords(const std::string& table, const std::string& master) {
        std::vector<std::string> out;
        for (const auto& e : paradox::ListAuxPasswords(dir.string(), table, {{master}, {}}))
            out.emplace_back(e.password);
        return out;
    }
};

struct Row {
    std::string line;
    int status;
};

TEST_F(TableCommands, FailureRowsGiveTheirCodes) {
    binding.addPassword("owl1");
    ASSERT_EQ(Exec("TBL_AUXPSWD(\"SAFE\", \"owl1\", \"reader\", PRVREADONLY, \"Code\")"), 0);
    ASSERT_EQ(Exec("VCHK_ADD(\"CUSTOMER\", \"Name\", VCHKFALSE, VCHKFALSE, VCHKFALSE, 0, 0, 0, \"\", TRUE)"), 0);
    ASSERT_EQ(Exec("IX_ADD(\"CUSTOMER\", \"ByName\", \"Name\", \"\", IXOPTDEFAULT)"), 0);
    std::string seventeen;
    for (int i = 0; i < 17; ++i) seventeen += "Id;";
    const std::string longPicture(176, '#');
    const std::string longText(256, 'x');
    const Row rows[] = {
        // Table commands.
        {"TBL_CREATE(\"CUSTOMER\", \"ascii\", 4, \"Id\", FLDINT32, FLDSTDEFAULT, 0, 0)", -1},
        {"TBL_CREATE(\"NEWT\", \"ascii\", 0, \"Id\", FLDINT32, FLDSTDEFAULT, 0, 0)", 9986},
        {"TBL_CREATE(\"NEWT\", \"AVERYLONGLANGUAGEDRIVERNAME123456\", 4, \"Id\", FLDINT32, FLDSTDEFAULT, 0, 0)", 9986},
        {"TBL_DROP(\"NOSUCH\")", -1},
        {"TBL_SETATTR(\"CUSTOMER\", NAME, \"customer.db\")", -1},
        {"TBL_SETATTR(\"CUSTOMER\", LEVEL, " + std::to_string(paradox::Table::open(dir.string(), "CUSTOMER.DB").properties().level) + ")", -1},
        {"TBL_SETATTR(\"CUSTOMER\", BLOCK_SIZE, 2048)", -1},
        {"TBL_SETATTR(\"CUSTOMER\", STRICT_REFINT, FALSE)", -1},
        {"TBL_SETATTR(\"CUSTOMER\", LANGDRIVER, \"" + paradox::Table::open(dir.string(), "CUSTOMER.DB").properties().languageDriver + "\")", -1},
        {"TBL_SETATTR(\"CUSTOMER\", LEVEL, 6)", 11522},  // the engine refuses
        {"TBL_BMOVE(\"CUSTOMER\", \"" + std::string() + "\", \"CUSTOMER\", \"/no/such/map.txt\", FALSE, BATAPPEND)", 9986},
        {"TBL_DROP(\"NOSUCH\")", -1},
        // Password commands.
        {"TBL_AUXPSWD(\"SAFE\", \"\", \"aux\")", 9986},
        {"TBL_AUXPSWD(\"SAFE\", \"owl1\", \"aux\", PRVFULL, \"Code\")", 9986},
        {"TBL_AUXPSWD(\"SAFE\", \"owl1\", \"aux\", PRVINSDEL, \"\", \"Code\")", 9986},
        {"TBL_AUXPSWD(\"SAFE\", \"owl1\", \"aux\", PRVREADONLY, \"Nope\")", 9986},
        {"TBL_AUXPSWD(\"SAFE\", \"owl1\", \"READER\", PRVREADONLY)", -1},
        {"TBL_AUXPSWD(\"SAFE\", \"owl1\", \"nobody\")", -1},
        {"TBL_SETATTR(\"SAFE\", PASSWORD, \"owl1\")", -1},
        {"TBL_AUXPSWD(\"SAFE\", \"not-the-master\", \"aux\")", 10498},
        {"TBL_SETATTR(\"CUSTOMER\", PASSWORD, \"\")", -1},
        {"TBL_AUXPSWD(\"CUSTOMER\", \"\", \"\")", 9986},
        // Index and validity-check commands.
        {"IX_ADD(\"CUSTOMER\", \"BYNAME\", \"Name\", \"\", IXOPTDEFAULT)", -1},
        {"IX_ADD(\"CUSTOMER\", \"\", \"Id\", \"\", PRI)", -1},
        {"IX_ADD(\"CUSTOMER\", \"X\", \"Nope\", \"\", IXOPTDEFAULT)", 9986},
        {"IX_ADD(\"CUSTOMER\", \"X\", \"Name\", \"Nope\", DES)", 9986},
        {"IX_ADD(\"CUSTOMER\", \"X\", \"" + seventeen + "\", \"\", IXOPTDEFAULT)", 9986},
        {"IX_DROP(\"CUSTOMER\", \"Nothing\")", -1},
        {"IX_ADD(\"CUSTOMER\", \"ByNote\", \"Note\", \"\", IXOPTDEFAULT)", 10023},  // the engine refuses a memo key
        {"VCHK_ADD(\"CUSTOMER\", \"Name\", VCHKFALSE, VCHKFALSE, VCHKFALSE, 0, 0, 0, \"\", TRUE)", -1},
        {"VCHK_DROP(\"CUSTOMER\", \"Id\")", -1},
        {"VCHK_ADD(\"CUSTOMER\", \"Nope\", VCHKFALSE, VCHKFALSE, VCHKFALSE, 0, 0, 0, \"\", TRUE)", 9986},
        {"VCHK_DROP(\"CUSTOMER\", \"Nope\")", 9986},
        {"VCHK_ADD(\"CUSTOMER\", \"Note\", VCHKTRUE, VCHKFALSE, VCHKFALSE, 1, 0, 0, \"\", FALSE)", 9986},
        {"VCHK_ADD(\"CUSTOMER\", \"Born\", VCHKFALSE, VCHKFALSE, VCHKFALSE, 0, 0, 0, \"" + longPicture + "\", FALSE)", 9986},
        {"VCHK_ADD(\"SAFE\", \"Code\", VCHKFALSE, VCHKFALSE, VCHKTRUE, 0, 0, \"" + longText + "\", \"\", FALSE)", 9986},
    };
    for (const Row& row : rows) EXPECT_EQ(Exec(row.line), row.status) << row.line;
    EXPECT_EQ(paradox::Table::open(dir.string(), "SAFE.DB", {{"owl1"}, {}}).properties().isProtected, true);
}

// Known passwords last as long as the process: each test that needs one unknown has its own.
TEST_F(TableCommands, ProtectedTableWithoutItsPasswordGives10498) {
    CreateTable(dir, "LOCKED.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Code", paradox::FLDZSTRING, 0, 8}}, 1,
                "never-given-1");
    for (const char* line : {"TBL_DROP(\"LOCKED\")", "TBL_SETATTR(\"LOCKED\", LEVEL, 5)",
                             "TBL_AUXPSWD(\"LOCKED\", \"wrong\", \"aux\")",
                             "IX_ADD(\"LOCKED\", \"ByCode\", \"Code\", \"\", IXOPTDEFAULT)",
                             "VCHK_DROP(\"LOCKED\", \"Code\")"})
        EXPECT_EQ(Exec(line), 10498) << line;
    EXPECT_TRUE(fs::exists(dir / "LOCKED.DB"));
}

TEST_F(TableCommands, CreateRenamesAnAccentedFirstField) {
    EXPECT_EQ(Exec("TBL_CREATE(\"PRICES\", \"ascii\", 4, \"Pr\xE9is\", FLDZSTRING, FLDSTDEFAULT, 12, 0)"), 0);
    EXPECT_EQ(Exec("TBL_CREATE(\"PRICES\", \"ascii\", 4, \"Pr\xE9is\", FLDZSTRING, FLDSTDEFAULT, 12, 0)"), -1);
    const auto fields = paradox::Table::open(dir.string(), "PRICES.DB").fieldDescriptors();
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_STREQ(fields[0].name, "Pr\xE9is");
    EXPECT_EQ(fields[0].units1, 12);
}

TEST_F(TableCommands, AttributesApplyAndThenAreInForce) {
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", BLOCK_SIZE, 4096)"), 0);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", BLOCK_SIZE, 4096)"), -1);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", FILL_FACTOR, 80)"), 0);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", FILL_FACTOR, 80)"), 0);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", LEVEL, 7)"), 0);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", STRICT_REFINT, TRUE)"), 0);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", STRICT_REFINT, TRUE)"), -1);
    const paradox::Table t = paradox::Table::open(dir.string(), "CUSTOMER.DB");
    EXPECT_EQ(t.properties().blockSizeKb, 4);
    EXPECT_EQ(t.properties().level, 7);
    EXPECT_EQ(t.readAll().size(), 2u);
}

TEST_F(TableCommands, MasterAndAuxiliaryPasswordsComeAndGo) {
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", PASSWORD, \"lynx\")"), 0);
    EXPECT_TRUE(paradox::Table::open(dir.string(), "CUSTOMER.DB", {{"lynx"}, {}}).properties().isProtected);
    EXPECT_EQ(Exec("TBL_AUXPSWD(\"CUSTOMER\", \"lynx\", \"clerk\", PRVREADONLY, \"Name\")"), 0);
    EXPECT_EQ(Exec("TBL_AUXPSWD(\"CUSTOMER\", \"lynx\", \"boss\", PRVFULL)"), 0);
    EXPECT_EQ(AuxPasswords("CUSTOMER.DB", "lynx"), (std::vector<std::string>{"clerk", "boss"}));
    const auto entries = paradox::ListAuxPasswords(dir.string(), "CUSTOMER.DB", {{"lynx"}, {}});
    EXPECT_EQ(static_cast<std::uint32_t>(entries[0].tableRights), 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(entries[0].fieldRights[0]), 31u);
    EXPECT_EQ(static_cast<std::uint32_t>(entries[0].fieldRights[1]), 1u);
    EXPECT_EQ(Exec("TBL_AUXPSWD(\"CUSTOMER\", \"lynx\", \"CLERK\")"), 0);
    EXPECT_EQ(AuxPasswords("CUSTOMER.DB", "lynx"), (std::vector<std::string>{"boss"}));
    EXPECT_EQ(Exec("TBL_AUXPSWD(\"CUSTOMER\", \"lynx\", \"\")"), 0);
    EXPECT_EQ(Exec("TBL_AUXPSWD(\"CUSTOMER\", \"lynx\", \"\")"), -1);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", PASSWORD, \"puma\")"), 0);
    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER\", PASSWORD, \"\")"), 0);
    EXPECT_FALSE(paradox::Table::open(dir.string(), "CUSTOMER.DB").properties().isProtected);
    EXPECT_EQ(paradox::Table::open(dir.string(), "CUSTOMER.DB").readAll().size(), 2u);
}

TEST_F(TableCommands, ExistsTableNeverAsksForAPassword) {
    static int asked = 0;
    binding.registerPswdCallback(+[](const char*) -> const char* { ++asked; return nullptr; });
    EXPECT_EQ(Exec("IF(EXISTS_TABLE(\"safe\"), ERROR(0), ERROR(7))"), 0);
    EXPECT_EQ(Exec("IF(EXISTS_TABLE(\"GONE\"), ERROR(0), ERROR(7))"), 7);
    EXPECT_EQ(asked, 0);
}

TEST_F(TableCommands, CallbackRepeatingAWrongPasswordEndsTheRequest) {
    CreateTable(dir, "VAULT.DB", {{"Id", paradox::FLDINT32, 0, 0}}, 1, "never-given-2");
    static int calls = 0;
    calls = 0;
    binding.registerPswdCallback(+[](const char*) -> const char* { ++calls; return "wrong"; });
    EXPECT_EQ(Exec("TBL_DROP(\"VAULT\")"), 10498);
    EXPECT_EQ(calls, 2);
    // A person typing a new guess each time may go on until the right one.
    static const char* guesses[] = {"a", "b", "c", "never-given-2"};
    calls = 0;
    binding.registerPswdCallback(+[](const char*) -> const char* { return guesses[calls++ % 4]; });
    EXPECT_EQ(Exec("TBL_DROP(\"VAULT\")"), 0);
    EXPECT_EQ(calls, 4);
}

TEST_F(TableCommands, LibraryAndDatabaseDirectories) {
    const std::string library = fs::canonical(fs::path(VORTAB_BUILD_DIR) / "library").string();
    EXPECT_EQ(Exec("IF(DIR_DLL(FALSE) = \"" + library + "\", ERROR(0), ERROR(1))"), 0);
    EXPECT_EQ(Exec("IF(DIR_CURRDB(TRUE) = \"" + dir.string() + "/\", ERROR(0), ERROR(1))"), 0);
}

TEST_F(TableCommands, DropThenGone) {
    EXPECT_EQ(Exec("TBL_DROP(\"customer\")"), 0);
    EXPECT_EQ(Exec("TBL_DROP(\"customer\")"), -1);
    EXPECT_TRUE(paradox::FamilyFiles(dir.string(), "CUSTOMER").empty());
}

TEST_F(TableCommands, BatchMoveEveryModeWithAMappingFile) {
    CreateTable(dir, "SRC.DB", {{"Key", paradox::FLDINT32, 0, 0}, {"Who", paradox::FLDZSTRING, 0, 20}}, 1);
    InsertRows(dir, "SRC.DB", {{I(2), T("Bobby")}, {I(3), T("Cid")}});
    const fs::path map = dir / "map.txt";
    std::ofstream(map) << "Id=Key\nName=Who\n";
    const std::string src = "\"" + dir.string() + "\", \"SRC\", \"" + map.string() + "\", FALSE, ";
    const auto names = [&](const std::string& table) {
        std::vector<std::string> out;
        for (const auto& r : paradox::Table::open(dir.string(), table).readAll()) out.push_back(r[1].asString());
        return out;
    };
    EXPECT_EQ(Exec("TBL_BMOVE(\"CUSTOMER\", " + src + "BATUPDATE)"), 0);
    EXPECT_EQ(names("CUSTOMER.DB"), (std::vector<std::string>{"Ann", "Bobby"}));
    EXPECT_EQ(Exec("TBL_BMOVE(\"CUSTOMER\", " + src + "BATAPPEND)"), 9729);  // key 2 repeats
    EXPECT_EQ(Exec("TBL_BMOVE(\"CUSTOMER\", " + src + "BATAPPENDUPDATE)"), 0);
    EXPECT_EQ(names("CUSTOMER.DB"), (std::vector<std::string>{"Ann", "Bobby", "Cid"}));
    EXPECT_EQ(Exec("TBL_BMOVE(\"CUSTOMER\", " + src + "BATDELETE)"), 0);
    EXPECT_EQ(names("CUSTOMER.DB"), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(Exec("TBL_BMOVE(\"COPY\", \"" + dir.string() + "\", \"SRC\", \"\", TRUE, BATCOPY)"), 0);
    EXPECT_EQ(names("COPY.DB"), (std::vector<std::string>{"Bobby", "Cid"}));
}

TEST_F(TableCommands, IndexOptionsReachTheEngine) {
    EXPECT_EQ(Exec("IX_ADD(\"CUSTOMER\", \"NameBorn\", \"Name;Born\", \"Born\", UNQ OR CIS)"), 0);
    const auto defs = paradox::ReadIndexDescriptors(dir.string(), "CUSTOMER.DB",
                                                    paradox::Table::open(dir.string(), "CUSTOMER.DB").schema());
    const auto it = std::find_if(defs.begin(), defs.end(), [](const auto& d) { return std::string(d.name) == "NameBorn"; });
    ASSERT_NE(it, defs.end());
    EXPECT_EQ(it->unique, 1);
    EXPECT_EQ(it->primary, 0);
    EXPECT_EQ(it->keyFieldCount, 2);
    EXPECT_EQ(it->fieldDescending[0], 0);
    EXPECT_EQ(it->fieldDescending[1], 1);
    EXPECT_EQ(Exec("IX_DROP(\"CUSTOMER\", \"namEBORN\")"), 0);
    EXPECT_EQ(Exec("IX_DROP(\"CUSTOMER\", \"NameBorn\")"), -1);
}

TEST_F(TableCommands, CheckValuesAreStoredInTheFieldsNativeForm) {
    CreateTable(dir, "KINDS.DB",
                {{"S", paradox::FLDINT16, 0, 0}, {"D", paradox::FLDDATE, 0, 0}, {"T", paradox::FLDTIME, 0, 0},
                 {"TS", paradox::FLDTIMESTAMP, 0, 0}, {"F", paradox::FLDFLOAT, 0, 0}, {"B", paradox::FLDBOOL, 0, 0},
                 {"A", paradox::FLDZSTRING, 0, 10}});
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"S\", VCHKTRUE, VCHKTRUE, VCHKFALSE, 10, 300, 0, \"\", FALSE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"D\", VCHKTRUE, VCHKFALSE, VCHKTODAY, DATE(1, 1, 2000), 0, 0, \"\", FALSE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"T\", VCHKFALSE, VCHKFALSE, VCHKTRUE, 0, 0, 0.5, \"\", FALSE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"TS\", VCHKTRUE, VCHKFALSE, VCHKFALSE, DATE(1, 1, 2000) + 0.25, 0, 0, \"\", FALSE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"F\", VCHKFALSE, VCHKTRUE, VCHKFALSE, 0, 2.5, 0, \"\", FALSE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"B\", VCHKFALSE, VCHKFALSE, VCHKTRUE, 0, 0, TRUE, \"\", FALSE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"A\", VCHKFALSE, VCHKFALSE, VCHKTRUE, 0, 0, \"none\", \"&*?\", TRUE)"), 0);
    EXPECT_EQ(Exec("VCHK_ADD(\"KINDS\", \"A\", VCHKFALSE, VCHKFALSE, VCHKTRUE, 0, 0, \"none\", \"&*?\", TRUE)"), -1);
    const auto val = paradox::ReadValFile(dir.string(), "KINDS.DB");
    ASSERT_TRUE(val);
    ASSERT_EQ(val->checks.size(), 7u);
    const auto& c = val->checks;
    const auto i16 = [](const std::uint8_t* p) { std::int16_t v; std::memcpy(&v, p, 2); return v; };
    const auto i32 = [](const std::uint8_t* p) { std::int32_t v; std::memcpy(&v, p, 4); return v; };
    const auto f64 = [](const std::uint8_t* p) { double v; std::memcpy(&v, p, 8); return v; };
    EXPECT_EQ(i16(c[0].minimum), 10);
    EXPECT_EQ(i16(c[0].maximum), 300);
    EXPECT_EQ(i32(c[1].minimum), 730120);  // 1 January 2000 as a day number
    EXPECT_EQ(static_cast<int>(c[1].defaultKind), 2);
    EXPECT_EQ(i32(c[2].defaultValue), 43200000);
    EXPECT_DOUBLE_EQ(f64(c[3].minimum), 730120.0 * 86400000 + 21600000);
    EXPECT_DOUBLE_EQ(f64(c[4].maximum), 2.5);
    EXPECT_EQ(i16(c[5].defaultValue), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(c[6].defaultValue), "none");
    EXPECT_STREQ(c[6].picture, "&*?");
    EXPECT_EQ(c[6].required, 1);
    EXPECT_EQ(Exec("VCHK_DROP(\"KINDS\", \"S\")"), 0);
    EXPECT_EQ(Exec("VCHK_DROP(\"KINDS\", \"S\")"), -1);
}

std::vector<std::string> LinkTargets(const fs::path& dir, const std::string& table, paradox::LinkKind kind) {
    std::vector<std::string> out;
    if (auto v = paradox::ReadValFile(dir.string(), table))
        for (const auto& l : v->links)
            if (l.kind == static_cast<std::uint32_t>(kind)) out.emplace_back(l.otherTable);
    return out;
}

// REGION <- CUSTOMER <- ORDERS: the renamed table is a master and a dependent.
TEST_F(TableCommands, RenameKeepsEveryLink) {
    CreateTable(dir, "REGION.DB", {{"Code", paradox::FLDZSTRING, 0, 4}}, 1);
    InsertRows(dir, "REGION.DB", {{T("N")}});
    CreateTable(dir, "ORDERS.DB", {{"No", paradox::FLDINT32, 0, 0}, {"Customer", paradox::FLDINT32, 0, 0}}, 1);
    InsertRows(dir, "ORDERS.DB", {{I(10), I(1)}});
    ASSERT_EQ(Exec("FLD_ADD(\"CUSTOMER\", \"Region\", FLDZSTRING, FLDSTDEFAULT, 4, 0)"), 0);
    ASSERT_EQ(Exec("IX_ADD(\"CUSTOMER\", \"Region\", \"Region\", \"\", IXOPTDEFAULT)"), 0);
    ASSERT_EQ(Exec("RI_ADD(\"CUSTOMER\", \"Region\", \"REGION\", \"Code\", \"InRegion\", RESTRICT)"), 0);
    ASSERT_EQ(Exec("IX_ADD(\"ORDERS\", \"Customer\", \"Customer\", \"\", IXOPTDEFAULT)"), 0);
    ASSERT_EQ(Exec("RI_ADD(\"ORDERS\", \"Customer\", \"CUSTOMER\", \"Id\", \"OfCustomer\", CASCADE)"), 0);

    EXPECT_EQ(Exec("TBL_SETATTR(\"CUSTOMER.DB\", NAME, \"CLIENTS\")"), 0);
    EXPECT_FALSE(fs::exists(dir / "CUSTOMER.DB"));
    EXPECT_EQ(LinkTargets(dir, "ORDERS.DB", paradox::LinkKind::Dependent), std::vector<std::string>{"CLIENTS.DB"});
    EXPECT_EQ(LinkTargets(dir, "CLIENTS.DB", paradox::LinkKind::Master), std::vector<std::string>{"ORDERS.DB"});
    EXPECT_EQ(LinkTargets(dir, "CLIENTS.DB", paradox::LinkKind::Dependent), std::vector<std::string>{"REGION.DB"});
    EXPECT_EQ(LinkTargets(dir, "REGION.DB", paradox::LinkKind::Master), std::vector<std::string>{"CLIENTS.DB"});
    EXPECT_EQ(paradox::Table::open(dir.string(), "CLIENTS.DB").readAll().size(), 2u);
    // The links work under the new name: they can be dropped from either side's command.
    EXPECT_EQ(Exec("RI_DROP(\"CLIENTS\", \"InRegion\")"), 0);
    EXPECT_TRUE(LinkTargets(dir, "REGION.DB", paradox::LinkKind::Master).empty());
    EXPECT_EQ(Exec("RI_DROP(\"ORDERS\", \"OfCustomer\")"), 0);
    EXPECT_TRUE(LinkTargets(dir, "CLIENTS.DB", paradox::LinkKind::Master).empty());
}

}  // namespace
}  // namespace vortab::test
