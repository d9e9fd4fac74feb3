// Inserting records: values of every type read back unchanged, keyed tables stay in key
// order across block splits with a primary index that matches the chain, autoincrement,
// blobs in the leader, in shared and in own .MB blocks, protected tables, and commit rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "paradox/format/byte_order.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::ReadBytes;
using paradox_test::ScratchDir;

namespace {

void CreateAllTypes(const std::string& dir, const std::string& name, const std::string& password = {}) {
    DescriptorBuilder b(name);
    b.field("Id", FLDINT32)
        .field("Alpha", FLDZSTRING, 0, 20)
        .field("Date", FLDDATE)
        .field("Short", FLDINT16)
        .field("Money", FLDFLOAT, FLDSTMONEY)
        .field("Number", FLDFLOAT)
        .field("Logical", FLDBOOL)
        .field("Memo", FLDBLOB, FLDSTMEMO, 10)
        .field("Binary", FLDBLOB, FLDSTBINARY, 0)
        .field("Graphic", FLDBLOB, FLDSTGRAPHIC, 0)
        .field("Time", FLDTIME)
        .field("Stamp", FLDTIMESTAMP)
        .field("Auto", FLDINT32, FLDSTAUTOINC)
        .field("Bcd", FLDBCD, 0, 32, 2)
        .field("Bytes", FLDBYTES, 0, 4)
        .option("LEVEL", "7");
    if (!password.empty()) b.password(password);
    createTable(dir, b.descriptor(), {1, false});
}

std::vector<Value> AllTypesRow(int id) {
    const std::string big(5000 + id, static_cast<char>('a' + id % 26));
    return {Value::integer(id),
            id % 3 ? Value::text("row " + std::to_string(id)) : Value::null(),
            Value::date(DaysFromCivil(2000 + id % 30, 1 + id % 12, 1 + id % 28)),
            Value::integer(id % 2 ? -id : id),
            Value::number(id * 1.25),
            Value::number(-id / 3.0),
            Value::boolean(id % 2 == 0),
            Value::text(id % 2 ? "short" : "a memo longer than its ten-byte leader " + std::to_string(id)),
            id % 4 == 0 ? Value::bytes(big) : Value::bytes(std::string("\x00\x01\x02", 3)),
            Value::bytes("GIF89a" + std::to_string(id)),
            Value::time(id * 1000),
            Value::timestamp(DaysFromCivil(2020, 2, 1) * 86400000.0 + id * 1000.0),
            Value::null(),
            Value::bcd(std::to_string(id) + ".5" + std::to_string(id % 10)),
            Value::bytes(std::string("\x01\x00\x02\x00", 4))};
}

std::vector<std::vector<Value>> ReadAll(const std::string& dir, const std::string& name, const OpenOptions& o = {}) {
    return Table::open(dir, name, o).readAll();
}

// Checks the .PX of a one-field keyed table against its data chain: every leaf entry names
// a chain block, its first key and record count, in chain order.
void CheckPrimaryIndex(const std::filesystem::path& db, const std::filesystem::path& px) {
    const auto d = ReadBytes(db), x = ReadBytes(px);
    ASSERT_GE(x.size(), 0x58u);
    const uint16_t dbHeader = GetLE16(&d[2]), dbBlock = d[5] * 1024, rs = GetLE16(&d[0]);
    const uint16_t pxHeader = GetLE16(&x[2]), pxBlock = x[5] * 1024, prs = GetLE16(&x[0]);
    const uint16_t keySize = static_cast<uint16_t>(prs - 6);
    EXPECT_EQ(x[4], 1);
    EXPECT_EQ(x[0x2C], d[0x2D]) << "index stamp must follow the table's";
    // Collect leaf entries: walk down from the root to the leftmost leaf, then along its level.
    const int levels = x[0x20];
    std::vector<std::pair<uint16_t, uint16_t>> leaf;  // block, count
    std::vector<std::vector<uint8_t>> keys;
    if (levels == 0) {
        EXPECT_EQ(GetLE32(&d[6]), 0u);
        return;
    }
    auto entry = [&](uint32_t block, uint32_t i) { return &x[pxHeader + (block - 1) * pxBlock + 6 + i * prs]; };
    auto shortAt = [](const uint8_t* p) { return static_cast<uint16_t>(((p[0] << 8) | p[1]) ^ 0x8000); };
    std::vector<uint32_t> level = {GetLE16(&x[0x1E])};
    for (int l = levels; l > 1; --l) {
        std::vector<uint32_t> below;
        for (uint32_t b : level) {
            const uint32_t n = GetLE16s(&x[pxHeader + (b - 1) * pxBlock + 4]) / prs + 1;
            for (uint32_t i = 0; i < n; ++i) below.push_back(shortAt(entry(b, i) + keySize));
        }
        level = below;
    }
    for (uint32_t b : level) {
        const uint32_t n = GetLE16s(&x[pxHeader + (b - 1) * pxBlock + 4]) / prs + 1;
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* e = entry(b, i);
            leaf.emplace_back(shortAt(e + keySize), shortAt(e + keySize + 2));
            keys.emplace_back(e, e + keySize);
        }
    }
    uint32_t block = GetLE16(&d[0x0E]);
    std::size_t i = 0;
    uint64_t total = 0;
    while (block) {
        const uint8_t* b = &d[dbHeader + (block - 1) * dbBlock];
        const uint32_t n = GetLE16s(b + 4) / rs + 1;
        ASSERT_LT(i, leaf.size());
        EXPECT_EQ(leaf[i].first, block);
        EXPECT_EQ(leaf[i].second, n);
        EXPECT_TRUE(std::equal(keys[i].begin(), keys[i].end(), b + 6));
        total += n;
        ++i;
        block = GetLE16(b);
    }
    EXPECT_EQ(i, leaf.size());
    EXPECT_EQ(total, GetLE32(&d[6]));
}

}  // namespace

