// Batch move between tables (the source in another directory): each mode's result on a small
// keyed destination, mapping lines, and aborts that leave the destination byte for byte as it
// was; a copy replaces the destination with the source's structure and records.
#include <gtest/gtest.h>

#include <map>

#include <fstream>

#include "ops_test_support.h"
#include "paradox/change/batch_move.h"
#include "paradox/change/index_ops.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/secondary_index.h"

using namespace paradox;
using namespace paradox_test;

namespace {

class BatchMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(src.path() / "other");
        MakeTable(dst.str(), "items", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 1);
        Insert(dst.str(), "items",
               {{Value::integer(1), Value::text("bolt"), Value::integer(10)},
                {Value::integer(2), Value::text("nut"), Value::integer(20)}});
        MakeTable(src.str(), "incoming", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 1);
        Insert(src.str(), "incoming",
               {{Value::integer(2), Value::text("nut2"), Value::integer(21)},
                {Value::integer(3), Value::text("gear"), Value::integer(30)}});
    }
    BatchMoveRequest Request(BatchMode mode) {
        BatchMoveRequest r;
        r.sourceDir = src.str();
        r.sourceTable = "incoming";
        r.destDir = dst.str();
        r.destTable = "items";
        r.mode = mode;
        return r;
    }
    std::vector<unsigned char> Family() {
        std::vector<unsigned char> all;
        for (const char* f : {"items.DB", "items.PX"}) {
            const auto b = ReadBytes(dst.path() / f);
            all.insert(all.end(), b.begin(), b.end());
        }
        return all;
    }
    ScratchDir dst, src;
};

TEST_F(BatchMoveTest, ModesGiveTheirResults) {
    struct Case {
        BatchMode mode;
        uint32_t moved;
        std::vector<std::string> lines;
    } cases[] = {
        {BatchMode::Update, 1, {"1|bolt|10|", "2|nut2|21|"}},
        {BatchMode::AppendUpdate, 2, {"1|bolt|10|", "2|nut2|21|", "3|gear|30|"}},
        {BatchMode::Delete, 1, {"1|bolt|10|"}},
        {BatchMode::Copy, 2, {"2|nut2|21|", "3|gear|30|"}},
    };
    const auto original = Family();
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        WriteBytes(dst.path() / "items.DB", std::vector<unsigned char>(original.begin(), original.begin() + long(fs::file_size(dst.path() / "items.DB"))));
        const BatchMoveResult r = BatchMove(Request(c.mode));
        EXPECT_EQ(r.moved, c.moved);
        EXPECT_EQ(Lines(dst.str(), "items"), c.lines);
        EXPECT_EQ(PxlibRecordCount((dst.path() / "items.DB").string()), long(c.lines.size()));
        // Restore the destination for the next case.
        fs::remove_all(dst.path());
        fs::create_directories(dst.path());
        MakeTable(dst.str(), "items", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 1);
        Insert(dst.str(), "items",
               {{Value::integer(1), Value::text("bolt"), Value::integer(10)},
                {Value::integer(2), Value::text("nut"), Value::integer(20)}});
    }
}

TEST_F(BatchMoveTest, AppendAbortsOnAKeyViolationAndChangesNothing) {
    const auto before = Family();
    try {
        BatchMove(Request(BatchMode::Append));
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), err::kKeyViol);
    }
    EXPECT_EQ(Family(), before);
    // Without the abort the duplicate goes to a key-violation table and the rest is appended.
    BatchMoveRequest r = Request(BatchMode::Append);
    r.abortOnKeyViolation = false;
    const BatchMoveResult res = BatchMove(r);
    EXPECT_EQ(res.moved, 1u);
    EXPECT_EQ(res.keyViolations, 1u);
    EXPECT_EQ(Lines(dst.str(), "items"), (std::vector<std::string>{"1|bolt|10|", "2|nut|20|", "3|gear|30|"}));
    EXPECT_EQ(Lines(dst.str(), res.keyViolTable), (std::vector<std::string>{"2|nut2|21|"}));
}

TEST_F(BatchMoveTest, MappingLinesPairFieldsByName) {
    MakeTable(src.str(), "renamed", {{"Code", FLDINT32}, {"Count", FLDINT32}, {"Title", FLDZSTRING, 8}}, 0);
    Insert(src.str(), "renamed", {{Value::integer(7), Value::integer(70), Value::text("washer")}});
    BatchMoveRequest r = Request(BatchMode::Append);
    r.sourceTable = "renamed";
    const std::string mapFile = (src.path() / "map.txt").string();
    std::ofstream(mapFile) << "Id=Code\r\n\nName = Title\nQty=Count\n";
    r.mappings = ReadMappingFile(mapFile);
    EXPECT_EQ(BatchMove(r).moved, 1u);
    EXPECT_EQ(Lines(dst.str(), "items").back(), "7|washer|70|");
    EXPECT_THROW(ReadMappingFile((src.path() / "missing.txt").string()), EngineError);
    r.mappings = {"Id=Nothing"};
    EXPECT_THROW(BatchMove(r), EngineError);
}

TEST_F(BatchMoveTest, ValuesThatDoNotFitAbort) {
    MakeTable(src.str(), "big", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 30}, {"Qty", FLDINT32}}, 0);
    Insert(src.str(), "big", {{Value::integer(9), Value::text("far too long a name"), Value::integer(1)}});
    BatchMoveRequest r = Request(BatchMode::Append);
    r.sourceTable = "big";
    const auto before = Family();
    EXPECT_THROW(BatchMove(r), EngineError);
    EXPECT_EQ(Family(), before);
    r.abortOnProblem = false;
    EXPECT_EQ(BatchMove(r).problems, 1u);
    EXPECT_EQ(Lines(dst.str(), "items").size(), 2u);
}

