// A repair killed at every step of it leaves the table as it was or repaired: after each stop
// the table holds every record (damaged chain or rebuilt one), and once the repair has gone
// through, verify finds nothing.
#include "crash_harness.h"
#include "damage_tables.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/verify/repair.h"
#include "paradox/verify/verify_tables.h"

namespace paradox_test {
namespace {

// ORDERS with its record count too low and one key repeated: the repair rewrites every file
// and fills a problems table.
void MakeDamagedOrders(const std::string& dir) {
    MakeOrders(dir);
    const fs::path db = *paradox::FindTableFile(dir, "ORDERS", "DB");
    auto b = ReadBytes(db);
    paradox::PutLE32(b.data() + 6, paradox::GetLE32(b.data() + 6) - 3);
    std::memcpy(b.data() + RecordAt(b, 5), b.data() + RecordAt(b, 4), 120);
    WriteBytes(db, b);
}

TEST(RepairKills, KilledAtEveryStepTheTableIsOldOrRepaired) {
    ScratchDir backup;
    const auto outcome = KillAtEveryStep(
        MakeDamagedOrders,
        [&](const std::string& dir) {
            paradox::verify::RepairOptions o;
            o.backupDir = backup.str();
            paradox::verify::RepairTable(dir, "ORDERS", o);
        },
        [](const std::string& dir, uint32_t step) {
            paradox::RecoverDirectory(dir);  // what the next open of the table does
            const auto findings = paradox::verify::VerifyTables(dir, {"ORDERS"}, {});
            const bool repaired = !paradox::verify::AnyError(findings);
            if (step == 0) {
                EXPECT_TRUE(repaired) << "a finished repair verifies clean";
            }
            const fs::path db = *paradox::FindTableFile(dir, "ORDERS", "DB");
            auto b = ReadBytes(db);
            if (repaired) {
                // Rebuilt: the repeated key is in the problems table, not in the table.
                EXPECT_EQ(paradox::Table::open(dir, "ORDERS").readAll().size(), std::size_t(kOrders - 1)) << "step " << step;
                EXPECT_EQ(PxlibRecordCount(db.string()), kOrders - 1) << "step " << step;
                EXPECT_EQ(paradox::Table::open(dir, "PROBLEMS").properties().recordCount, 1u) << "step " << step;
            } else {
                // Old: still the damaged count, every byte of the chain as before.
                EXPECT_EQ(paradox::GetLE32(b.data() + 6), uint32_t(kOrders - 3)) << "step " << step;
            }
        });
    EXPECT_TRUE(outcome.completed);
    EXPECT_GT(outcome.stops, 5u);
}

}  // namespace
}  // namespace paradox_test
