// Restructure of every real fixture table (in copies): a field is added and dropped again and
// every record is compared value by value with the original, pxlib reads the restructured
// table, and secondary indexes follow their field to its new number.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include "paradox/change/index_ops.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/table_companions.h"
#include "ops_test_support.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

const std::vector<std::string> kPasswords = {"123", "rparadox"};

struct FixtureTable {
    fs::path folder;  // relative to the fixtures folder
    std::string stem;
};

std::vector<FixtureTable> AllFixtureTables() {
    std::vector<FixtureTable> out;
    if (!fs::exists(FixturesDir())) return out;
    for (const auto& e : fs::recursive_directory_iterator(FixturesDir())) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name.size() < 4) continue;
        const std::string ext = name.substr(name.size() - 3);
        if (ext != ".db" && ext != ".DB" && ext != ".Db") continue;
        out.push_back({fs::relative(e.path().parent_path(), FixturesDir()), name.substr(0, name.size() - 3)});
    }
    return out;
}

void QuietErrors(pxdoc_t*, int, const char*, void*) {}

// The candidate password that opens a protected table (it is given again to keep it).
std::string MatchingPassword(const std::string& dir, const std::string& stem) {
    for (const std::string& p : kPasswords) {
        try {
            Table::open(dir, stem, {{p}, {}});
            return p;
        } catch (const EngineError&) {
        }
    }
    return "";
}

// Records and fields pxlib sees in a .DB (blobs are not read: the packaged pxlib fails on .MB files).
std::pair<int, int> PxlibCounts(const std::string& path) {
    pxdoc_t* doc = PX_new3(QuietErrors, nullptr, nullptr, nullptr, nullptr);
    std::pair<int, int> out{-1, -1};
    if (PX_open_file(doc, path.c_str()) == 0) {
        out = {PX_get_num_records(doc), PX_get_num_fields(doc)};
        std::vector<char> rec(static_cast<std::size_t>(PX_get_recordsize(doc)));
        for (int r = 0; r < out.first; ++r)
            if (!PX_get_record(doc, r, rec.data())) out.first = -2;
        PX_close(doc);
    }
    PX_delete(doc);
    return out;
}

// The .VAL of a table: its version byte and what it holds; version 0 when there is none.
struct ValState {
    uint8_t version = 0;
    std::vector<ValidityCheckDescriptor> checks;
    std::vector<RILinkDescriptor> links;
};

ValState ValStateOf(const std::string& dir, const std::string& stem) {
    ValState s;
    if (const auto path = FindTableFile(dir, stem, "VAL")) s.version = ReadBytes(*path).at(1);
    if (const auto val = ReadValFile(dir, stem)) {
        s.checks = val->checks;
        s.links = val->links;
    }
    return s;
}

bool SameVal(const ValState& a, const ValState& b) {
    const auto same = [](const auto& x, const auto& y) {
        return x.size() == y.size() &&
               std::equal(x.begin(), x.end(), y.begin(), [](const auto& p, const auto& q) { return std::memcmp(&p, &q, sizeof p) == 0; });
    };
    return a.version == b.version && same(a.checks, b.checks) && same(a.links, b.links);
}

// One case per fixture table, so that ctest runs them side by side (they wait on fsync).
class RestructureFixture : public ::testing::TestWithParam<FixtureTable> {};

