// The damage corpus: one row per kind of damage, applied on its own to a table the test writes
// or to a copy of a fixture table. For each, verify must name the damage (table, file, code,
// place); repair must leave a table that verifies clean, that pxlib reads, and that holds every
// recoverable record (the rest in the problems table), or, for a header it cannot read, leave
// the files untouched. Untouched fixtures must verify without errors beyond their known faults.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "damage_tables.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/verify/repair.h"
#include "paradox/verify/verify_tables.h"

namespace paradox_test {
namespace {

using paradox::GetLE16;
using paradox::GetLE32;
using paradox::PutLE16;
using paradox::PutLE32;
using paradox::verify::Finding;
using paradox::verify::Severity;

struct Place {
    int64_t block = -1;   // expected block of the finding, -1: any
    int64_t record = -1;  // expected record, -1: any
};

// Every file of dir with its bytes (the engine's lock marker aside).
std::map<std::string, std::vector<unsigned char>> DirBytesOf(const fs::path& dir) {
    std::map<std::string, std::vector<unsigned char>> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file() && e.path().filename() != ".vortab-locks") out[e.path().filename().string()] = ReadBytes(e.path());
    return out;
}

fs::path Member(const fs::path& dir, const std::string& table, const std::string& ext) {
    return *paradox::FindTableFile(dir.string(), table, ext);
}

// Data block after block `first` along the chain of a .DB.
uint16_t SecondBlock(const std::vector<unsigned char>& b) {
    const FileGeometry g = GeometryOf(b);
    return GetLE16(b.data() + g.blockAt(GetLE16(b.data() + 0x0E)));
}

Place BreakChainLink(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    const uint16_t second = SecondBlock(b);
    PutLE16(b.data() + GeometryOf(b).blockAt(second), 0);
    WriteBytes(Member(dir, t, "DB"), b);
    return {second, -1};
}

Place ListBlockTwice(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    const uint16_t second = SecondBlock(b);
    const uint16_t third = GetLE16(b.data() + GeometryOf(b).blockAt(second));
    PutLE16(b.data() + GeometryOf(b).blockAt(third), second);
    WriteBytes(Member(dir, t, "DB"), b);
    return {third, -1};
}

Place ChangeCount(const fs::path& dir, const std::string& t, int delta) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    PutLE32(b.data() + 6, uint32_t(int64_t(GetLE32(b.data() + 6)) + delta));
    WriteBytes(Member(dir, t, "DB"), b);
    return {delta < 0 ? int64_t(GetLE16(b.data() + 0x10)) : -1, -1};
}

// Two records written into the free slots of the last block, its used size grown, the header
// count left: what a write cut short between the block and the header leaves.
Place LeaveUncountedRecords(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    const FileGeometry g = GeometryOf(b);
    const uint16_t last = GetLE16(b.data() + 0x10);
    unsigned char* block = b.data() + g.blockAt(last);
    const int16_t used = int16_t(GetLE16(block + 4));
    const std::size_t n = std::size_t(used / g.recordSize) + 1;
    for (int k = 0; k < 2; ++k) {
        unsigned char* rec = block + 6 + (n + k) * g.recordSize;
        std::memcpy(rec, block + 6 + (n - 1) * g.recordSize, g.recordSize);
        const std::string key = OrderKey(kOrders + 1 + k);
        std::memset(rec, 0, 120);
        std::memcpy(rec, key.data(), key.size());
        std::memset(rec + 140, 0, 20);  // NOTE blank: no blob shared with the copied record
    }
    PutLE16(block + 4, uint16_t(used + 2 * g.recordSize));
    WriteBytes(Member(dir, t, "DB"), b);
    return {last, kOrders + 1};
}

