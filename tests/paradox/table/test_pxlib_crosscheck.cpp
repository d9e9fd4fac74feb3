// Cross-checks with pxlib, an independent Paradox reader/writer: tables this engine writes
// read identically through pxlib, tables pxlib writes read identically here, plain and
// encrypted, and every fixture table reads here as pxlib reads it. (pxlib's packaged build
// aborts on .MB files, so no blobs go through it.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
extern "C" {
#include <paradox.h>
}

#include "paradox/format/descriptor_builder.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::ScratchDir;

namespace {

void QuietErrors(pxdoc_t*, int, const char*, void*) {}

struct PxDoc {
    pxdoc_t* doc = PX_new3(QuietErrors, nullptr, nullptr, nullptr, nullptr);
    ~PxDoc() {
        PX_close(doc);
        PX_delete(doc);
    }
};

// One field of a pxlib record as text in the same form ToDisplayString gives ours.
std::string PxFieldText(pxdoc_t* doc, const pxfield_t& f, char* data) {
    char* s = nullptr;
    long l = 0;
    short sh = 0;
    double d = 0;
    char b = 0;
    // pxlib reports a blank long, date or time as a value; all-zero bytes are blank.
    if (std::all_of(data, data + f.px_flen, [](char c) { return c == 0; })) return "null";
    switch (f.px_ftype) {
    case pxfAlpha: {
        if (PX_get_data_alpha(doc, data, f.px_flen, &s) <= 0) return "null";
        std::string out(s);
        doc->free(doc, s);
        return out;
    }
    case pxfBytes: {
        if (PX_get_data_bytes(doc, data, f.px_flen, &s) <= 0) return "null";
        std::string out(s, f.px_flen);
        doc->free(doc, s);
        return ToDisplayString(Value::bytes(out));
    }
    case pxfShort:
        return PX_get_data_short(doc, data, f.px_flen, &sh) <= 0 ? "null" : std::to_string(sh);
    case pxfLong:
    case pxfAutoInc:
        return PX_get_data_long(doc, data, f.px_flen, &l) <= 0 ? "null" : std::to_string(l);
    case pxfDate:
        return PX_get_data_long(doc, data, f.px_flen, &l) <= 0 ? "null" : ToDisplayString(Value::date(int32_t(l)));
    case pxfTime:
        return PX_get_data_long(doc, data, f.px_flen, &l) <= 0 ? "null" : ToDisplayString(Value::time(int32_t(l)));
    case pxfNumber:
    case pxfCurrency:
        return PX_get_data_double(doc, data, f.px_flen, &d) <= 0 ? "null" : ToDisplayString(Value::number(d));
    case pxfTimestamp:
        return PX_get_data_double(doc, data, f.px_flen, &d) <= 0 ? "null" : ToDisplayString(Value::timestamp(d));
    case pxfLogical:
        return PX_get_data_byte(doc, data, f.px_flen, &b) <= 0 ? "null" : (b ? "true" : "false");
    case pxfBCD: {
        if (PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), f.px_fdc, &s) <= 0) return "null";
        std::string out(s);  // the digits as stored, never through a double
        doc->free(doc, s);
        // pxlib shows non-decimal nibbles (left by values converted from floating point) as the
        // characters after '9'; from the first of them on the digits carry nothing and read as 0.
        bool garbage = false;
        for (char& c : out) {
            garbage = garbage || c > '9';
            if (garbage && c != '.') c = '0';
        }
        if (!out.empty() && out.back() == '.') out.pop_back();
        // pxlib keeps the leading zeros and the sign of a zero; the value is the same.
        const bool negative = !out.empty() && out[0] == '-';
        std::string digits = out.substr(negative ? 1 : 0);
        while (digits.size() > 1 && digits[0] == '0' && digits[1] != '.') digits.erase(0, 1);
        const bool zero = digits.find_first_not_of("0.") == std::string::npos;
        return (negative && !zero ? "-" : "") + digits;
    }
    default:
        return "?";
    }
}

std::vector<std::vector<std::string>> ReadWithPxlib(const std::string& path) {
    PxDoc px;
    EXPECT_EQ(PX_open_file(px.doc, path.c_str()), 0) << path;
    const int n = PX_get_num_records(px.doc), nf = PX_get_num_fields(px.doc);
    pxfield_t* fields = PX_get_fields(px.doc);
    std::vector<char> rec(PX_get_recordsize(px.doc));
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < n; ++r) {
        EXPECT_NE(PX_get_record(px.doc, r, rec.data()), nullptr) << path << " record " << r;
        std::vector<std::string> row;
        int off = 0;
        for (int f = 0; f < nf; ++f) {
            row.push_back(PxFieldText(px.doc, fields[f], rec.data() + off));
            off += fields[f].px_flen;
        }
        out.push_back(row);
    }
    return out;
}