TEST(TableWriter, EveryTypeReadsBackUnchanged) {
    ScratchDir dir;
    CreateAllTypes(dir.str(), "all");
    std::vector<std::vector<Value>> rows;
    {
        TableWriter w = TableWriter::open(dir.str(), "all");
        for (int id = 1; id <= 40; ++id) {
            rows.push_back(AllTypesRow(id));
            w.insert(rows.back());
        }
        w.commit();
    }
    const auto back = ReadAll(dir.str(), "all");
    ASSERT_EQ(back.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        auto want = rows[r];
        want[12] = Value::integer(static_cast<int64_t>(r + 1));  // autoincrement filled in
        want[13] = Value::bcd(ToDisplayString(want[13]));
        for (std::size_t f = 0; f < want.size(); ++f)
            EXPECT_EQ(ToDisplayString(back[r][f]), ToDisplayString(want[f])) << "row " << r << " field " << f;
    }
    const auto p = Table::open(dir.str(), "all").properties();
    EXPECT_EQ(p.recordCount, 40u);
    EXPECT_EQ(p.autoIncValue, 40u);
    CheckPrimaryIndex(dir.path() / "all.DB", dir.path() / "all.PX");
}

TEST(TableWriter, KeyedInsertsInAnyOrderEndInKeyOrder) {
    ScratchDir dir;
    DescriptorBuilder b("keyed");
    b.field("Key", FLDZSTRING, 0, 30).field("Val", FLDINT32).option("BLOCK SIZE", "1024");
    createTable(dir.str(), b.descriptor(), {1, false});
    std::vector<int> ids(3000);
    for (int i = 0; i < 3000; ++i) ids[i] = i;
    std::mt19937 rng(42);
    std::shuffle(ids.begin(), ids.end(), rng);
    auto keyOf = [](int i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "K%06d", i * 7 % 3001);
        return std::string(buf);
    };
    {
        TableWriter w = TableWriter::open(dir.str(), "keyed");
        for (int i : ids) w.insert({Value::text(keyOf(i)), Value::integer(i)});
        try {
            w.insert({Value::text(keyOf(ids[5])), Value::integer(-1)});
            FAIL() << "duplicate key accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), 9729);
        }
        w.commit();
    }
    const auto back = ReadAll(dir.str(), "keyed");
    ASSERT_EQ(back.size(), 3000u);
    for (std::size_t i = 1; i < back.size(); ++i) EXPECT_LT(back[i - 1][0].asString(), back[i][0].asString());
    CheckPrimaryIndex(dir.path() / "keyed.DB", dir.path() / "keyed.PX");
    const auto px = ReadBytes(dir.path() / "keyed.PX");
    EXPECT_GE(px[0x20], 2) << "3000 records in 1 KB blocks need a two-level index";

    // A second session adds to what is there.
    {
        TableWriter w = TableWriter::open(dir.str(), "keyed");
        w.insert({Value::text("A-first"), Value::integer(1)});
        w.insert({Value::text("Z-last"), Value::integer(2)});
        w.commit();
    }
    const auto more = ReadAll(dir.str(), "keyed");
    ASSERT_EQ(more.size(), 3002u);
    EXPECT_EQ(more.front()[0].asString(), "A-first");
    EXPECT_EQ(more.back()[0].asString(), "Z-last");
    CheckPrimaryIndex(dir.path() / "keyed.DB", dir.path() / "keyed.PX");
}

