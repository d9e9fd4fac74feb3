// Secondary index files built by the engine compared with the ones Paradox wrote for the same
// records (structure, key order, B-tree entries), and adding and deleting indexes on copies.
#include <gtest/gtest.h>

#include <algorithm>

#include "index_test_support.h"
#include "paradox/format/secondary_index_header.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/table.h"

using namespace paradox;
using namespace paradox_test;

namespace {

struct RebuildCase {
    const char* sub;
    const char* stem;
    const char* xFile;
    const char* yFile;
    bool compareRecords;  // false where Paradox's own index is stale (non-maintained)
};

class RebuildMatchesParadox : public ::testing::TestWithParam<RebuildCase> {};

TEST_P(RebuildMatchesParadox, SameStructureAndKeyOrder) {
    REQUIRE_FIXTURES();
    const RebuildCase& c = GetParam();
    ScratchDir dir;
    CopyFamily(c.sub, c.stem, dir.path());
    const auto xBefore = ReadBytes(dir.path() / c.xFile);
    const auto yBefore = ReadBytes(dir.path() / c.yFile);
    const auto descBefore = ReadIndexDescriptors(dir.str(), c.stem);

    RebuildSecondaryIndexes(dir.str(), c.stem);

    const auto xAfter = ReadBytes(dir.path() / c.xFile);
    const auto yAfter = ReadBytes(dir.path() / c.yFile);
    const IndexFileHeader a = ParseIndexFileHeader(std::vector<uint8_t>(xBefore.begin(), xBefore.end()));
    const IndexFileHeader b = ParseIndexFileHeader(std::vector<uint8_t>(xAfter.begin(), xAfter.end()));
    EXPECT_EQ(a.fileType, b.fileType);
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.keyFields, b.keyFields);
    EXPECT_EQ(a.firstIndexField, b.firstIndexField);
    EXPECT_EQ(a.flags, b.flags);
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (std::size_t i = 0; i < a.fields.size(); ++i) {
        EXPECT_EQ(a.fields[i].type, b.fields[i].type) << i;
        EXPECT_EQ(a.fields[i].sizeByte, b.fields[i].sizeByte) << i;
        EXPECT_EQ(a.fields[i].name, b.fields[i].name) << i;
    }
    EXPECT_EQ(a.fieldNumbers, b.fieldNumbers);
    EXPECT_EQ(a.sortOrderName, b.sortOrderName);
    EXPECT_EQ(a.indexName, b.indexName);
    EXPECT_EQ(Le16(xBefore, 0), Le16(xAfter, 0));  // record size
    EXPECT_EQ(Le16(xBefore, 0x64), Le16(xAfter, 0x64));  // next field ID
    EXPECT_EQ(yBefore[4], yAfter[4]);
    EXPECT_EQ(Le16(yBefore, 0), Le16(yAfter, 0));
    EXPECT_EQ(Le16(yBefore, 0x21), Le16(yAfter, 0x21));
    EXPECT_EQ(xAfter[0x2D], yAfter[0x2C]);  // the B-tree is in step with its data file
    if (c.compareRecords) {
        EXPECT_EQ(ChainRecords(xBefore), ChainRecords(xAfter));
        EXPECT_EQ(ChainRecords(yBefore), ChainRecords(yAfter));
    }