TEST_F(BatchMoveTest, IndexesFollowTheMovedRecords) {
    AddIndex(dst.str(), "items", Index("", {2}));
    BatchMoveRequest r = Request(BatchMode::AppendUpdate);
    BatchMove(r);
    const auto x = ReadBytes(dst.path() / "items.X02");
    EXPECT_EQ(x[6], 3);  // three index entries for three records
    EXPECT_EQ(ReadIndexDescriptors(dst.str(), "items").size(), 2u);
}

TEST_F(BatchMoveTest, UpdateNeedsAKeyedDestination) {
    MakeTable(dst.str(), "loose", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 0);
    BatchMoveRequest r = Request(BatchMode::Update);
    r.destTable = "loose";
    EXPECT_THROW(BatchMove(r), EngineError);
    r.mode = BatchMode::Append;
    EXPECT_EQ(BatchMove(r).moved, 2u);
    EXPECT_EQ(Lines(dst.str(), "loose").size(), 2u);
}

// Many records, repeated source keys: each mode against a plain model of its rules (a source
// record meets the destination as the earlier source records left it).
TEST(BatchMove, KeysMatchWhateverFollowsAnAlphaValue) {
    // The destination's key "bolt" carries a stray byte after its NUL: it is still "bolt".
    ScratchDir dir;
    for (const char* t : {"names", "incoming"}) MakeTable(dir.str(), t, {{"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 1);
    Insert(dir.str(), "names", {{Value::text("bolt"), Value::integer(1)}, {Value::text("nut"), Value::integer(2)}});
    Insert(dir.str(), "incoming", {{Value::text("bolt"), Value::integer(5)}});
    LeaveByteAfterText(dir.path() / "names.DB", "bolt");
    BatchMoveRequest r;
    r.sourceDir = r.destDir = dir.str();
    r.sourceTable = "incoming";
    r.destTable = "names";
    r.mode = BatchMode::Append;
    EXPECT_THROW(BatchMove(r), EngineError);  // bolt is there already
    r.mode = BatchMode::AppendUpdate;
    EXPECT_EQ(BatchMove(r).moved, 1u);
    EXPECT_EQ(Lines(dir.str(), "names"), (std::vector<std::string>{"bolt|5|", "nut|2|"}));
    LeaveByteAfterText(dir.path() / "names.DB", "bolt");
    r.mode = BatchMode::Delete;
    EXPECT_EQ(BatchMove(r).moved, 1u);
    EXPECT_EQ(Lines(dir.str(), "names"), (std::vector<std::string>{"nut|2|"}));
}

TEST(BatchMoveModel, RepeatedSourceKeysFollowTheRules) {
    struct Rec {
        int id, qty;
    };
    uint32_t seed = 99;
    auto rnd = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % uint32_t(n));
    };
    std::map<int, int> dest;
    while (dest.size() < 300) dest[rnd(600)] = rnd(1000);
    std::vector<Rec> source;
    for (int i = 0; i < 400; ++i) source.push_back({rnd(600), 1000 + i});
    auto line = [](int id, int qty) { return std::to_string(id) + "|n" + std::to_string(id) + "|" + std::to_string(qty) + "|"; };

    for (BatchMode mode : {BatchMode::Append, BatchMode::Update, BatchMode::AppendUpdate, BatchMode::Delete}) {
        SCOPED_TRACE(int(mode));
        ScratchDir d;
        MakeTable(d.str(), "items", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 1);
        std::vector<std::vector<Value>> rows;
        for (auto [id, qty] : dest) rows.push_back({Value::integer(id), Value::text("n" + std::to_string(id)), Value::integer(qty)});
        Insert(d.str(), "items", rows);
        MakeTable(d.str(), "incoming", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 8}, {"Qty", FLDINT16}}, 0);
        rows.clear();
        for (const Rec& r : source) rows.push_back({Value::integer(r.id), Value::text("n" + std::to_string(r.id)), Value::integer(r.qty)});
        Insert(d.str(), "incoming", rows);

        std::map<int, int> model = dest;
        uint32_t moved = 0;
        std::vector<std::string> violations;
        for (const Rec& r : source) {
            const bool found = model.count(r.id) > 0;
            if (mode == BatchMode::Append && found) {
                violations.push_back(line(r.id, r.qty));
                continue;
            }
            if (mode == BatchMode::Update && !found) continue;
            if (mode == BatchMode::Delete) {
                if (found) model.erase(r.id);
                moved += found ? 1 : 0;
                continue;
            }
            model[r.id] = r.qty;
            ++moved;
        }
        BatchMoveRequest rq;
        rq.sourceDir = rq.destDir = d.str();
        rq.sourceTable = "incoming";
        rq.destTable = "items";
        rq.mode = mode;
        rq.abortOnKeyViolation = false;
        const BatchMoveResult res = BatchMove(rq);
        EXPECT_EQ(res.moved, moved);
        EXPECT_EQ(res.keyViolations, violations.size());
        std::vector<std::string> expected;
        for (auto [id, qty] : model) expected.push_back(line(id, qty));
        EXPECT_EQ(Lines(d.str(), "items"), expected);
        if (!violations.empty()) {
            EXPECT_EQ(Lines(d.str(), res.keyViolTable), violations);
        }
    }
}

}  // namespace