TEST(TableWriter, SortedLoadFillsBlocks) {
    ScratchDir dir;
    DescriptorBuilder b("sorted");
    b.field("Key", FLDINT32).field("Text", FLDZSTRING, 0, 60);
    createTable(dir.str(), b.descriptor(), {1, false});
    TableWriter w = TableWriter::open(dir.str(), "sorted");
    for (int i = 1; i <= 1000; ++i) w.insert({Value::integer(i), Value::text("x")});
    w.commit();
    const auto p = Table::open(dir.str(), "sorted").properties();
    const uint32_t perBlock = (2048 - 6) / 64;
    EXPECT_EQ(p.usedBlocks, (1000 + perBlock - 1) / perBlock);
}

TEST(TableWriter, UncommittedWriterChangesNothing) {
    ScratchDir dir;
    DescriptorBuilder b("plain");
    b.field("A", FLDZSTRING, 0, 10);
    createTable(dir.str(), b.descriptor());
    const auto before = ReadBytes(dir.path() / "plain.DB");
    {
        TableWriter w = TableWriter::open(dir.str(), "plain");
        w.insert({Value::text("lost")});
    }
    EXPECT_EQ(ReadBytes(dir.path() / "plain.DB"), before);
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        const std::string n = e.path().filename().string();
        EXPECT_TRUE(n.find(".tmp") == std::string::npos && n[0] != '.') << "temporary file left behind: " << n;
    }
}

TEST(TableWriter, RejectsBadRecordsWithoutDamage) {
    ScratchDir dir;
    DescriptorBuilder b("strict");
    b.field("N", FLDINT16).field("A", FLDZSTRING, 0, 3);
    createTable(dir.str(), b.descriptor());
    TableWriter w = TableWriter::open(dir.str(), "strict");
    struct Case {
        std::vector<Value> row;
        int code;
    };
    const std::vector<Case> cases = {
        {{Value::integer(1)}, 9986},
        {{Value::integer(70000), Value::text("a")}, 9985},
        {{Value::integer(1), Value::text("toolong")}, 9985},
        {{Value::text("1"), Value::text("a")}, 9986},
    };
    for (const auto& c : cases) {
        try {
            w.insert(c.row);
            ADD_FAILURE() << "accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), c.code);
        }
    }
    w.insert({Value::integer(5), Value::text("ok")});
    w.commit();
    const auto back = ReadAll(dir.str(), "strict");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0][0], Value::integer(5));
}

TEST(TableWriter, ProtectedTablesStayEncrypted) {
    ScratchDir dir;
    CreateAllTypes(dir.str(), "locked", "s3cret");
    OpenOptions o;
    o.passwords = {"s3cret"};
    {
        TableWriter w = TableWriter::open(dir.str(), "locked", o);
        for (int id = 1; id <= 12; ++id) w.insert(AllTypesRow(id));
        w.commit();
    }
    const auto back = ReadAll(dir.str(), "locked", o);
    ASSERT_EQ(back.size(), 12u);
    EXPECT_EQ(back[4][1].asString(), "row 5");
    EXPECT_EQ(back[3][8].asString().size(), 5004u);
    // Neither the data nor the memo text is readable in the files.
    for (const char* f : {"locked.DB", "locked.MB", "locked.PX"}) {
        const auto bytes = ReadBytes(dir.path() / f);
        const std::string s(bytes.begin(), bytes.end());
        EXPECT_EQ(s.find("row 5"), std::string::npos) << f;
        EXPECT_EQ(s.find("ten-byte leader"), std::string::npos) << f;
    }
    // The password callback is asked until it gives up.
    int asked = 0;
    OpenOptions ask;
    ask.askPassword = [&](const std::string& table) -> std::optional<std::string> {
        EXPECT_EQ(table, "locked");
        if (++asked == 1) return std::string("nope");
        if (asked == 2) return std::string("s3cret");
        return std::nullopt;
    };
    EXPECT_EQ(Table::open(dir.str(), "locked", ask).properties().recordCount, 12u);
    EXPECT_EQ(asked, 2);
    OpenOptions refuse;
    refuse.askPassword = [](const std::string&) { return std::optional<std::string>(); };
    try {
        Table::open(dir.str(), "locked", refuse);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 10498);
    }
}