Place SwapPrimaryIndexBlocks(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "PX"));
    const FileGeometry g = GeometryOf(b);
    EXPECT_GE(g.fileBlocks, 3) << "the .PX needs two leaf blocks";
    std::swap_ranges(b.begin() + std::ptrdiff_t(g.blockAt(1)), b.begin() + std::ptrdiff_t(g.blockAt(2)),
                     b.begin() + std::ptrdiff_t(g.blockAt(2)));
    WriteBytes(Member(dir, t, "PX"), b);
    return {};
}

Place DropIndexEntry(const fs::path& dir, const std::string& t) {
    DropLastIndexEntry(Member(dir, t, "X02").string());
    return {};
}

// A free block appended to the .MB, and record 10's memo pointed into it.
Place PointBlobIntoFreeBlock(const fs::path& dir, const std::string& t) {
    auto mb = ReadBytes(Member(dir, t, "MB"));
    const uint32_t offset = uint32_t(mb.size());
    std::vector<unsigned char> free(4096, 0);
    free[0] = 4;
    free[1] = 1;
    mb.insert(mb.end(), free.begin(), free.end());
    WriteBytes(Member(dir, t, "MB"), mb);
    auto db = ReadBytes(Member(dir, t, "DB"));
    unsigned char* ref = db.data() + RecordAt(db, 10) + 140 + 10;
    PutLE32(ref, offset | (GetLE32(ref) & 0xFF));
    WriteBytes(Member(dir, t, "DB"), db);
    return {-1, 10};
}

Place StaleVal(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "VAL"));
    b[0] ^= 0x55;
    WriteBytes(Member(dir, t, "VAL"), b);
    return {};
}

// The file cut inside the last block, after its fourth record and part of the fifth.
Place Truncate(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    const FileGeometry g = GeometryOf(b);
    const uint16_t last = GetLE16(b.data() + 0x10);
    b.resize(g.blockAt(last) + 6 + 4 * g.recordSize + 10);
    WriteBytes(Member(dir, t, "DB"), b);
    return {last, -1};
}

Place UnknownVersion(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    b[0x39] = 0x2A;
    WriteBytes(Member(dir, t, "DB"), b);
    return {};
}

Place RepeatKey(const fs::path& dir, const std::string& t) {
    auto b = ReadBytes(Member(dir, t, "DB"));
    std::memcpy(b.data() + RecordAt(b, 5), b.data() + RecordAt(b, 4), 120);
    WriteBytes(Member(dir, t, "DB"), b);
    return {-1, 5};
}

struct Damage {
    const char* name;
    const char* fixture;  // folder of a fixture table, or nullptr for ORDERS
    const char* table;
    std::function<Place(const fs::path&, const std::string&)> apply;
    const char* file;     // extension of the file the finding names
    int code;
    int keptDelta;        // records after repair, against the table's count before the damage
    int setAside;         // records in the problems table
    bool refused = false; // left alone by repair
    const char* password = "";
};

