// An order-entry database built from nothing by a script, through the library's five exports
// only: every line succeeds; run again, every command that can see its change in place says so;
// the tables read back with the expected structure through our engine and through pxlib.
#include <fstream>

extern "C" {
#include <paradox.h>
}

#include "library_fixture.h"
#include "paradox/format/val_file.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/security.h"

namespace vortab::test {
namespace {

struct Step {
    std::string line;
    int againStatus;  // its status when the script runs a second time
};

// Lines on the table that is renamed at the end name it as it was: a script that is run again
// guards them by the new name.
std::string UnlessRenamed(const std::string& command) {
    return "IF(EXISTS_TABLE(\"REGION\"), ERROR(-1), " + command + ")";
}

std::vector<Step> OrderEntryScript(const std::string& sourceDir) {
    return {
        {UnlessRenamed("TBL_CREATE(\"AREA\", \"ascii\", 7, \"Code\", FLDZSTRING, FLDSTDEFAULT, 4, 0)"), -1},
        {UnlessRenamed("FLD_ADD(\"AREA\", \"Label\", FLDZSTRING, FLDSTDEFAULT, 30, 0)"), -1},
        {UnlessRenamed("IX_ADD(\"AREA\", \"\", \"Code\", \"\", PRI)"), -1},
        {"TBL_CREATE(\"CUSTOMER\", \"ascii\", 7, \"Id\", FLDINT32, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"CUSTOMER\", \"Name\", FLDZSTRING, FLDSTDEFAULT, 40, 0)", -1},
        {"FLD_ADD(\"CUSTOMER\", \"Area\", FLDZSTRING, FLDSTDEFAULT, 4, 0)", -1},
        {"FLD_ADD(\"CUSTOMER\", \"Since\", FLDDATE, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"CUSTOMER\", \"Vip\", FLDBOOL, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"CUSTOMER\", \"Notes\", FLDBLOB, FLDSTMEMO, 20, 0)", -1},
        {"IX_ADD(\"CUSTOMER\", \"\", \"Id\", \"\", PRI)", -1},
        {"IX_ADD(\"CUSTOMER\", \"ByName\", \"Name\", \"\", CIS)", -1},
        {"IX_ADD(\"CUSTOMER\", \"Area\", \"Area\", \"\", IXOPTDEFAULT)", -1},
        {"VCHK_ADD(\"CUSTOMER\", \"Name\", VCHKFALSE, VCHKFALSE, VCHKFALSE, 0, 0, 0, \"\", TRUE)", -1},
        {"VCHK_ADD(\"CUSTOMER\", \"Since\", VCHKTRUE, VCHKFALSE, VCHKTODAY, DATE(1, 1, 1990), 0, 0, \"\", FALSE)", -1},
        {UnlessRenamed("RI_ADD(\"CUSTOMER\", \"Area\", \"AREA\", \"Code\", \"InArea\", RESTRICT)"), -1},
        {"TBL_CREATE(\"PRODUCT\", \"ascii\", 7, \"Code\", FLDZSTRING, FLDSTDEFAULT, 10, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Price\", FLDFLOAT, FLDSTMONEY, 0, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Weight\", FLDFLOAT, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Exact\", FLDBCD, FLDSTDEFAULT, 32, 2)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Stock\", FLDINT16, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Tag\", FLDBYTES, FLDSTDEFAULT, 8, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Picture\", FLDBLOB, FLDSTGRAPHIC, 10, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Sheet\", FLDBLOB, FLDSTBINARY, 10, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Leaflet\", FLDBLOB, FLDSTFMTMEMO, 10, 0)", -1},
        {"FLD_ADD(\"PRODUCT\", \"Object\", FLDBLOB, FLDSTOLEOBJ, 10, 0)", -1},
        {"IX_ADD(\"PRODUCT\", \"\", \"Code\", \"\", PRI)", -1},
        {"VCHK_ADD(\"PRODUCT\", \"Price\", VCHKTRUE, VCHKFALSE, VCHKTRUE, 0, 0, 1.5, \"\", FALSE)", -1},
        {"VCHK_ADD(\"PRODUCT\", \"Stock\", VCHKTRUE, VCHKTRUE, VCHKFALSE, 0, 9999, 0, \"\", FALSE)", -1},
        {"VCHK_ADD(\"PRODUCT\", \"Exact\", VCHKTRUE, VCHKFALSE, VCHKFALSE, 0.25, 0, 0, \"\", FALSE)", -1},
        {"TBL_BMOVE(\"PRODUCT\", \"" + sourceDir + "\", \"NEWPROD\", \"\", FALSE, BATAPPENDUPDATE)", 0},
        {"TBL_CREATE(\"ORDERS\", \"ascii\", 7, \"No\", FLDINT32, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ORDERS\", \"Customer\", FLDINT32, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ORDERS\", \"Placed\", FLDTIMESTAMP, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ORDERS\", \"Due\", FLDTIME, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ORDERS\", \"Total\", FLDBCD, FLDSTDEFAULT, 32, 2)", -1},
        {"IX_ADD(\"ORDERS\", \"\", \"No\", \"\", PRI)", -1},
        {"IX_ADD(\"ORDERS\", \"Customer\", \"Customer\", \"\", IXOPTDEFAULT)", -1},
        {"IX_ADD(\"ORDERS\", \"Recent\", \"Placed;No\", \"Placed\", DES)", -1},
        {"RI_ADD(\"ORDERS\", \"Customer\", \"CUSTOMER\", \"Id\", \"OfCustomer\", RESTRICT)", -1},
        {"TBL_CREATE(\"ITEMS\", \"ascii\", 7, \"Order\", FLDINT32, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ITEMS\", \"Line\", FLDINT16, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ITEMS\", \"Product\", FLDZSTRING, FLDSTDEFAULT, 10, 0)", -1},
        {"FLD_ADD(\"ITEMS\", \"Qty\", FLDINT16, FLDSTDEFAULT, 0, 0)", -1},
        {"FLD_ADD(\"ITEMS\", \"Serial\", FLDINT32, FLDSTAUTOINC, 0, 0)", -1},
        {"IX_ADD(\"ITEMS\", \"\", \"Order;Line\", \"\", PRI)", -1},
        {"IX_ADD(\"ITEMS\", \"Product\", \"Product\", \"\", IXOPTDEFAULT)", -1},
        {"RI_ADD(\"ITEMS\", \"Order\", \"ORDERS\", \"No\", \"OfOrder\", CASCADE)", -1},
        {"RI_ADD(\"ITEMS\", \"Product\", \"PRODUCT\", \"Code\", \"OfProduct\", RESTRICT)", -1},
        {"TBL_SETATTR(\"CUSTOMER\", PASSWORD, \"m4ster\")", -1},
        {"TBL_AUXPSWD(\"CUSTOMER\", \"m4ster\", \"clerk\", PRVREADONLY, \"Notes\")", -1},
        {UnlessRenamed("TBL_SETATTR(\"AREA\", NAME, \"REGION\")"), -1},
        {"IF(EXISTS_TABLE(\"AREA\"), ERROR(1), ERROR(0))", 0},
    };
}

struct Expected {
    const char* table;
    std::vector<std::pair<const char*, int>> fields;  // name and pxlib field type
    int keyFields;
};

class OrderEntry : public LibraryTest {};

TEST_F(OrderEntry, BuiltFromNothingAndAppliedAgain) {
    const fs::path source = MakeScratchDir("source");
    CreateTable(source, "NEWPROD.DB", {{"Code", paradox::FLDZSTRING, 0, 10}}, 1);
    {
        auto w = paradox::TableWriter::open(source.string(), "NEWPROD.DB");
        w.insert({paradox::Value::text("P1")});
        w.insert({paradox::Value::text("P2")});
        w.commit();
    }
    const std::vector<Step> script = OrderEntryScript(source.string());
    for (const Step& step : script) EXPECT_EQ(Exec(step.line), 0) << step.line;
    for (const Step& step : script) EXPECT_EQ(Exec(step.line), step.againStatus) << "again: " << step.line;

    const std::string d = dir.string();
    const std::vector<Expected> tables = {
        {"REGION.DB", {{"Code", pxfAlpha}, {"Label", pxfAlpha}}, 1},
        {"CUSTOMER.DB",
         {{"Id", pxfLong}, {"Name", pxfAlpha}, {"Area", pxfAlpha}, {"Since", pxfDate}, {"Vip", pxfLogical},
          {"Notes", pxfMemoBLOb}},
         1},
        {"PRODUCT.DB",
         {{"Code", pxfAlpha}, {"Price", pxfCurrency}, {"Weight", pxfNumber}, {"Exact", pxfBCD}, {"Stock", pxfShort},
          {"Tag", pxfBytes}, {"Picture", pxfGraphic}, {"Sheet", pxfBLOb}, {"Leaflet", pxfFmtMemoBLOb},
          {"Object", pxfOLE}},
         1},
        {"ORDERS.DB",
         {{"No", pxfLong}, {"Customer", pxfLong}, {"Placed", pxfTimestamp}, {"Due", pxfTime}, {"Total", pxfBCD}},
         1},
        {"ITEMS.DB",
         {{"Order", pxfLong}, {"Line", pxfShort}, {"Product", pxfAlpha}, {"Qty", pxfShort}, {"Serial", pxfAutoInc}},
         2},
    };
    for (const Expected& e : tables) {
        pxdoc_t* doc = PX_new();
        ASSERT_EQ(PX_open_file(doc, (dir / e.table).c_str()), 0) << e.table;
        ASSERT_EQ(PX_get_num_fields(doc), static_cast<int>(e.fields.size())) << e.table;
        for (std::size_t i = 0; i < e.fields.size(); ++i) {
            const pxfield_t* f = PX_get_field(doc, static_cast<int>(i));
            EXPECT_STREQ(f->px_fname, e.fields[i].first) << e.table;
            EXPECT_EQ(f->px_ftype, e.fields[i].second) << e.table << " " << e.fields[i].first;
        }
        EXPECT_EQ(doc->px_head->px_primarykeyfields, e.keyFields) << e.table;
        PX_close(doc);
        PX_delete(doc);
    }
    EXPECT_FALSE(fs::exists(dir / "AREA.DB"));
    EXPECT_EQ(paradox::Table::open(d, "PRODUCT.DB").readAll().size(), 2u);

    const paradox::OpenOptions master{{"m4ster"}, {}};
    EXPECT_TRUE(paradox::Table::open(d, "CUSTOMER.DB", master).properties().isProtected);
    const auto aux = paradox::ListAuxPasswords(d, "CUSTOMER.DB", master);
    ASSERT_EQ(aux.size(), 1u);
    EXPECT_STREQ(aux[0].password, "clerk");
    EXPECT_EQ(aux[0].fieldRights[5], 1u);

    const auto links = [&](const char* table) {
        std::vector<std::string> out;
        if (auto v = paradox::ReadValFile(d, table))
            for (const auto& l : v->links) out.push_back(std::string(l.name) + ">" + l.otherTable);
        return out;
    };
    EXPECT_EQ(links("REGION.DB"), (std::vector<std::string>{"InArea>CUSTOMER.DB"}));
    EXPECT_EQ(links("CUSTOMER.DB"), (std::vector<std::string>{"InArea>REGION.DB", "OfCustomer>ORDERS.DB"}));
    EXPECT_EQ(links("ITEMS.DB"), (std::vector<std::string>{"OfOrder>ORDERS.DB", "OfProduct>PRODUCT.DB"}));
    EXPECT_EQ(paradox::ReadValFile(d, "PRODUCT.DB")->checks.size(), 3u);

    const auto indexes = paradox::ReadIndexDescriptors(d, "ORDERS.DB", paradox::Table::open(d, "ORDERS.DB").schema());
    std::vector<std::string> names;
    for (const auto& x : indexes) names.emplace_back(x.name);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Customer", "Recent"}));
    fs::remove_all(source);
}

}  // namespace
}  // namespace vortab::test
