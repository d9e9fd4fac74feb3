// Index files and .VAL files the engine does not understand, made from copies of real tables:
// readers take the table with a warning that names the file and the fault, and every change
// refuses it with the engine's code and a text that names them, leaving every file as it was.
#include <gtest/gtest.h>

#include <functional>

#include "index_test_support.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_ops.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table_companions.h"
#include "paradox/table/table_writer.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

using Bytes = std::vector<unsigned char>;

// fk4.XG0 numbers its index fields 2 (FK1) and 4 (FK), both long integers. Numbering the first
// 3 points it at B1, an Alpha field, while the header still records FK1 as a long integer.
void NumberFirstIndexField3(Bytes& b) {
    const std::size_t numbers = 0x58 + Le16(b, 0x66);
    b[numbers] = 3;
    b[numbers + 1] = 0;
    b[0x15] = 3;
}

struct Fault {
    const char* what;
    const char* folder;
    const char* stem;
    const char* file;  // the member damaged, as the fixture spells it
    std::function<void(Bytes&)> damage;
    int code;
    const char* words;  // part of the fault's text
};

const Fault kFaults[] = {
    {"composite index numbering fields of other types", "paradoxdriver/joins", "fk4", "fk4.XG0", NumberFirstIndexField3,
     err::kIndexCorrupt, "is numbered 3 in its header, but field 3 of the table is B1 (A3)"},
    {"index file of another kind", "paradoxdriver/joins", "C", "C.X02", [](Bytes& b) { b[4] = 8; }, err::kIndexCorrupt,
     "not a secondary index file"},
    {"index header cut short", "pxlib", "TypSammlung", "TypSammlung.X02", [](Bytes& b) { b.resize(0x70); },
     err::kHeaderCorrupt, "header too short"},
    {"level-7 .VAL cut short", "pxlib", "TypSammlung", "TypSammlung.VAL", [](Bytes& b) { b.resize(0x80); },
     err::kValFileCorrupt, "truncated"},
    {".VAL of an unknown version", "paradoxdriver/joins", "fk4", "fk4.val", [](Bytes& b) { b[1] = 0x01; },
     err::kValFileCorrupt, "unsupported .VAL version 1"},
};

class CompanionFault : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        REQUIRE_FIXTURES();
        const Fault& f = GetParam();
        CopyFamily(f.folder, f.stem, dir_.path());
        CopyFamily("paradoxdriver/joins", "two", dir_.path());  // fk4's master
        Bytes b = ReadBytes(dir_.path() / f.file);
        f.damage(b);
        WriteBytes(dir_.path() / f.file, b);
    }
    std::string Dir() const { return dir_.str(); }

    ScratchDir dir_;
};

TEST_P(CompanionFault, ReadersWarnAndReadTheTable) {
    const Fault& f = GetParam();
    const Table table = Table::open(Dir(), f.stem);
    EXPECT_EQ(table.readAll().size(), table.properties().recordCount);
    const TableCompanions c = ReadTableCompanions(Dir(), f.stem, table.schema());
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0].rfind(std::string(f.file) + ": ", 0), 0u) << c.warnings[0];
    EXPECT_NE(c.warnings[0].find(f.words), std::string::npos) << c.warnings[0];
}

TEST_P(CompanionFault, EveryChangeRefusesAndLeavesTheFiles) {
    const Fault& f = GetParam();
    const auto before = DirBytes(dir_.path());
    IndexDescriptor index{};
    copyFixedText(index.name, "ByFirst");
    index.keyFieldCount = 1;
    index.keyFields[0] = 1;
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"add a field", [&] { Request(Dir(), f.stem).add("Added", FLDINT16).run(Dir()); }},
        {"add an index", [&] { AddIndex(Dir(), f.stem, index); }},
        {"write records", [&] { TableWriter::open(Dir(), f.stem); }},
        {"drop a link", [&] { DropLink(Dir(), f.stem, "reference"); }},
    };
    for (const auto& [change, run] : changes) {
        try {
            run();
            ADD_FAILURE() << change << " was not refused";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), f.code) << change << ": " << e.what();
            EXPECT_NE(e.detail().find(f.file), std::string::npos) << change << ": " << e.what();
            EXPECT_NE(e.detail().find(f.words), std::string::npos) << change << ": " << e.what();
        }
        EXPECT_TRUE(DirBytes(dir_.path()) == before) << change << " changed a file";
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CompanionFault, ::testing::ValuesIn(kFaults), [](const auto& info) {
    std::string n = info.param.what;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
});

// A table whose index names fields of other types is still read with its index where the names
// the index records lead to fields of its types; where they do not, the index is left out.
TEST(CompanionFaults, MismatchedIndexIsReadByTheNamesItRecords) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    CopyFamily("paradoxdriver/joins", "fk4", dir.path());
    Bytes x = ReadBytes(dir.path() / "fk4.XG0");
    NumberFirstIndexField3(x);
    WriteBytes(dir.path() / "fk4.XG0", x);
    const Schema schema = Table::open(dir.str(), "fk4").schema();

    TableCompanions c = ReadTableCompanions(dir.str(), "fk4", schema);
    ASSERT_EQ(c.indexes.size(), 2u);  // primary and "reference"
    EXPECT_EQ(fixedText(c.indexes[1].name), "reference");
    EXPECT_EQ(+c.indexes[1].keyFieldCount, 2);
    EXPECT_EQ(+c.indexes[1].keyFields[0], 2);  // FK1
    EXPECT_EQ(+c.indexes[1].keyFields[1], 4);  // FK
    EXPECT_NE(c.warnings.at(0).find("read by the names it records: FK1 (field 2), FK (field 4)"), std::string::npos);

    // The first index field renamed as well: nothing in the table fits it any more.
    const std::size_t at = std::string(x.begin(), x.end()).find("FK1");
    ASSERT_NE(at, std::string::npos);
    x[at + 2] = '9';
    WriteBytes(dir.path() / "fk4.XG0", x);
    c = ReadTableCompanions(dir.str(), "fk4", schema);
    EXPECT_EQ(c.indexes.size(), 1u);
    EXPECT_NE(c.warnings.at(0).find("fk4.XG0: left out"), std::string::npos) << c.warnings[0];
}

// The case that would tell positions from persistent IDs: fields moved (FK now carries ID 3)
// and an index whose header numbers its fields by those IDs. The warning says so.
TEST(CompanionFaults, WarningTellsWhenTheNumbersArePersistentIds) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    CopyFamily("paradoxdriver/joins", "fk4", dir.path());
    Bytes db = ReadBytes(dir.path() / "fk4.db");
    const std::size_t ids = 0x58 + Le16(db, 0x66);
    db[ids + 4] = 4;  // B1
    db[ids + 6] = 3;  // FK
    WriteBytes(dir.path() / "fk4.db", db);
    Bytes x = ReadBytes(dir.path() / "fk4.XG0");
    x[0x58 + Le16(x, 0x66) + 2] = 3;  // FK by its ID
    WriteBytes(dir.path() / "fk4.XG0", x);

    const TableCompanions c = ReadTableCompanions(dir.str(), "fk4", Table::open(dir.str(), "fk4").schema());
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_NE(c.warnings[0].find("its numbers are the persistent IDs of fields of those types"), std::string::npos) << c.warnings[0];
    EXPECT_EQ(+c.indexes.at(1).keyFields[1], 4);
}

}  // namespace