const Damage kDamages[] = {
    {"broken chain link", nullptr, "ORDERS", BreakChainLink, "DB", 8962, 0, 0},
    {"block listed twice", nullptr, "ORDERS", ListBlockTwice, "DB", 8962, 0, 0},
    {"record count too high", nullptr, "ORDERS", [](auto& d, auto& t) { return ChangeCount(d, t, +5); }, "DB", 8962, 0, 0},
    {"record count too low", nullptr, "ORDERS", [](auto& d, auto& t) { return ChangeCount(d, t, -5); }, "DB", 8962, 0, 0},
    {"uncounted records in a block", nullptr, "ORDERS", LeaveUncountedRecords, "DB", 8962, 2, 0},
    {"two .PX blocks swapped", nullptr, "ORDERS", SwapPrimaryIndexBlocks, "PX", 8965, 0, 0},
    {"secondary index missing a record", nullptr, "ORDERS", DropIndexEntry, "X02", 8965, 0, 0},
    {"blob pointer into a free block", nullptr, "ORDERS", PointBlobIntoFreeBlock, "MB", 8963, 0, 0},
    {"stale .VAL", nullptr, "ORDERS", StaleVal, "VAL", 8968, 0, 0},
    {"truncated file", nullptr, "ORDERS", Truncate, "DB", 8962, -6, 0},
    {"unknown version byte", nullptr, "ORDERS", UnknownVersion, "DB", 8961, 0, 0, true},
    {"repeated key", nullptr, "ORDERS", RepeatKey, "DB", 9729, -1, 1},
    {"broken chain link in a fixture", "paradoxdriver/areas", "ZIPCODES", BreakChainLink, "DB", 8962, 0, 0},
    {"record count too high in a fixture", "paradoxdriver/db", "CUSTOMER", [](auto& d, auto& t) { return ChangeCount(d, t, +3); }, "DB", 8962, 0, 0},
    {"record count too low in a protected fixture with blobs", "paradoxdriver/encrypt", "encryptedmemo",
     [](auto& d, auto& t) { return ChangeCount(d, t, -1); }, "DB", 8962, 0, 0, false, "123"},
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

bool Names(const Finding& f, const Damage& d, const Place& at) {
    return f.severity == Severity::Error && Upper(f.table) == Upper(d.table) && f.code == d.code &&
           Upper(f.file.substr(f.file.find_last_of('.') + 1)) == d.file && (at.block < 0 || f.block == at.block) &&
           (at.record < 0 || f.record == at.record);
}

std::string Listing(const std::vector<Finding>& fs) {
    std::string s;
    for (const auto& f : fs)
        s += "  " + f.file + " " + std::to_string(f.code) + " block " + std::to_string(f.block) + " record " +
             std::to_string(f.record) + ": " + f.text + "\n";
    return s;
}

class DamageCorpus : public ::testing::TestWithParam<Damage> {};

TEST_P(DamageCorpus, VerifyNamesItAndRepairMendsIt) {
    const Damage& d = GetParam();
    ScratchDir scratch, backup;
    const fs::path dir = scratch.path();
    if (d.fixture) {
        REQUIRE_FIXTURES();
        CopyFamily(d.fixture, d.table, dir);
    } else {
        MakeOrders(dir.string());
    }
    const std::vector<std::string> passwords = {d.password};
    const uint32_t before = paradox::Table::open(dir.string(), d.table, Pw(d.password)).properties().recordCount;
    const std::vector<std::string> values = Sorted(Lines(dir.string(), d.table, d.password));
    ASSERT_FALSE(paradox::verify::AnyError(paradox::verify::VerifyTables(dir.string(), {d.table}, {passwords})));
    const Place at = d.apply(dir, d.table);

    const auto damaged = DirBytesOf(dir);
    const auto found = paradox::verify::VerifyTables(dir.string(), {d.table}, {passwords});
    EXPECT_EQ(DirBytesOf(dir), damaged) << "verify writes nothing";
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const Finding& f) { return Names(f, d, at); }))
        << d.name << ": no error naming " << d.file << " " << d.code << " block " << at.block << " record " << at.record
        << "\n" << Listing(found);

    paradox::verify::RepairOptions options;
    options.passwords = passwords;
    options.backupDir = backup.str();
    const auto report = paradox::verify::RepairTable(dir.string(), d.table, options);
    if (d.refused) {
        EXPECT_TRUE(report.refused);
        EXPECT_EQ(DirBytesOf(dir), damaged) << "a table left alone keeps every byte";
        return;
    }
    ASSERT_TRUE(report.repaired) << d.name;
    const auto after = paradox::verify::VerifyTables(dir.string(), {d.table}, {passwords});
    EXPECT_FALSE(paradox::verify::AnyError(after)) << d.name << " after repair:\n" << Listing(after);
    const long expected = long(before) + d.keptDelta;
    EXPECT_EQ(report.recordsKept, uint64_t(expected)) << d.name;
    EXPECT_EQ(paradox::Table::open(dir.string(), d.table, Pw(d.password)).readAll().size(), std::size_t(expected)) << d.name;
    EXPECT_EQ(PxlibRecordCount(Member(dir, d.table, "DB").string()), expected) << d.name;
    EXPECT_EQ(report.recordsSetAside, uint64_t(d.setAside)) << d.name;
    if (d.keptDelta == 0 && std::string(d.file) != "MB") {
        EXPECT_EQ(Sorted(Lines(dir.string(), d.table, d.password)), values) << d.name << ": every value as before, blobs included";
    }
    if (d.setAside > 0) {
        EXPECT_EQ(paradox::Table::open(dir.string(), report.problemsTable, Pw(d.password)).properties().recordCount, uint32_t(d.setAside));
    }
    EXPECT_TRUE(fs::exists(backup.path() / Member(dir, d.table, "DB").filename())) << "the damaged files are backed up";
}