std::vector<std::vector<std::string>> ReadWithEngine(const std::string& dir, const std::string& name, const OpenOptions& o = {}) {
    std::vector<std::vector<std::string>> out;
    for (const auto& row : Table::open(dir, name, o).readAll()) {
        std::vector<std::string> texts;
        for (const auto& v : row) texts.push_back(ToDisplayString(v));
        out.push_back(texts);
    }
    return out;
}

void CreateKnownTypes(const std::string& dir, const std::string& name, uint16_t keys, const std::string& password) {
    DescriptorBuilder b(name);
    b.field("Id", FLDINT32, FLDSTAUTOINC)
        .field("Name", FLDZSTRING, 0, 24)
        .field("Born", FLDDATE)
        .field("Small", FLDINT16)
        .field("Big", FLDINT32)
        .field("Price", FLDFLOAT, FLDSTMONEY)
        .field("Ratio", FLDFLOAT)
        .field("Flag", FLDBOOL)
        .field("At", FLDTIME)
        .field("Stamp", FLDTIMESTAMP)
        .field("Amount", FLDBCD, 0, 32, 2)
        .field("Raw", FLDBYTES, 0, 3);
    if (!password.empty()) b.password(password);
    createTable(dir, b.descriptor(), {keys, false});
}

std::vector<Value> KnownTypesRow(int i) {
    const bool blank = i % 5 == 0;
    return {Value::null(),
            blank ? Value::null() : Value::text("Name \xE9 " + std::to_string(i)),
            blank ? Value::null() : Value::date(DaysFromCivil(1950 + i % 70, 1 + i % 12, 1 + i % 28)),
            blank ? Value::null() : Value::integer(i % 2 ? -i : i),
            blank ? Value::null() : Value::integer(i * 100003),
            blank ? Value::null() : Value::number(i * 0.25),
            blank ? Value::null() : Value::number(-i / 7.0),
            blank ? Value::null() : Value::boolean(i % 3 == 0),
            blank ? Value::null() : Value::time(i * 61001 % 86400000),
            blank ? Value::null() : Value::timestamp(DaysFromCivil(2001, 2, 3) * 86400000.0 + i * 1000.0),
            blank ? Value::null() : Value::bcd(std::to_string(i) + ".25"),
            blank ? Value::null() : Value::bytes(std::string("\x01\x02", 2) + char(i))};
}

}  // namespace

TEST(PxlibCrosscheck, PxlibReadsWhatWeWrite) {
    struct Case {
        const char* name;
        uint16_t keys;
        const char* password;
    };
    for (const Case& c : {Case{"plain", 0, ""}, Case{"keyed", 1, ""}, Case{"secret", 0, "pw1"}, Case{"ksecret", 1, "pw2"}}) {
        ScratchDir dir;
        CreateKnownTypes(dir.str(), c.name, c.keys, c.password);
        OpenOptions o;
        o.passwords = {c.password};
        {
            TableWriter w = TableWriter::open(dir.str(), c.name, o);
            for (int i = 1; i <= 300; ++i) w.insert(KnownTypesRow(i));
            w.commit();
        }
        const auto ours = ReadWithEngine(dir.str(), c.name, o);
        const auto theirs = ReadWithPxlib((dir.path() / (std::string(c.name) + ".DB")).string());
        ASSERT_EQ(ours.size(), 300u) << c.name;
        ASSERT_EQ(theirs.size(), ours.size()) << c.name;
        for (std::size_t r = 0; r < ours.size(); ++r) ASSERT_EQ(theirs[r], ours[r]) << c.name << " record " << r;
    }
}