    // The engine reads the rebuilt index exactly as before.
    const auto descAfter = ReadIndexDescriptors(dir.str(), c.stem);
    ASSERT_EQ(descBefore.size(), descAfter.size());
    for (std::size_t i = 0; i < descBefore.size(); ++i)
        EXPECT_EQ(0, std::memcmp(&descBefore[i], &descAfter[i], sizeof(IndexDescriptor))) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RebuildMatchesParadox,
    ::testing::Values(RebuildCase{"paradoxdriver/joins", "C", "C.X02", "C.Y02", true},
                      RebuildCase{"paradoxdriver/joins", "C", "C.X03", "C.Y03", true},
                      RebuildCase{"paradoxdriver/db", "CUSTOMER", "CUSTOMER.X06", "CUSTOMER.Y06", true},
                      RebuildCase{"paradoxdriver/db", "AREACODES", "AREACODES.XG0", "AREACODES.YG0", true},
                      RebuildCase{"paradoxdriver/joins", "fk4", "fk4.XG0", "fk4.YG0", true},
                      RebuildCase{"paradoxdriver/joins", "fk1", "fk1.x02", "fk1.y02", true},
                      RebuildCase{"paradoxdriver/joins", "multiple", "multiple.X04", "multiple.Y04", true},
                      RebuildCase{"paradoxdriver/joins", "case", "case.x01", "case.y01", false},
                      RebuildCase{"paradoxdriver/joins", "indexed", "indexed.xg0", "indexed.yg0", false},
                      // Non-maintained indexes of a keyed table: a tuple number, not the key (.X0C
                      // is stale: its counter values are no longer the table's).
                      RebuildCase{"pxlib", "TypSammlung", "TypSammlung.X02", "TypSammlung.Y02", true},
                      RebuildCase{"pxlib", "TypSammlung", "TypSammlung.X0C", "TypSammlung.Y0C", false}),
    [](const auto& info) {
        std::string n = std::string(info.param.stem) + "_" + info.param.xFile;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

}  // namespace

// ---------------------------------------------------------------------------------------------
// Adding and deleting indexes on table copies.

#include "ops_test_support.h"
#include "paradox/change/index_ops.h"
#include "restructure_test_support.h"

namespace {

std::string Ext(const fs::path& dir, const std::string& ext) {
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        std::string x = n.substr(n.rfind('.') + 1);
        for (char& c : x) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (x == ext) return n;
    }
    return {};
}

struct AddCase {
    const char* label;
    IndexDescriptor desc;
    const char* ext;
    uint8_t fileType;
    uint8_t flags;
};

TEST(IndexOps, AddAndDeleteSecondaryIndexes) {
    REQUIRE_FIXTURES();
    const AddCase cases[] = {
        {"single", Index("", {3}), "X03", 5, 0x00},
        {"composite", Index("ByCustDate", {2, 3}), "XG0", 8, 0x00},
        {"case-insensitive", Index("ShipCI", {8}, true), "XG0", 8, 0x01},
        {"descending field", Index("Newest", {3}, false, false, {0}), "XG0", 8, 0x10},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        CopyFamily("paradoxdriver/db", "ORDERS", dir.path());
        const auto before = Lines(dir.str(), "ORDERS");
        AddIndex(dir.str(), "ORDERS", c.desc);
        const std::string x = Ext(dir.path(), c.ext);
        ASSERT_FALSE(x.empty());
        const auto xb = ReadBytes(dir.path() / x);
        EXPECT_EQ(xb[4], c.fileType);
        EXPECT_EQ(xb[0x55], c.flags);
        EXPECT_EQ(Le32(xb, 6), 224u);
        EXPECT_FALSE(Ext(dir.path(), std::string("Y") + (c.ext + 1)).empty());
        const auto descs = ReadIndexDescriptors(dir.str(), "ORDERS");
        ASSERT_EQ(descs.size(), 2u);
        EXPECT_EQ(+descs[1].keyFieldCount, +c.desc.keyFieldCount);
        EXPECT_EQ(+descs[1].caseInsensitive, +c.desc.caseInsensitive);
        EXPECT_EQ(Lines(dir.str(), "ORDERS"), before);  // the records are untouched
        // Adding it again is refused; deleting removes both files.
        EXPECT_THROW(AddIndex(dir.str(), "ORDERS", descs[1]), EngineError);
        DeleteIndex(dir.str(), "ORDERS", fixedText(descs[1].name));
        EXPECT_TRUE(Ext(dir.path(), c.ext).empty());
        EXPECT_EQ(ReadIndexDescriptors(dir.str(), "ORDERS").size(), 1u);
    }
}

TEST(IndexOps, KeyOrderOfANewIndex) {
    REQUIRE_FIXTURES();
    const struct {
        const char* what;
        IndexDescriptor desc;
        const char* file;
        bool descending;
    } cases[] = {
        {"ascending", Index("", {3}), "ORDERS.X03", false},
        {"descending", Index("Newest", {3}, false, false, {0}), "ORDERS.XG0", true},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        CopyFamily("paradoxdriver/db", "ORDERS", dir.path());
        AddIndex(dir.str(), "ORDERS", c.desc);
        // The index records carry the date field first: they must be in its byte order.
        const auto recs = ChainRecords(ReadBytes(dir.path() / c.file));
        ASSERT_EQ(recs.size(), 224u) << c.what;
        for (std::size_t i = 1; i < recs.size(); ++i) {
            const std::string a = recs[i - 1].substr(0, 8), b = recs[i].substr(0, 8);
            EXPECT_TRUE(c.descending ? a >= b : a <= b) << c.what << " " << i;
        }
    }
}

TEST(IndexOps, RefusedIndexesChangeNothing) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    CopyFamily("paradoxdriver/db", "ORDERS", dir.path());
    struct Bad {
        IndexDescriptor d;
        int code;
    } bad[] = {
        {Index("Dup", {2}, false, true), 9729},      // CustNo repeats: no unique index
        {Index("NoField", {40}), 10023},
        {Index("", {2, 3}), 10022},                  // a composite index needs a name
        {Index("", {}), 10023},
    };
    IndexDescriptor primary = Index("", {1});
    primary.primary = 1;
    for (const Bad& b : bad) {
        try {
            AddIndex(dir.str(), "ORDERS", b.d);
            ADD_FAILURE() << "accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), b.code);
        }
    }
    EXPECT_THROW(AddIndex(dir.str(), "ORDERS", primary), EngineError);  // already keyed
    EXPECT_THROW(DeleteIndex(dir.str(), "ORDERS", "nothing"), EngineError);
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) files += e.path().filename().string()[0] != '.';
    EXPECT_EQ(files, 2u);  // ORDERS.DB and ORDERS.PX, no leftovers
}

