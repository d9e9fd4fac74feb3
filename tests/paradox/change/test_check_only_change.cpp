// Validity checks added or dropped without a rewrite: when every record meets the new check
// only the .VAL changes (the data and index files keep their bytes and times); a check some
// record breaks, or one this engine does not evaluate, takes the full restructure and keeps
// every record.
#include <gtest/gtest.h>

#include <cstring>

#include "paradox/change/restructure.h"
#include "paradox/format/db_header.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/table_family.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

// A keyed table with a secondary index; Amount runs 1.5, 3.0, ... and Name is never blank.
void CreateOrders(const std::string& dir) {
    DescriptorBuilder b("ORDERS");
    b.field("Id", FLDINT32).field("Name", FLDZSTRING, 0, 20).field("Amount", FLDFLOAT).field("Code", FLDZSTRING, 0, 6);
    b.option("LEVEL", "7");
    createTable(dir, b.descriptor(), {1, false});
    TableWriter w = TableWriter::open(dir, "ORDERS");
    for (int i = 1; i <= 300; ++i)
        w.insert({Value::integer(i), Value::text("name " + std::to_string(i)), Value::number(i * 1.5),
                  i % 4 ? Value::text("c" + std::to_string(i % 7)) : Value::null()});
    w.commit();
    AddFieldIndex(dir, "ORDERS", 2);
}

struct DataFile {
    std::vector<unsigned char> bytes;
    fs::file_time_type time;
    bool operator==(const DataFile&) const = default;
};

// Every file of the table but its .VAL.
std::map<std::string, DataFile> DataFiles(const std::string& dir) {
    std::map<std::string, DataFile> out;
    for (const auto& f : FamilyFiles(dir, "ORDERS"))
        if (f.substr(f.size() - 4) != ".VAL") out[f] = {ReadBytes(f), fs::last_write_time(f)};
    return out;
}

ValidityCheckDescriptor Check(uint16_t field) {
    ValidityCheckDescriptor c{};
    c.fieldNumber = field;
    return c;
}

ValidityCheckDescriptor Minimum(uint16_t field, double value) {
    ValidityCheckDescriptor c = Check(field);
    c.minimumKind = uint16_t(CheckValueKind::Value);
    std::memcpy(c.minimum, &value, sizeof value);
    return c;
}

TEST(CheckOnlyChange, RewritesOnlyWhenARecordMayBreakTheCheck) {
    ValidityCheckDescriptor required = Check(2), blanks = Check(4), picture = Check(2);
    required.required = blanks.required = 1;
    std::strcpy(picture.picture, "*@");
    const struct {
        const char* what;
        ValidityCheckDescriptor check;
        bool dataKept;
    } cases[] = {
        {"required, never blank", required, true},
        {"minimum every value meets", Minimum(3, 1.0), true},
        {"required, some blank", blanks, false},
        {"minimum some values break", Minimum(3, 100.0), false},
        {"picture (not evaluated)", picture, false},
    };
    for (const auto& c : cases) {
        ScratchDir d;
        CreateOrders(d.str());
        const auto rows = ReadAll(d.str(), "ORDERS");
        const auto before = DataFiles(d.str());
        Request(d.str(), "ORDERS").check(c.check, CRADD).run(d.str());
        EXPECT_EQ(DataFiles(d.str()) == before, c.dataKept) << c.what;
        EXPECT_EQ(ReadAll(d.str(), "ORDERS"), rows) << c.what;
        auto val = ReadValFile(d.str(), "ORDERS");
        ASSERT_TRUE(val && val->checks.size() == 1) << c.what;
        EXPECT_FALSE(val->stale) << c.what;
        EXPECT_EQ(val->checks[0].fieldNumber, c.check.fieldNumber) << c.what;

        // Dropping it again never rewrites the data.
        const auto withCheck = DataFiles(d.str());
        Request(d.str(), "ORDERS").check(c.check, CRDROP).run(d.str());
        EXPECT_TRUE(DataFiles(d.str()) == withCheck) << c.what;
        val = ReadValFile(d.str(), "ORDERS");
        EXPECT_TRUE(!val || val->checks.empty()) << c.what;
    }
}

// A field change in the same request still rewrites the table.
TEST(CheckOnlyChange, OtherChangesStillRewrite) {
    ScratchDir d;
    CreateOrders(d.str());
    const auto before = DataFiles(d.str());
    ValidityCheckDescriptor required = Check(2);
    required.required = 1;
    Request(d.str(), "ORDERS").check(required, CRADD).add("Extra", FLDINT16).run(d.str());
    EXPECT_FALSE(DataFiles(d.str()) == before);
    EXPECT_EQ(FieldNames(d.str(), "ORDERS").size(), 5u);
}

}  // namespace