TEST(PxlibCrosscheck, WeReadWhatPxlibWrites) {
    for (const char* password : {"", "geheim"}) {
        ScratchDir dir;
        const std::string path = (dir.path() / "bypxlib.db").string();
        std::vector<std::vector<std::string>> written;
        {
            PxDoc px;
            struct Spec {
                const char* name;
                char type;
                int len, dc;
            };
            const Spec specs[] = {{"Name", pxfAlpha, 20, 0}, {"Day", pxfDate, 4, 0},     {"S", pxfShort, 2, 0},
                                  {"L", pxfLong, 4, 0},      {"Cash", pxfCurrency, 8, 0}, {"Num", pxfNumber, 8, 0},
                                  {"Ok", pxfLogical, 1, 0},  {"T", pxfTime, 4, 0},       {"TS", pxfTimestamp, 8, 0}};
            const int nf = sizeof specs / sizeof specs[0];
            auto* fields = static_cast<pxfield_t*>(px.doc->malloc(px.doc, nf * sizeof(pxfield_t), "test"));
            for (int i = 0; i < nf; ++i) {
                fields[i].px_fname = static_cast<char*>(px.doc->malloc(px.doc, 16, "test"));
                std::strcpy(fields[i].px_fname, specs[i].name);
                fields[i].px_ftype = specs[i].type;
                fields[i].px_flen = specs[i].len;
                fields[i].px_fdc = specs[i].dc;
            }
            ASSERT_EQ(PX_create_file(px.doc, fields, nf, path.c_str(), pxfFileTypNonIndexDB), 0);
            if (*password) PX_set_parameter(px.doc, "password", password);
            std::vector<char> rec(PX_get_recordsize(px.doc));
            for (int i = 0; i < 50; ++i) {
                std::fill(rec.begin(), rec.end(), 0);
                char* p = rec.data();
                char name[32];
                std::snprintf(name, sizeof name, "pxlib row %d", i);
                PX_put_data_alpha(px.doc, p, 20, name);
                PX_put_data_long(px.doc, p + 20, 4, DaysFromCivil(1990, 1 + i % 12, 1 + i % 28));
                PX_put_data_short(px.doc, p + 24, 2, static_cast<short>(i - 25));
                PX_put_data_long(px.doc, p + 26, 4, i * 1000);
                PX_put_data_double(px.doc, p + 30, 8, i * 1.5);
                PX_put_data_double(px.doc, p + 38, 8, -i * 0.125);
                PX_put_data_byte(px.doc, p + 46, 1, static_cast<char>(i % 2));
                PX_put_data_long(px.doc, p + 47, 4, i * 3600);
                PX_put_data_double(px.doc, p + 51, 8, (DaysFromCivil(2010, 5, 6) + i) * 86400000.0);
                ASSERT_GE(PX_put_record(px.doc, rec.data()), 0);
            }
        }
        written = ReadWithPxlib(path);
        OpenOptions o;
        o.passwords = {password};
        const auto ours = ReadWithEngine(dir.str(), "bypxlib", o);
        ASSERT_EQ(ours.size(), 50u) << password;
        EXPECT_EQ(ours, written) << password;
        EXPECT_EQ(ours[3][0], "pxlib row 3");
        EXPECT_EQ(Table::open(dir.str(), "bypxlib", o).properties().isProtected, *password != 0);
    }
}

// Every table of every fixture set: each value but blobs as pxlib reads it (pxlib deciphers
// protected tables without their password).
TEST(PxlibCrosscheck, EveryFixtureTableReadsAsPxlibReadsIt) {
    REQUIRE_FIXTURES();
    OpenOptions o;
    o.passwords = {"123", "rparadox"};
    int tables = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(paradox_test::FixturesDir())) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name.size() < 4 || (name.substr(name.size() - 3) != ".db" && name.substr(name.size() - 3) != ".DB"))
            continue;
        SCOPED_TRACE(e.path().string());
        ++tables;
        const Table table = Table::open(e.path().parent_path().string(), name, o);
        std::vector<std::size_t> kept;
        for (std::size_t f = 0; f < table.schema().fields.size(); ++f)
            if (!IsBlobType(table.schema().fields[f].type)) kept.push_back(f);
        const auto keep = [&](const std::vector<std::string>& row) {
            std::vector<std::string> out;
            for (std::size_t f : kept) out.push_back(row.at(f));
            return out;
        };
        const auto theirs = ReadWithPxlib(e.path().string());
        std::size_t r = 0;
        for (RecordReader records = table.records(); records.next(); ++r) {
            ASSERT_LT(r, theirs.size());
            std::vector<std::string> ours;
            for (std::size_t f : kept) ours.push_back(ToDisplayString(records.record().value(static_cast<int>(f))));
            ASSERT_EQ(keep(theirs[r]), ours) << "record " << r;
        }
        EXPECT_EQ(r, theirs.size());
    }
    EXPECT_GE(tables, 70);
}