TEST(IndexOps, PrimaryKeysCompareWhateverFollowsAnAlphaValue) {
    ScratchDir dir;
    MakeTable(dir.str(), "codes", {{"Code", FLDZSTRING, 8}, {"No", FLDINT16}}, 0);
    Insert(dir.str(), "codes", {{Value::text("ab"), Value::integer(1)}, {Value::text("ab"), Value::integer(2)}});
    LeaveByteAfterText(dir.path() / "codes.DB", "ab");  // the first "ab" only
    IndexDescriptor primary = Index("", {1});
    primary.primary = 1;
    const AddIndexResult r = AddIndex(dir.str(), "codes", primary);
    EXPECT_EQ(r.keyViolations, 1u);
    EXPECT_EQ(Lines(dir.str(), "codes"), (std::vector<std::string>{"ab|1|"}));
}

TEST(IndexOps, AnAuxiliaryPasswordWithoutFullRightsChangesNoIndex) {
    ScratchDir dir;
    MakeTable(dir.str(), "people", {{"Name", FLDZSTRING, 10}, {"Age", FLDINT16}}, 0);
    Insert(dir.str(), "people", {{Value::text("Ann"), Value::integer(30)}});
    Request::NoFields("people").password("master").run(dir.str());
    Request::NoFields("people").password("master").security(AuxPassword("writer", rights::kInsertDelete, {rights::kFieldFull, rights::kFieldFull}), CRADD).run(dir.str(), nullptr, {"master"});
    const OpenOptions writer{{"writer"}, {}};
    IndexDescriptor primary = Index("", {1});
    primary.primary = 1;
    const auto before = DirBytes(dir.path());
    for (const IndexDescriptor& d : {primary, Index("ByAge", {2})}) {
        try {
            AddIndex(dir.str(), "people", d, writer);
            ADD_FAILURE() << fixedText(d.name);
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), 10498) << e.what();
        }
    }
    EXPECT_EQ(DirBytes(dir.path()), before);
    AddIndex(dir.str(), "people", Index("ByAge", {2}), OpenOptions{{"master"}, {}});
    EXPECT_THROW(DeleteIndex(dir.str(), "people", "ByAge", writer), EngineError);
}