TEST(TableWriter, RebuildsSecondaryIndexesOnCommit) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    paradox_test::CopyFamily("paradoxdriver/db", "CUSTOMER", dir.path());
    const auto x06Before = ReadBytes(dir.path() / "CUSTOMER.X06");
    const auto defsBefore = ReadSecondaryIndexDefs(dir.str(), "CUSTOMER");
    ASSERT_EQ(defsBefore.size(), 1u);
    auto row = Table::open(dir.str(), "customer").readAll()[4];
    row[0] = Value::null();  // next autoincrement value
    row[5] = Value::text("Aaron City");
    {
        TableWriter w = TableWriter::open(dir.str(), "customer");
        w.insert(row);
        w.commit();
    }
    EXPECT_EQ(Table::open(dir.str(), "customer").properties().recordCount, 21u);
    const auto x06 = ReadBytes(dir.path() / "CUSTOMER.X06");
    EXPECT_NE(x06, x06Before);
    EXPECT_EQ(GetLE32(&x06[6]), 21u) << "the City index holds every record";
    const std::string text(x06.begin(), x06.end());
    EXPECT_NE(text.find("Aaron City"), std::string::npos);
    const auto defsAfter = ReadSecondaryIndexDefs(dir.str(), "CUSTOMER");
    ASSERT_EQ(defsAfter.size(), 1u);
    EXPECT_EQ(defsAfter[0].extension, defsBefore[0].extension);
    EXPECT_EQ(+defsAfter[0].desc.keyFields[0], +defsBefore[0].desc.keyFields[0]);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(e.path().filename().string()[0], '.') << "staging file left behind: " << e.path();
}

TEST(TableWriter, AppendsToRealTables) {
    REQUIRE_FIXTURES();
    struct Case {
        const char* sub;
        const char* stem;
        OpenOptions options;
    };
    OpenOptions pw;
    pw.passwords = {"123", "rparadox"};
    const Case cases[] = {{"paradoxdriver/areas", "ZIPCODES", {}},
                          {"paradoxdriver/db", "HERCULES", {}},
                          {"paradoxdriver/encrypt", "encrypted", pw},
                          {"rparadox", "country_encrypted", pw},
                          {"paradoxreader/PCLDATA", "PCL", {}}};
    for (const auto& c : cases) {
        ScratchDir dir;
        paradox_test::CopyFamily(c.sub, c.stem, dir.path());
        const auto before = ReadAll(dir.str(), c.stem, c.options);
        ASSERT_FALSE(before.empty());
        std::vector<Value> extra = before.back();
        // A key that sorts last: the first field of every case here is text or a number.
        if (extra[0].kind() == ValueKind::Text) extra[0] = Value::text(std::string(extra[0].asString().size() > 2 ? 3 : 1, '~'));
        else extra[0] = Value::integer(extra[0].asInt() + 1000);
        {
            TableWriter w = TableWriter::open(dir.str(), c.stem, c.options);
            w.insert(extra);
            w.commit();
        }
        const auto after = ReadAll(dir.str(), c.stem, c.options);
        ASSERT_EQ(after.size(), before.size() + 1) << c.stem;
        for (std::size_t i = 0; i < before.size(); ++i) ASSERT_EQ(after[i], before[i]) << c.stem << " record " << i;
        EXPECT_EQ(ToDisplayString(after.back()[0]), ToDisplayString(extra[0])) << c.stem;
        const auto px = dir.path() / (std::string(c.stem) + ".PX");
        if (c.options.passwords.empty() && std::filesystem::exists(px))
            CheckPrimaryIndex(dir.path() / (std::string(c.stem) + ".DB"), px);
    }
}

TEST(TableWriter, RefusesKeyedTablesInAnotherOrder) {
    ScratchDir dir;
    DescriptorBuilder b("order");
    b.field("K", FLDZSTRING, 0, 4);
    createTable(dir.str(), b.descriptor(), {1, false});
    {
        TableWriter w = TableWriter::open(dir.str(), "order");
        w.insert({Value::text("a")});
        w.insert({Value::text("b")});
        w.commit();
    }
    // Swap the two records as a collating language driver might have ordered them.
    auto bytes = ReadBytes(dir.path() / "order.DB");
    const std::size_t rec = 0x800 + 6;
    std::swap_ranges(bytes.begin() + rec, bytes.begin() + rec + 4, bytes.begin() + rec + 4);
    paradox_test::WriteBytes(dir.path() / "order.DB", bytes);
    try {
        TableWriter::open(dir.str(), "order");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 12289);
    }
}
