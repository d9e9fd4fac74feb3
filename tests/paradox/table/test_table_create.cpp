// Creating tables from descriptors: what the engine accepts (and reports back through the
// field descriptors and properties) and what it refuses, with the engine's codes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "paradox/format/descriptor_builder.h"
#include "paradox/format/index_descriptor.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::ScratchDir;

namespace {
int CreateCode(const std::string& dir, DescriptorBuilder& b, const CreateOptions& o = {}) {
    try {
        createTable(dir, b.descriptor(), o);
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}
}  // namespace

TEST(CreateTable, EveryFieldTypeReportsItsLogicalType) {
    ScratchDir dir;
    DescriptorBuilder b("alltypes");
    b.field("Alpha", FLDZSTRING, 0, 20)
        .field("Date", FLDDATE)
        .field("Short", FLDINT16)
        .field("Long", FLDINT32)
        .field("Money", FLDFLOAT, FLDSTMONEY)
        .field("Number", FLDFLOAT)
        .field("Logical", FLDBOOL)
        .field("Memo", FLDBLOB, FLDSTMEMO, 20)
        .field("Binary", FLDBLOB, FLDSTBINARY, 0)
        .field("FmtMemo", FLDBLOB, FLDSTFMTMEMO, 5)
        .field("Ole", FLDBLOB, FLDSTOLEOBJ, 0)
        .field("Graphic", FLDBLOB, FLDSTGRAPHIC, 0)
        .field("Time", FLDTIME)
        .field("Stamp", FLDTIMESTAMP)
        .field("Auto", FLDINT32, FLDSTAUTOINC)
        .field("Bcd", FLDBCD, 0, 32, 4)
        .field("Bytes", FLDBYTES, 0, 7);
    createTable(dir.str(), b.descriptor());
    Table t = Table::open(dir.str(), "ALLTYPES");  // found without regard to case
    const auto fds = t.fieldDescriptors();
    ASSERT_EQ(fds.size(), 17u);
    struct Expect {
        int16_t type, sub, u1, u2;
    };
    const Expect expect[] = {{1, 0, 20, 0}, {2, 0, 0, 0},   {5, 0, 0, 0},   {6, 0, 0, 0},  {7, 21, 0, 0},  {7, 0, 0, 0},
                             {4, 0, 0, 0},  {3, 22, 20, 0}, {3, 23, 0, 0},  {3, 24, 5, 0}, {3, 25, 0, 0},  {3, 26, 0, 0},
                             {10, 0, 0, 0}, {11, 0, 0, 0},  {6, 29, 0, 0},  {8, 0, 32, 4}, {9, 0, 7, 0}};
    for (std::size_t i = 0; i < fds.size(); ++i) {
        EXPECT_EQ(fds[i].fieldNumber, i + 1);
        EXPECT_EQ(fds[i].type, expect[i].type) << fds[i].name;
        EXPECT_EQ(fds[i].subType, expect[i].sub) << fds[i].name;
        EXPECT_EQ(fds[i].units1, expect[i].u1) << fds[i].name;
        EXPECT_EQ(fds[i].units2, expect[i].u2) << fds[i].name;
    }
    const auto& p = t.properties();
    EXPECT_EQ(p.level, 5);  // raised from the default to what Long/Time/Logical need
    EXPECT_EQ(p.fileVersion, 11);
    EXPECT_EQ(p.recordSize, 20 + 4 + 2 + 4 + 8 + 8 + 1 + 30 + 10 + 15 + 10 + 10 + 4 + 8 + 4 + 17 + 7);
    EXPECT_EQ(p.blockSizeKb, 2);
    EXPECT_EQ(p.languageDriver, "ascii");
    EXPECT_FALSE(p.isProtected);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "alltypes.MB"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "alltypes.PX"));
}

