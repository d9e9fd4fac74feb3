// make_sample_database DIR [--orders N]: creates the sample order database the upgrade script in
// this folder is written for: CUSTOMER (keyed by Id) and ORDERS (keyed by OrderNo, with an index
// on the customer it names), each with a few records, and the site's settings (site.ini, as in
// this folder) that the script reads; --orders makes ORDERS that large, so that its restructures
// take a while. Refuses a directory that is not empty.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "paradox/api/engine_error.h"
#include "paradox/api/table.h"
#include "paradox/api/table_changes.h"

namespace {

namespace px = paradox::api;
using px::Value;

px::Field NewField(const std::string& name, px::FieldType type, px::FieldSubtype subType = px::FieldSubtype::None,
                   std::int16_t size = 0) {
    px::Field f;
    f.name = name;
    f.type = type;
    f.subType = subType;
    f.units1 = size;
    return f;
}

// A new table of these fields, keyed by the first.
void CreateKeyed(const std::string& dir, const std::string& name, std::vector<px::Field> fields) {
    px::TableRequest request;
    request.tableName = name;
    request.fields = std::move(fields);
    for (std::size_t i = 0; i < request.fields.size(); ++i) request.fields[i].number = static_cast<std::uint16_t>(i + 1);
    request.fieldOps.assign(request.fields.size(), px::Operation::Add);
    px::CreateTable(dir, request, {1, false});
}

void CreateCustomers(const std::string& dir) {
    CreateKeyed(dir, "CUSTOMER",
                {NewField("Id", px::FieldType::Int32), NewField("Name", px::FieldType::ZString, px::FieldSubtype::None, 30),
                 NewField("City", px::FieldType::ZString, px::FieldSubtype::None, 20)});
    px::RecordWriter w = px::RecordWriter::Open(dir, "CUSTOMER");
    w.insert({Value::integer(1), Value::text("Meier & Sohn"), Value::text("Hamburg")});
    w.insert({Value::integer(2), Value::text("Dupont SA"), Value::text("Lyon")});
    w.insert({Value::integer(3), Value::text("Rossi Srl"), Value::text("Torino")});
    w.commit();
}

void CreateOrders(const std::string& dir, int count) {
    CreateKeyed(dir, "ORDERS",
                {NewField("OrderNo", px::FieldType::Int32), NewField("CustId", px::FieldType::Int32),
                 NewField("Amount", px::FieldType::Float, px::FieldSubtype::Money), NewField("Placed", px::FieldType::Date)});
    px::RecordWriter w = px::RecordWriter::Open(dir, "ORDERS");
    const int32_t day = 730000;  // days since 1.1.0001: a day in 1999
    w.insert({Value::integer(1001), Value::integer(1), Value::number(250.5), Value::date(day)});
    w.insert({Value::integer(1002), Value::integer(2), Value::number(99.0), Value::date(day + 40)});
    w.insert({Value::integer(1003), Value::integer(1), Value::number(1200.0), Value::date(day + 41)});
    for (int n = 3; n < count; ++n)
        w.insert({Value::integer(1001 + n), Value::integer(1 + n % 3), Value::number(10.0 + n % 1000), Value::date(day + n % 3650)});
    w.commit();
    // A link needs an index led by its fields on the dependent table.
    px::Index byCustomer;
    byCustomer.name = "CustId";
    byCustomer.keyFields = {2};
    byCustomer.maintained = true;
    px::AddIndex(dir, "ORDERS", byCustomer);
}

void WriteSiteSettings(const std::string& dir) {
    std::ofstream ini(std::filesystem::path(dir) / "site.ini");
    ini << "; Settings of the sample site.\n[Security]\nProtectArticles=1\n";
    if (!ini.flush()) throw std::runtime_error("cannot write site.ini");
}

}  // namespace

int main(int argc, char** argv) {
    const int orders = argc == 4 && std::string(argv[2]) == "--orders" ? std::atoi(argv[3]) : 3;
    if ((argc != 2 && argc != 4) || orders < 3) {
        std::fprintf(stderr, "usage: make_sample_database DIR [--orders N]  (N at least 3)\n");
        return 2;
    }
    const std::string dir = argv[1];
    try {
        std::filesystem::create_directories(dir);
        if (!std::filesystem::is_empty(dir)) {
            std::fprintf(stderr, "make_sample_database: %s is not empty\n", dir.c_str());
            return 1;
        }
        CreateCustomers(dir);
        CreateOrders(dir, orders);
        WriteSiteSettings(dir);
    } catch (const px::EngineError& e) {
        std::fprintf(stderr, "make_sample_database: %d %s\n", e.code(), e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_database: %s\n", e.what());
        return 1;
    }
    std::printf("sample database created in %s: CUSTOMER (3 records), ORDERS (%d records), site.ini\n", dir.c_str(), orders);
    return 0;
}
