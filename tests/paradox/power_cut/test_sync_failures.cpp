// A sync that fails (EIO from a failing disk, ENOSPC from a full network share) fails the
// operation: injected at every sync point of every operation in turn, the operation raises the
// engine's error, never reports success, and leaves tables that open and are the old ones (or,
// past the point where the change was decided, the new ones, completed).
#include <gtest/gtest.h>

#include "operations.h"
#include "paradox/storage/fault_injection.h"

namespace {

using namespace power_cut;

class SyncFailure : public testing::TestWithParam<std::size_t> {};

TEST_P(SyncFailure, FailsTheOperationAndKeepsTablesWhole) {
    const Operation& op = Operations()[GetParam()];
    paradox_test::ScratchDir tmpl, reference;
    op.setup(tmpl.str());
    const auto copy = [&](const std::string& to) {
        for (const auto& e : fs::directory_iterator(tmpl.path())) fs::copy_file(e.path(), fs::path(to) / e.path().filename());
    };
    copy(reference.str());
    const DiskState oldBytes = TableBytes(reference.str());
    paradox::fault::ArmSyncFailure(0);
    op.run(reference.str());
    const uint32_t syncs = paradox::fault::SyncsTaken();
    const std::string newPrint = Fingerprint(reference.str(), op.passwords);
    ASSERT_GT(syncs, 0u) << op.name;

    unsigned old = 0, completed = 0;
    for (uint32_t n = 1; n <= syncs; ++n) {
        paradox_test::ScratchDir dir;
        copy(dir.str());
        paradox::fault::ArmSyncFailure(n);
        bool failed = false;
        try {
            op.run(dir.str());
        } catch (const paradox::EngineError&) {
            failed = true;
        }
        paradox::fault::ArmSyncFailure(0);
        EXPECT_TRUE(failed) << op.name << ": sync " << n << " of " << syncs << " failed and the operation succeeded";
        const std::string err = OpenEveryTable(dir.str(), op.passwords);
        EXPECT_EQ(err, "") << op.name << ": sync " << n;
        if (TableBytes(dir.str()) == oldBytes) ++old;
        else if (Fingerprint(dir.str(), op.passwords) == newPrint) ++completed;
        else ADD_FAILURE() << op.name << ": sync " << n << " left neither the old tables nor the new ones";
    }
    std::printf("[sync failure] %s: %u syncs failed in turn: %u left the old tables, %u the change completed past its commit point\n",
                op.name.c_str(), syncs, old, completed);
    EXPECT_GT(old, 0u);
    // Each operation here is one swap, or a rename in place: only the syncs after its record is
    // durable (the renames', the record removal's) come after the decision.
    EXPECT_LE(completed, 2u) << op.name;
}

INSTANTIATE_TEST_SUITE_P(Operations, SyncFailure, testing::Range<std::size_t>(0, Operations().size()),
                         [](const testing::TestParamInfo<std::size_t>& i) { return TestName(Operations()[i.param].name); });

}  // namespace