TEST(CreateTable, LevelOptionsAndLanguageDriver) {
    struct Case {
        const char* level;      // LEVEL option, nullptr for none
        int16_t type, subType;  // the one field
        int wantLevel;
        uint8_t wantVersion;
    };
    const Case cases[] = {
        {"3", FLDZSTRING, 0, 3, 4},   {"4", FLDZSTRING, 0, 4, 9},  {"5", FLDZSTRING, 0, 5, 11},
        {"7", FLDZSTRING, 0, 7, 12},  {nullptr, FLDZSTRING, 0, 4, 9}, {"3", FLDBLOB, FLDSTMEMO, 4, 9},
        {"3", FLDINT32, 0, 5, 11},    {"4", FLDBCD, 0, 5, 11},
    };
    int n = 0;
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string name = "t" + std::to_string(n++);
        DescriptorBuilder b(name);
        b.field("F", c.type, c.subType, c.type == FLDZSTRING ? 10 : (c.type == FLDBLOB ? 10 : 0));
        if (c.level) b.option("LEVEL", c.level);
        b.option("LANGDRIVER", "ANSIINTL");
        createTable(dir.str(), b.descriptor());
        const auto p = Table::open(dir.str(), name).properties();
        EXPECT_EQ(p.level, c.wantLevel) << name;
        EXPECT_EQ(p.fileVersion, c.wantVersion) << name;
        if (c.wantLevel > 3) {
            EXPECT_EQ(p.languageDriver, "ANSIINTL");
            EXPECT_EQ(p.codePage, 1252);
        }
        EXPECT_EQ(p.sortOrder, 0x62);
    }
}

TEST(CreateTable, RefusesWhatTheEngineRefuses) {
    using Build = std::function<void(DescriptorBuilder&)>;
    struct Case {
        const char* what;
        Build build;
        int code;
        CreateOptions options{};
    };
    const std::vector<Case> cases = {
        {"no fields", [](DescriptorBuilder&) {}, 10052},
        {"unknown type", [](DescriptorBuilder& b) { b.field("A", FLDUINT16); }, 10000},
        {"typed binary", [](DescriptorBuilder& b) { b.field("A", FLDBLOB, FLDSTTYPEDBINARY, 10); }, 10000},
        {"alpha size 0", [](DescriptorBuilder& b) { b.field("A", FLDZSTRING, 0, 0); }, 10001},
        {"alpha size 256", [](DescriptorBuilder& b) { b.field("A", FLDZSTRING, 0, 256); }, 10001},
        {"memo leader 0", [](DescriptorBuilder& b) { b.field("M", FLDBLOB, FLDSTMEMO, 0); }, 10001},
        {"blob leader 241", [](DescriptorBuilder& b) { b.field("B", FLDBLOB, FLDSTBINARY, 241); }, 10001},
        {"bcd 33 decimals", [](DescriptorBuilder& b) { b.field("N", FLDBCD, 0, 32, 33); }, 10001},
        {"bytes 0", [](DescriptorBuilder& b) { b.field("Y", FLDBYTES, 0, 0); }, 10001},
        {"empty name", [](DescriptorBuilder& b) { b.field("", FLDDATE); }, 10038},
        {"name of 26", [](DescriptorBuilder& b) { b.field(std::string(26, 'n'), FLDDATE); }, 10038},
        {"duplicate name", [](DescriptorBuilder& b) { b.field("Name", FLDDATE).field("NAME", FLDINT16); }, 10009},
        {"bad level", [](DescriptorBuilder& b) { b.field("A", FLDDATE).option("LEVEL", "6"); }, 11522},
        {"bad driver", [](DescriptorBuilder& b) { b.field("A", FLDDATE).option("LANGDRIVER", "klingon"); }, 10043},
        {"bad block size", [](DescriptorBuilder& b) { b.field("A", FLDDATE).option("BLOCK SIZE", "3000"); }, 11522},
        {"unknown option", [](DescriptorBuilder& b) { b.field("A", FLDDATE).option("COLOUR", "red"); }, 11522},
        {"record too big", [](DescriptorBuilder& b) { for (int i = 0; i < 9; ++i) b.field("A" + std::to_string(i), FLDZSTRING, 0, 255); }, 9477},
        {"blob key", [](DescriptorBuilder& b) { b.field("M", FLDBLOB, FLDSTMEMO, 10); }, 10054, CreateOptions{1, false}},
        {"key beyond fields", [](DescriptorBuilder& b) { b.field("A", FLDDATE); }, 10054, CreateOptions{2, false}},
        {"dBASE driver", [](DescriptorBuilder& b) { b.field("A", FLDDATE); }, 12289},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        DescriptorBuilder b("refused", std::string(c.what) == "dBASE driver" ? "DBASE" : "PARADOX");
        c.build(b);
        EXPECT_EQ(CreateCode(dir.str(), b, c.options), c.code) << c.what;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.what << ": nothing may be left behind";
    }
}

