// A rename or a delete killed at every step: afterwards the renamed table is found whole under
// its old name or its new one, never part under each, with the same bytes, and the tables linked
// to it (its master and its dependent) name it under the name it has; a deleted one is whole or
// gone.
#include <gtest/gtest.h>

#include <set>

#include "crash_harness.h"
#include "ops_test_support.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_ops.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/database.h"
#include "paradox/session/session.h"

using namespace paradox;
using namespace paradox_test;

namespace {

RILinkDescriptor Link(const char* name, const char* master, uint16_t mine) {
    RILinkDescriptor d{};
    copyFixedText(d.name, name);
    d.kind = uint32_t(LinkKind::Dependent);
    copyFixedText(d.otherTable, master);
    d.fieldCount = 1;
    d.thisFields[0] = mine;
    d.otherFields[0] = 1;
    return d;
}

// REGION <- CUSTOMER <- ORDERS; CUSTOMER has a .PX, a secondary index, a .MB and a .VAL.
void MakeTables(const std::string& dir) {
    MakeTable(dir, "REGION", {{"Code", FLDZSTRING, 4}}, 1);
    Insert(dir, "REGION", {{Value::text("N")}, {Value::text("S")}});
    DescriptorBuilder customer("CUSTOMER");
    customer.field("Id", FLDINT32, 0, 0).field("Region", FLDZSTRING, 0, 4).field("Note", FLDBLOB, FLDSTMEMO, 10);
    createTable(dir, customer.descriptor(), CreateOptions{1, false});
    Insert(dir, "CUSTOMER", {{Value::integer(1), Value::text("N"), Value::text(std::string(300, 'm'))},
                             {Value::integer(2), Value::text("S"), Value::null()}});
    AddIndex(dir, "CUSTOMER", Index("ByRegion", {2}));
    AddLink(dir, "CUSTOMER", Link("InRegion", "REGION", 2));
    MakeTable(dir, "ORDERS", {{"No", FLDINT32}, {"Customer", FLDINT32}}, 1);
    Insert(dir, "ORDERS", {{Value::integer(10), Value::integer(1)}});
    AddLink(dir, "ORDERS", Link("OfCustomer", "CUSTOMER", 2));
}

void CopyFiles(const fs::path& from, const std::string& to) {
    for (const auto& e : fs::directory_iterator(from)) fs::copy_file(e.path(), fs::path(to) / e.path().filename());
}

// No staged file, record or owner file of a swap is left.
void ExpectNoDotFiles(const std::string& dir, uint32_t step) {
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path() << " left at step " << step;
}

std::map<std::string, std::vector<unsigned char>> MemberBytes(const std::string& dir, const std::string& base) {
    std::map<std::string, std::vector<unsigned char>> out;
    for (const auto& f : FamilyFiles(dir, base)) {
        const std::string name = FileNamePart(f);
        out[name.substr(name.find('.'))] = ReadBytes(f);
    }
    return out;
}

// The other-table names of the links `table` holds of kind `kind`.
std::set<std::string> LinkTargets(const std::string& dir, const std::string& table, LinkKind kind) {
    std::set<std::string> out;
    if (auto v = ReadValFile(dir, table))
        for (const auto& l : v->links)
            if (l.kind == uint32_t(kind)) out.insert(TableBaseName(fixedText(l.otherTable)));
    return out;
}

TEST(RenameCrash, OneNameAtEveryStepAndTheLinkedTablesInStep) {
    ScratchDir tmpl;
    MakeTables(tmpl.str());
    const auto before = MemberBytes(tmpl.str(), "CUSTOMER");
    const auto setup = [&](const std::string& dir) { CopyFiles(tmpl.path(), dir); };
    const CrashOutcome out = KillAtEveryStep(
        setup, [](const std::string& dir) { renameTable(dir, "CUSTOMER", "CLIENTS"); },
        [&](const std::string& dir, uint32_t step) {
            // Listing the directory finds (and so completes or undoes) an interrupted rename.
            Session session(&PasswordChecksum);
            session.start();
            Database db(session);
            db.setDirectory(dir);
            const bool oldName = !db.listTables("CUSTOMER.DB").empty();
            const bool newName = !db.listTables("CLIENTS.DB").empty();
            ASSERT_NE(oldName, newName) << "step " << step;
            const std::string name = oldName ? "CUSTOMER" : "CLIENTS";
            if (step == 0) {
                EXPECT_EQ(name, "CLIENTS");
            }
            EXPECT_TRUE(FamilyFiles(dir, oldName ? "CLIENTS" : "CUSTOMER").empty()) << "step " << step;
            const auto now = MemberBytes(dir, name);
            ASSERT_EQ(now.size(), before.size()) << "step " << step;
            for (const auto& [ext, bytes] : before) {
                ASSERT_TRUE(now.count(ext)) << ext << " step " << step;
                if (ext != ".VAL") {
                    EXPECT_TRUE(now.at(ext) == bytes) << ext << " step " << step;
                }
            }
            EXPECT_EQ(LinkTargets(dir, "REGION", LinkKind::Master), std::set<std::string>{name}) << "step " << step;
            EXPECT_EQ(LinkTargets(dir, "ORDERS", LinkKind::Dependent), std::set<std::string>{name}) << "step " << step;
            EXPECT_EQ(LinkTargets(dir, name, LinkKind::Dependent), std::set<std::string>{"REGION"});
            EXPECT_EQ(Table::open(dir, name).readAll().size(), 2u) << "step " << step;
            ExpectNoDotFiles(dir, step);
        });
    EXPECT_TRUE(out.completed);
    EXPECT_GT(out.stops, 10u);
}

// A delete stopped at any step leaves the family whole, byte for byte, or gone with no file
// left: never a .DB that lost its .PX or .VAL.
TEST(RenameCrash, DeleteLeavesTheWholeFamilyOrNone) {
    ScratchDir tmpl;
    MakeTables(tmpl.str());
    const auto before = MemberBytes(tmpl.str(), "CUSTOMER");
    const auto setup = [&](const std::string& dir) { CopyFiles(tmpl.path(), dir); };
    const CrashOutcome out = KillAtEveryStep(
        setup, [](const std::string& dir) { deleteTable(dir, "CUSTOMER"); },
        [&](const std::string& dir, uint32_t step) {
            RecoverDirectory(dir);
            const auto now = MemberBytes(dir, "CUSTOMER");
            if (step == 0) {
                EXPECT_TRUE(now.empty());
            }
            if (!now.empty()) {
                EXPECT_TRUE(now == before) << "step " << step;
            }
            ExpectNoDotFiles(dir, step);
        });
    EXPECT_TRUE(out.completed);
    EXPECT_GT(out.stops, 3u);
}

TEST(RenameCrash, TheRenamedTableReadsThroughPxlib) {
    ScratchDir dir;
    MakeTables(dir.str());
    renameTable(dir.str(), "CUSTOMER", "CLIENTS");
    EXPECT_EQ(PxlibRecordCount((dir.path() / "CLIENTS.DB").string()), 2);
    // A link dropped on the renamed table's side leaves its master's record of it too.
    DropLink(dir.str(), "CLIENTS", "InRegion");
    EXPECT_TRUE(LinkTargets(dir.str(), "REGION", LinkKind::Master).empty());
}

}  // namespace
