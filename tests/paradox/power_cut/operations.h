// The engine operations that change files, each with the tables it starts from: the list both
// power-cut suites run (every crash state of each; a failing sync at each sync point of each).
#pragma once
#include <string>
#include <vector>

#include "verify/damage_tables.h"
#include "ops_test_support.h"
#include "paradox/change/batch_move.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_ops.h"
#include "paradox/table/security.h"
#include "paradox/verify/repair.h"
#include "paradox/verify/verify_tables.h"
#include "restructure_test_support.h"
#include "state_checker.h"

namespace power_cut {

using namespace paradox;
using namespace paradox_test;


inline RILinkDescriptor DetailLink() { return DependentLink("ToMaster", "MASTER", 2); }

// MASTER (keyed, a secondary index, a memo) <- DETAIL (keyed); every detail names a master.
inline void MasterDetail(const std::string& d) {
    DescriptorBuilder master("MASTER");
    master.field("Id", FLDINT32, 0, 0).field("Name", FLDZSTRING, 0, 10).field("Note", FLDBLOB, FLDSTMEMO, 10);
    createTable(d, master.descriptor(), CreateOptions{1, false});
    Insert(d, "MASTER", {{Value::integer(1), Value::text("one"), Value::text(std::string(700, 'm'))},
                         {Value::integer(2), Value::text("two"), Value::null()},
                         {Value::integer(3), Value::text("three"), Value::text("short")}});
    AddIndex(d, "MASTER", Index("ByName", {2}));
    MakeTable(d, "DETAIL", {{"No", FLDINT32}, {"MasterId", FLDINT32}}, 1);
    Insert(d, "DETAIL", {{Value::integer(1), Value::integer(1)}, {Value::integer(2), Value::integer(3)},
                         {Value::integer(3), Value::integer(2)}});
    AddLink(d, "DETAIL", DetailLink());
}

inline void Vault(const std::string& d) {
    MakeTable(d, "VAULT", {{"Id", FLDINT32}, {"Note", FLDZSTRING, 8}}, 1, "boss");
    Insert(d, "VAULT", {{Value::integer(1), Value::text("a")}, {Value::integer(2), Value::text("b")}}, "boss");
}

inline ValidityCheckDescriptor Required(uint16_t field) {
    ValidityCheckDescriptor c{};
    c.fieldNumber = field;
    c.required = 1;
    return c;
}

// ORDERS (damage_tables.h) with a record missing from its maintained secondary index: a table
// every file of which the repair rewrites, that still opens as it is.
inline void IndexDamagedOrders(const std::string& d) {
    MakeOrders(d);
    DropLastIndexEntry(*FindTableFile(d, "ORDERS", "X02"));
}

// The repair of IndexDamagedOrders, backed up into BACKUP inside the directory: a state holding
// the repaired index verifies clean; any other still misses the record.
inline Operation RepairOfOrders() {
    Operation op("repair", IndexDamagedOrders, [](const std::string& d) {
        verify::RepairOptions o;
        o.backupDir = d + "/BACKUP";
        verify::RepairTable(d, "ORDERS", o);
    });
    op.backupDir = "BACKUP";
    op.alsoCheck = [](const std::string& d, const std::string& where) {
        const bool repaired = GetLE32(ReadBytes(*FindTableFile(d, "ORDERS", "X02")).data() + 6) == uint32_t(kOrders);
        EXPECT_EQ(verify::AnyError(verify::VerifyTables(d, {"ORDERS"}, {})), !repaired) << "repair, " << where;
    };
    return op;
}

inline const std::vector<Operation>& Operations() {
    static const std::vector<Operation> ops = {
        {"create", [](const std::string& d) { MakeTable(d, "OTHER", {{"Id", FLDINT32}}, 1); },
         [](const std::string& d) { MakeTable(d, "FRESH", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 10}}, 1); }},
        {"rename of a master", MasterDetail, [](const std::string& d) { renameTable(d, "MASTER", "CLIENTS"); }},
        // Renamed file by file: a state with some names changed is one table all the same (names
        // are found without regard to case), and the next rename finishes it.
        Operation("rename: case only", MasterDetail, [](const std::string& d) { renameTable(d, "DETAIL", "Detail"); }).completedByNextRun(),
        {"records appended", MasterDetail,
         [](const std::string& d) { Insert(d, "DETAIL", {{Value::integer(4), Value::integer(1)}, {Value::integer(5), Value::integer(3)}}); }},
        {"delete", MasterDetail, [](const std::string& d) { deleteTable(d, "DETAIL"); }},
        {"restructure: field added", MasterDetail,
         [](const std::string& d) { Request(d, "DETAIL").add("Extra", FLDINT16).run(d); }},
        {"restructure: field dropped, memo kept", MasterDetail,
         [](const std::string& d) { Request(d, "MASTER").drop("Name").run(d); }},
        {"restructure: field type changed", MasterDetail,
         [](const std::string& d) { Request(d, "MASTER").change("Name", FLDZSTRING, 0, 20).run(d); }},
        {"restructure: field moved", MasterDetail,
         [](const std::string& d) { Request(d, "MASTER").move("Note", 2).run(d); }},
        {"restructure: block size", MasterDetail,
         [](const std::string& d) { Request(d, "DETAIL").option("BLOCK SIZE", "4096").run(d); }},
        {"restructure: check added", MasterDetail,
         [](const std::string& d) { Request(d, "DETAIL").check(Required(2), CRADD).run(d); }},
        {"restructure: link dropped", MasterDetail,
         [](const std::string& d) { Request(d, "DETAIL").link(DetailLink(), CRDROP).run(d); }},
        {"restructure: link added",
         [](const std::string& d) {
             MasterDetail(d);
             DropLink(d, "DETAIL", "ToMaster");
         },
         [](const std::string& d) {
             char keyViol[kKeyViolNameSize] = {};
             Request(d, "DETAIL").add("Extra", FLDINT16).link(DetailLink(), CRADD).run(d, keyViol);
         }},
        {"secondary index added", MasterDetail, [](const std::string& d) { AddIndex(d, "DETAIL", Index("ByMaster", {2})); }},
        {"secondary index deleted", MasterDetail, [](const std::string& d) { DeleteIndex(d, "MASTER", "ByName"); }},
        {"primary index added",
         [](const std::string& d) {
             MakeTable(d, "PLAIN", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 10}}, 0);
             Insert(d, "PLAIN", {{Value::integer(2), Value::text("b")}, {Value::integer(1), Value::text("a")}});
         },
         [](const std::string& d) { AddIndex(d, "PLAIN", Index("", {1})); }},
        {"link added",
         [](const std::string& d) {
             MasterDetail(d);
             DropLink(d, "DETAIL", "ToMaster");
         },
         [](const std::string& d) { AddLink(d, "DETAIL", DetailLink()); }},
        {"link dropped", MasterDetail, [](const std::string& d) { DropLink(d, "DETAIL", "ToMaster"); }},
        {"auxiliary password added", Vault,
         [](const std::string& d) {
             SecurityDescriptor s = AuxPassword("clerk", rights::kReadOnly, {rights::kFieldFull, rights::kFieldFull});
             const OperationCode op = CRADD;
             ApplySecurityEntries(d, "VAULT", &s, &op, 1, Pw("boss"));
         },
         {"boss", "chief"}},
        {"master password changed", Vault,
         [](const std::string& d) { Request(d, "VAULT", {"boss"}).password("chief").run(d, nullptr, {"boss"}); },
         {"boss", "chief"}},
        {"batch move: append",
         [](const std::string& d) {
             MasterDetail(d);
             MakeTable(d, "MORE", {{"No", FLDINT32}, {"MasterId", FLDINT32}}, 1);
             Insert(d, "MORE", {{Value::integer(7), Value::integer(1)}, {Value::integer(8), Value::integer(2)}});
         },
         [](const std::string& d) {
             BatchMoveRequest rq;
             rq.sourceDir = rq.destDir = d;
             rq.sourceTable = "MORE";
             rq.destTable = "DETAIL";
             BatchMove(rq);
         }},
        {"batch move: copy", MasterDetail,
         [](const std::string& d) {
             BatchMoveRequest rq;
             rq.sourceDir = rq.destDir = d;
             rq.sourceTable = "MASTER";
             rq.destTable = "COPY";
             rq.mode = BatchMode::Copy;
             BatchMove(rq);
         }},
        RepairOfOrders(),
    };
    return ops;
}

// A test name made of an operation's name.
inline std::string TestName(const std::string& name) {
    std::string n;
    for (char c : name) n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return n;
}

}  // namespace power_cut