INSTANTIATE_TEST_SUITE_P(Damages, DamageCorpus, ::testing::ValuesIn(kDamages), [](const auto& info) {
    std::string n = info.param.name;
    for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return n;
});

// Untouched fixtures verify without errors, except the faults the fixtures' README lists.
TEST(DamageCorpus, UntouchedFixturesShowOnlyTheirKnownFaults) {
    REQUIRE_FIXTURES();
    const std::set<std::pair<std::string, int>> known = {
        {"STATES", 8713},   {"MEMBRE", 8713}, {"MEMBRE", 8714}, {"biolife", 8713},
        {"country", 8713},  {"TypSammlung", 8713}};
    std::size_t tables = 0;
    for (const auto& e : fs::recursive_directory_iterator(FixturesDir())) {
        if (!e.is_directory() || paradox::ListTables(e.path().string(), "*.DB").empty()) continue;
        const std::string dir = e.path().string();
        tables += paradox::ListTables(dir, "*.DB").size();
        for (const Finding& f : paradox::verify::VerifyTables(dir, {}, {{"123"}})) {
            if (f.severity != Severity::Error) continue;
            EXPECT_TRUE(known.count({f.table, f.code})) << dir << ": " << f.table << " " << f.file << " " << f.code << ": " << f.text;
        }
    }
    EXPECT_GT(tables, 50u);
}

// A primary index's entries are Shorts: block numbers past 32767 keep all 16 bits, record counts
// past 32767 stop there. Both tables verify clean, and verify rebuilds nothing on its own.
TEST(LargeTables, IndexEntriesPastTheShortRangeVerifyClean) {
    using namespace paradox;
    struct Shape {
        const char* blockSize;
        int texts;  // A253 fields after the Long key: 4 fill a 1 KB block with one record
        int records;
    };
    for (const Shape& shape : {Shape{"1024", 4, 32800}, Shape{"2048", 0, 110000}}) {
        ScratchDir scratch;
        DescriptorBuilder b("BIG");
        b.field("ID", FLDINT32);
        for (int i = 0; i < shape.texts; ++i) b.field(("T" + std::to_string(i)).c_str(), FLDZSTRING, 0, 253);
        b.option("LEVEL", "7").option("BLOCK SIZE", shape.blockSize);
        createTable(scratch.str(), b.descriptor(), {1, false});
        TableWriter w = TableWriter::open(scratch.str(), "BIG");
        std::vector<Value> row(std::size_t(shape.texts) + 1, Value::text(""));
        for (int i = 1; i <= shape.records; ++i) {
            row[0] = Value::integer(i);
            w.insert(row);
        }
        w.commit();
        ASSERT_EQ(Table::open(scratch.str(), "BIG").properties().recordCount, uint32_t(shape.records));
        const auto found = verify::VerifyTables(scratch.str(), {"BIG"}, {});
        EXPECT_FALSE(verify::AnyError(found)) << shape.blockSize << ":\n" << Listing(found);
    }
}

}  // namespace
}  // namespace paradox_test
