// Crash safety of the index, link and password operations: a child process is stopped at every
// durable step in turn (as if killed); after recovery the tables must be entirely as before or
// entirely as after, with every record readable and the companion files agreeing.
#include <gtest/gtest.h>
#include <functional>

#include "crash_harness.h"
#include "index_test_support.h"
#include "ops_test_support.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_ops.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/security.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

// Everything a reader sees of the named tables, checked for agreement on the way.
std::string Snapshot(const std::string& dir, const std::vector<std::string>& tables, const std::string& password) {
    std::string out;
    for (const std::string& t : tables) {
        const Table table = Table::open(dir, t, Pw(password));
        const auto rows = Lines(dir, t, password);
        out += t + ":" + std::to_string(rows.size()) + "\n";
        for (const auto& r : rows) out += r + "\n";
        for (const IndexDescriptor& d : ReadIndexDescriptors(dir, t)) {
            out += "index " + fixedText(d.name) + " p" + std::to_string(d.primary) + " n" + std::to_string(d.keyFieldCount) + "\n";
        }
        // Every secondary index holds one entry per record.
        for (const std::string& x : SecondaryIndexFiles(dir, t)) {
            const auto bytes = ReadBytes(fs::path(dir) / x);
            EXPECT_EQ(Le32(bytes, 6), rows.size()) << x;
        }
        if (auto v = ReadValFile(dir, t)) {
            EXPECT_FALSE(v->stale) << t;
            out += "checks " + std::to_string(v->checks.size()) + " links " + std::to_string(v->links.size()) + "\n";
        }
        out += "aux " + std::to_string(table.properties().auxPasswords) + "\n";
    }
    return out;
}

struct CrashCase {
    const char* label;
    std::function<void(const std::string&)> setup;
    std::function<void(const std::string&)> operation;
    std::vector<std::string> tables;
    std::string password;
};

void StopAtEveryStep(const CrashCase& c) {
    SCOPED_TRACE(c.label);
    std::string before, after;
    {
        ScratchDir d;
        c.setup(d.str());
        before = Snapshot(d.str(), c.tables, c.password);
        c.operation(d.str());
        after = Snapshot(d.str(), c.tables, c.password);
        ASSERT_NE(before, after);
    }
    bool sawOld = false, sawNew = false;
    KillAtEveryStep(c.setup, c.operation, [&](const std::string& dir, uint32_t step) {
        RecoverDirectory(dir);
        const std::string now = Snapshot(dir, c.tables, c.password);
        if (now == before) sawOld = true;
        else if (now == after) sawNew = true;
        else ADD_FAILURE() << "mixed state after a stop at step " << step << ":\n" << now;
        for (const auto& e : fs::directory_iterator(dir))
            EXPECT_NE(e.path().filename().string()[0], '.') << "left behind: " << e.path();
    }, 200);
    EXPECT_TRUE(sawOld);
    EXPECT_TRUE(sawNew);
}

void People(const std::string& d) {
    MakeTable(d, "people", {{"Name", FLDZSTRING, 10}, {"Age", FLDINT16}}, 0);
    Insert(d, "people",
           {{Value::text("Zoe"), Value::integer(30)}, {Value::text("Adam"), Value::integer(41)},
            {Value::text("Mia"), Value::integer(7)}, {Value::text("Adam"), Value::integer(12)}});
}

void MasterDetail(const std::string& d) {
    MakeTable(d, "master", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 10}}, 1);
    Insert(d, "master", {{Value::integer(1), Value::text("one")}, {Value::integer(2), Value::text("two")}});
    MakeTable(d, "detail", {{"No", FLDINT32}, {"MasterId", FLDINT32}}, 1);
    Insert(d, "detail",
           {{Value::integer(1), Value::integer(1)}, {Value::integer(2), Value::integer(3)}, {Value::integer(3), Value::integer(2)}});
}

RILinkDescriptor DetailLink() { return DependentLink("ToMaster", "master", 2); }

TEST(IndexOpsCrash, SecondaryIndexAdd) {
    StopAtEveryStep({"secondary index", People, [](const std::string& d) { AddIndex(d, "people", Index("ByAge", {2, 1})); },
                     {"people"}, ""});
}

TEST(IndexOpsCrash, PrimaryIndexAdd) {
    StopAtEveryStep({"primary index",
                     [](const std::string& d) {
                         People(d);
                         AddIndex(d, "people", Index("", {2}));
                     },
                     [](const std::string& d) {
                         IndexDescriptor pk = Index("", {1});
                         pk.primary = pk.unique = 1;
                         AddIndex(d, "people", pk);
                     },
                     {"people"}, ""});
}

TEST(IndexOpsCrash, LinkAdd) {
    StopAtEveryStep({"link", MasterDetail, [](const std::string& d) { AddLink(d, "detail", DetailLink()); },
                     {"detail", "master"}, ""});
}

TEST(IndexOpsCrash, AuxiliaryPasswordAdd) {
    StopAtEveryStep({"auxiliary password",
                     [](const std::string& d) {
                         MakeTable(d, "vault", {{"Id", FLDINT32}}, 1, "boss");
                         Insert(d, "vault", {{Value::integer(1)}}, "boss");
                     },
                     [](const std::string& d) {
                         SecurityDescriptor s{};
                         copyFixedText(s.password, "clerk");
                         s.tableRights = 1;
                         const OperationCode op = CRADD;
                         ApplySecurityEntries(d, "vault", &s, &op, 1, Pw("boss"));
                     },
                     {"vault"}, "boss"});
}

TEST(IndexOpsCrash, RestructureDroppingALinkChangesBothTables) {
    StopAtEveryStep({"restructure with a link drop",
                     [](const std::string& d) {
                         MasterDetail(d);
                         AddLink(d, "detail", DetailLink());
                     },
                     [](const std::string& d) { Request(d, "detail").add("Extra", FLDINT16).link(DetailLink(), CRDROP).run(d); },
                     {"detail", "master"}, ""});
}

TEST(IndexOpsCrash, RestructureAddingALinkChangesBothTablesAtOnce) {
    // Detail 2 names master 3: it leaves for a key-violation table in the same step.
    StopAtEveryStep({"restructure with a link add", MasterDetail,
                     [](const std::string& d) {
                         char keyViol[kKeyViolNameSize] = {};
                         Request(d, "detail").add("Extra", FLDINT16).link(DetailLink(), CRADD).run(d, keyViol);
                     },
                     {"detail", "master"}, ""});
}

TEST(IndexOpsCrash, MasterPasswordChangeReKeysAuxiliaryPasswords) {
    // Read through the auxiliary password: it opens the old table and the new one alike.
    StopAtEveryStep({"password change",
                     [](const std::string& d) {
                         MakeTable(d, "vault", {{"Id", FLDINT32}, {"Note", FLDZSTRING, 8}}, 1, "boss");
                         Insert(d, "vault", {{Value::integer(1), Value::text("a")}, {Value::integer(2), Value::text("b")}}, "boss");
                         SecurityDescriptor s{};
                         copyFixedText(s.password, "clerk");
                         s.tableRights = rights::kReadOnly;
                         s.fieldRights[0] = s.fieldRights[1] = rights::kFieldFull;
                         const OperationCode op = CRADD;
                         ApplySecurityEntries(d, "vault", &s, &op, 1, Pw("boss"));
                     },
                     [](const std::string& d) { Request(d, "vault", {"boss"}).drop("Note").password("chief").run(d, nullptr, {"boss"}); },
                     {"vault"}, "clerk"});
}

}  // namespace