TEST(IndexOps, PrimaryIndexSortsAndSetsDuplicatesAside) {
    ScratchDir dir;
    MakeTable(dir.str(), "people", {{"Name", FLDZSTRING, 10}, {"Age", FLDINT16}}, 0);
    Insert(dir.str(), "people",
           {{Value::text("Zoe"), Value::integer(30)}, {Value::text("Adam"), Value::integer(41)},
            {Value::text("Mia"), Value::integer(7)}, {Value::text("Adam"), Value::integer(12)}});
    AddIndex(dir.str(), "people", Index("", {1}));  // unique secondary? no: plain
    DeleteIndex(dir.str(), "people", "Name");
    IndexDescriptor pk = Index("", {1});
    pk.primary = pk.unique = 1;
    const AddIndexResult r = AddIndex(dir.str(), "people", pk);
    EXPECT_EQ(r.keyViolations, 1u);
    EXPECT_EQ(r.keyViolTable, "KEYVIOL");
    EXPECT_EQ(Lines(dir.str(), "people"),
              (std::vector<std::string>{"Adam|41|", "Mia|7|", "Zoe|30|"}));
    EXPECT_EQ(Lines(dir.str(), "KEYVIOL"), (std::vector<std::string>{"Adam|12|"}));
    EXPECT_EQ(Table::open(dir.str(), "people").properties().keyFields, 1);
    EXPECT_EQ(PxlibRecordCount((dir.path() / "people.DB").string()), 3);
    // A second run with duplicates picks the next free key-violation name.
    EXPECT_EQ(FreeKeyViolName(dir.str()), "KEYVIOL1");
}

TEST(IndexOps, PrimaryIndexOnAFixtureCopyKeepsEveryRecord) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    CopyFamily("paradoxdriver/db", "CONTACTS", dir.path());
    const auto before = Lines(dir.str(), "CONTACTS");
    IndexDescriptor pk = Index("", {1, 2});
    pk.primary = pk.unique = 1;
    const AddIndexResult r = AddIndex(dir.str(), "CONTACTS", pk);
    auto after = Lines(dir.str(), "CONTACTS");
    EXPECT_TRUE(std::is_sorted(after.begin(), after.end()) || r.keyViolations == 0);
    if (r.keyViolations) {
        const auto kv = Lines(dir.str(), r.keyViolTable);
        after.insert(after.end(), kv.begin(), kv.end());
    }
    EXPECT_EQ(Sorted(after), Sorted(before));
    EXPECT_EQ(PxlibRecordCount((dir.path() / "CONTACTS.DB").string()), long(before.size() - r.keyViolations));
}

TEST(IndexOps, DroppingThePrimaryIndexKeepsRecordsAndIndexes) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    CopyFamily("paradoxdriver/db", "CUSTOMER", dir.path());
    const auto before = Lines(dir.str(), "CUSTOMER");
    DeleteIndex(dir.str(), "CUSTOMER", "");
    EXPECT_EQ(Lines(dir.str(), "CUSTOMER"), before);
    EXPECT_FALSE(fs::exists(dir.path() / "CUSTOMER.PX"));
    const auto x = ReadBytes(dir.path() / "CUSTOMER.X06");
    EXPECT_EQ(x[4], 3);  // non-maintained now: an unkeyed table cannot keep it up to date
    const auto descs = ReadIndexDescriptors(dir.str(), "CUSTOMER");
    ASSERT_EQ(descs.size(), 1u);
    EXPECT_EQ(fixedText(descs[0].name), "City");
    EXPECT_EQ(Le32(x, 6), 20u);
    EXPECT_EQ(PxlibRecordCount((dir.path() / "CUSTOMER.DB").string()), 20);
}

}  // namespace

namespace {

TEST(IndexOps, WritersKeepSecondaryIndexesInStep) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    CopyFamily("paradoxdriver/db", "CUSTOMER", dir.path());
    auto w = TableWriter::open(dir.str(), "CUSTOMER");
    std::vector<Value> row(w.schema().fields.size());
    row[0] = Value::number(9999);
    row[1] = Value::text("Aachen Traders");
    row[5] = Value::text("Aachen");
    w.insert(row);
    w.commit();
    const auto x = ReadBytes(dir.path() / "CUSTOMER.X06");
    const auto recs = ChainRecords(x);
    ASSERT_EQ(recs.size(), 21u);
    EXPECT_EQ(recs[0].substr(0, 12), "41616368656e");  // "Aachen" sorts first
    // What the writer left equals a fresh rebuild.
    RebuildSecondaryIndexes(dir.str(), "CUSTOMER");
    EXPECT_EQ(ChainRecords(ReadBytes(dir.path() / "CUSTOMER.X06")), recs);
}

}  // namespace