TEST_P(RestructureFixture, AddAndDropAFieldKeepsEveryRecord) {
    const FixtureTable& t = GetParam();
    {
        ScratchDir d;
        CopyFamily(t.folder.string(), t.stem, d.path());
        const std::string what = (t.folder / t.stem).string();
        const Table table = Table::open(d.str(), t.stem, {kPasswords, {}});
        // Paradox wrote every companion file of the fixtures: none may be refused.
        EXPECT_NO_THROW(RequireUnderstoodCompanions(d.str(), t.stem, table.schema())) << what;
        const ValState val = ValStateOf(d.str(), t.stem);
        const std::string pw = table.properties().isProtected ? MatchingPassword(d.str(), t.stem) : "";
        std::vector<std::vector<Value>> before;
        try {
            before = ReadAll(d.str(), t.stem, kPasswords);
        } catch (const EngineError& e) {
            // Blobs in a .MB the table lacks: a restructure, which copies them, must refuse.
            ASSERT_EQ(e.code(), err::kBlobFileMissing) << what << ": " << e.what();
            const auto files = DirBytes(d.path());
            try {
                Request(d.str(), t.stem, kPasswords).add("VtAdded", FLDZSTRING, 0, 5).run(d.str(), nullptr, kPasswords);
                ADD_FAILURE() << what << ": restructured without its blobs";
            } catch (const EngineError& refused) {
                EXPECT_EQ(refused.code(), err::kBlobFileMissing) << what << ": " << refused.what();
            }
            EXPECT_TRUE(DirBytes(d.path()) == files) << what;
            return;
        }
        const std::size_t fields = table.schema().fields.size();
        if (fields >= 255) GTEST_SKIP() << what << ": no room for another field";
        try {
            Request(d.str(), t.stem, kPasswords).add("VtAdded", FLDZSTRING, 0, 5).password(pw).run(d.str(), nullptr, kPasswords);
        } catch (const EngineError& e) {
            // A table whose field list leaves no room for one more field in its blocks.
            EXPECT_EQ(e.code(), err::kRecTooBig) << what << ": " << e.what();
            return;
        }
        EXPECT_TRUE(SameVal(ValStateOf(d.str(), t.stem), val)) << what << ": .VAL changed by adding a field";
        const auto added = ReadAll(d.str(), t.stem, kPasswords);
        ASSERT_EQ(added.size(), before.size()) << what;
        bool same = true;
        for (std::size_t i = 0; i < before.size(); ++i) {
            std::vector<Value> expect = before[i];
            expect.push_back(Value::null());
            same = same && added[i] == expect;
        }
        EXPECT_TRUE(same) << what << ": values changed by adding a field";
        const auto px = PxlibCounts(*FindTableFile(d.str(), t.stem, "DB"));
        EXPECT_EQ(px.first, static_cast<int>(before.size())) << what << ": pxlib reading the result";
        EXPECT_EQ(px.second, static_cast<int>(fields + 1)) << what;

        Request(d.str(), t.stem, kPasswords).drop("VtAdded").password(pw).run(d.str(), nullptr, kPasswords);
        EXPECT_TRUE(ReadAll(d.str(), t.stem, kPasswords) == before) << what << ": values changed by the round trip";
        EXPECT_TRUE(SameVal(ValStateOf(d.str(), t.stem), val)) << what << ": .VAL changed by the round trip";
    }
}