TEST(CreateTable, ExistingTablesAndLongNames) {
    ScratchDir dir;
    DescriptorBuilder b("orders");
    b.field("No", FLDINT32);
    createTable(dir.str(), b.descriptor(), {1, false});
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "orders.PX"));
    DescriptorBuilder again("ORDERS");
    again.field("Other", FLDZSTRING, 0, 5);
    EXPECT_EQ(CreateCode(dir.str(), again), 13057);
    // Overwriting replaces the family: the old primary index goes with the old table.
    createTable(dir.str(), again.descriptor(), {0, true});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "orders.PX"));
    EXPECT_EQ(Table::open(dir.str(), "orders").fieldDescriptors()[0].type, FLDZSTRING);
    EXPECT_FALSE(Table::open(dir.str(), "orders").properties().strictIntegrity);
    // The strict-integrity option is kept; replacing the table again takes it away.
    DescriptorBuilder strict("orders");
    strict.field("No", FLDINT32).option("STRICTINTEGRTY", "TRUE").option("FILL FACTOR", "80");
    createTable(dir.str(), strict.descriptor(), {1, true});
    EXPECT_TRUE(Table::open(dir.str(), "orders").properties().strictIntegrity);
    createTable(dir.str(), again.descriptor(), {0, true});
    EXPECT_FALSE(Table::open(dir.str(), "orders").properties().strictIntegrity);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().stem().string(), "orders") << "left behind: " << e.path();

    // Below level 7 a long name is kept as long as the 79-byte name area holds the family's
    // longest file name (base + ".XG10" + NUL).
    for (const auto& [base, level, code] : std::vector<std::tuple<std::string, const char*, int>>{
             {"customers_2025", "5", 0}, {"paradox-ascii", "4", 0}, {"encrypted35", "3", 0},
             {std::string(73, 'n'), "5", 0}, {std::string(74, 'n'), "5", 9499}, {std::string(74, 'n'), "3", 9499}}) {
        SCOPED_TRACE(base + " level " + level);
        DescriptorBuilder longName(base);
        longName.field("A", FLDZSTRING, 0, 5).option("LEVEL", level);
        EXPECT_EQ(CreateCode(dir.str(), longName), code);
        if (code == 0) {
            EXPECT_EQ(Table::open(dir.str(), base).fieldDescriptors().size(), 1u);
        }
    }
    DescriptorBuilder longOk("customers_2024");
    longOk.field("A", FLDZSTRING, 0, 5).option("LEVEL", "7");
    EXPECT_EQ(CreateCode(dir.str(), longOk), 0);
}

TEST(CreateTable, ProtectedTableNeedsItsPassword) {
    ScratchDir dir;
    DescriptorBuilder b("secret");
    b.field("A", FLDZSTRING, 0, 10).password("geheim");
    createTable(dir.str(), b.descriptor());
    try {
        Table::open(dir.str(), "secret");
        FAIL() << "opened without password";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 10498);
    }
    OpenOptions o;
    o.passwords = {"wrong", "geheim"};
    EXPECT_TRUE(Table::open(dir.str(), "secret", o).properties().isProtected);
}

TEST(CreateTable, PrimaryKeyFromTheIndexList) {
    struct Case {
        std::vector<uint16_t> keyFields;
        bool primary;
        int code;
    };
    const Case cases[] = {
        {{1, 2}, true, 0},
        {{2}, true, 10023},      // a primary key must be made of the leading fields
        {{1}, false, 12289},     // secondary indexes are added to existing tables
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        DescriptorBuilder b("keyed");
        b.field("A", FLDZSTRING, 0, 5).field("B", FLDINT16).field("C", FLDDATE);
        TableDescriptor d = b.descriptor();
        IndexDescriptor idx{};
        idx.primary = c.primary ? 1 : 0;
        idx.keyFieldCount = static_cast<uint16_t>(c.keyFields.size());
        for (std::size_t i = 0; i < c.keyFields.size(); ++i) idx.keyFields[i] = c.keyFields[i];
        d.indexCount = 1;
        d.indexes = &idx;
        int code = 0;
        try {
            createTable(dir.str(), d);
        } catch (const EngineError& e) {
            code = e.code();
        }
        EXPECT_EQ(code, c.code);
        if (code == 0) {
            EXPECT_EQ(Table::open(dir.str(), "keyed").properties().keyFields, 2);
            EXPECT_TRUE(std::filesystem::exists(dir.path() / "keyed.PX"));
        }
    }
}