std::string CaseName(const ::testing::TestParamInfo<FixtureTable>& info) {
    std::string n = (info.param.folder / info.param.stem).string();
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(AllTables, RestructureFixture, ::testing::ValuesIn(AllFixtureTables()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RestructureFixture);

TEST(RestructureFixtures, SecondaryIndexFollowsItsField) {
    REQUIRE_FIXTURES();
    ScratchDir d;
    CopyFamily("paradoxdriver/joins", "case", d.path());
    const auto before = ReadAll(d.str(), "case");
    // A new first field moves the indexed field from number 1 to 2: case.x01 becomes case.x02.
    Request(d.str(), "case").add("First", FLDINT16).move("First", 1).run(d.str());
    EXPECT_FALSE(FindTableFile(d.str(), "case", "X01"));
    EXPECT_FALSE(FindTableFile(d.str(), "case", "Y01"));
    ASSERT_TRUE(FindTableFile(d.str(), "case", "X02"));
    EXPECT_TRUE(FindTableFile(d.str(), "case", "Y02"));
    const auto defs = ReadSecondaryIndexDefs(d.str(), "case");
    ASSERT_EQ(defs.size(), 1u);
    EXPECT_EQ(+defs[0].desc.keyFields[0], 2);
    std::vector<std::vector<Value>> expect;
    for (const auto& r : before) {
        std::vector<Value> n = {Value::null()};
        n.insert(n.end(), r.begin(), r.end());
        expect.push_back(n);
    }
    EXPECT_TRUE(ReadAll(d.str(), "case") == expect);
    // Dropping the indexed field drops its index.
    Request(d.str(), "case").drop(FieldNames(d.str(), "case")[1]).run(d.str());
    EXPECT_TRUE(ReadSecondaryIndexDefs(d.str(), "case").empty());
    EXPECT_FALSE(FindTableFile(d.str(), "case", "X02"));
}

TEST(RestructureFixtures, EveryKindOfChangeRoundTripsOnARealTable) {
    REQUIRE_FIXTURES();
    ScratchDir d;
    CopyFamily("paradoxdriver/db", "CUSTOMER", d.path());
    const auto original = ReadAll(d.str(), "CUSTOMER");
    const std::string db = *FindTableFile(d.str(), "CUSTOMER", "DB");
    const auto intact = [&](const std::string& step, const std::vector<std::string>& passwords = {}) {
        EXPECT_TRUE(ReadAll(d.str(), "CUSTOMER", passwords) == original) << step;
        if (passwords.empty()) {
            EXPECT_EQ(PxlibCounts(db).first, static_cast<int>(original.size())) << step;
        }
    };

    // Fields moved and back, widened and narrowed back.
    Request(d.str(), "CUSTOMER").move("City", 2).run(d.str());
    EXPECT_EQ(FieldNames(d.str(), "CUSTOMER")[1], "City");
    Request(d.str(), "CUSTOMER").move("City", 6).run(d.str());
    intact("move");
    Request(d.str(), "CUSTOMER").change("LastName", FLDZSTRING, 0, 80).run(d.str());
    Request(d.str(), "CUSTOMER").change("LastName", FLDZSTRING, 0, 50).run(d.str());
    intact("change");

    // Secondary indexes of every kind, added and deleted; the primary index deleted and added.
    IndexDescriptor descending = Index("ByDateDown", {10}, false, false, {0});
    IndexDescriptor unmaintained = Index("Loose", {5, 6});
    unmaintained.maintained = 0;
    const IndexDescriptor kinds[] = {Index("ByName", {3, 2}), Index("NoCase", {3}, true), descending, Index("UniqueNo", {1, 3}, false, true),
                                     unmaintained};
    for (const IndexDescriptor& x : kinds) AddIndex(d.str(), "CUSTOMER", x);
    EXPECT_EQ(ReadIndexDescriptors(d.str(), "CUSTOMER").size(), 7u);
    intact("indexes added");
    for (const char* name : {"ByName", "NoCase", "ByDateDown", "UniqueNo", "Loose"}) DeleteIndex(d.str(), "CUSTOMER", name);
    EXPECT_EQ(ReadIndexDescriptors(d.str(), "CUSTOMER").size(), 2u);
    DeleteIndex(d.str(), "CUSTOMER", "");
    IndexDescriptor primary = Index("", {1});
    primary.primary = primary.unique = 1;
    AddIndex(d.str(), "CUSTOMER", primary);
    intact("indexes deleted");

    // A validity check added and dropped.
    ValidityCheckDescriptor check{};
    check.fieldNumber = 6;
    check.required = 1;
    std::strcpy(check.picture, "*@");
    Request(d.str(), "CUSTOMER").check(check, CRADD).run(d.str());
    ASSERT_TRUE(ReadValFile(d.str(), "CUSTOMER"));
    EXPECT_EQ(std::string(ReadValFile(d.str(), "CUSTOMER")->checks.at(0).picture), "*@");
    Request(d.str(), "CUSTOMER").check(check, CRDROP).run(d.str());
    const auto val = ReadValFile(d.str(), "CUSTOMER");
    EXPECT_TRUE(!val || val->checks.empty());
    intact("check");

    // The master password set, changed and removed.
    Request::NoFields("CUSTOMER").password("secret").run(d.str());
    intact("password set", {"secret"});
    Request::NoFields("CUSTOMER").password("other").run(d.str(), nullptr, {"secret"});
    EXPECT_THROW(ReadAll(d.str(), "CUSTOMER", {"secret"}), EngineError);
    intact("password changed", {"other"});
    Request::NoFields("CUSTOMER").run(d.str(), nullptr, {"other"});
    intact("password removed");
}

}  // namespace
