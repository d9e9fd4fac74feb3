// Opening tables through a database handle: session passwords and the password event on real
// encrypted tables, locks held while a table is open, and release on every way out.
#include <gtest/gtest.h>

#include "engine_call_support.h"
#include "meta_fixtures.h"
#include "paradox/format/crypto.h"
#include "paradox/session/session.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/database.h"

using namespace paradox;
using meta_test::ChildLock;
using meta_test::CodeOf;

namespace {

class DatabaseTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(meta_test::FixturesDir())) GTEST_SKIP() << "fixtures missing";
        meta_test::CopyFamily("paradoxdriver/encrypt", "encrypted", dir);
        meta_test::CopyFamily("paradoxdriver/joins", "C", dir);
        session.start();
        db = std::make_unique<Database>(session);
        db->setDirectory(dir.str());
    }
    meta_test::ScratchDir dir;
    Session session{&PasswordChecksum, dir.file("no-aliases.ini")};
    std::unique_ptr<Database> db;
};

TEST_F(DatabaseTableTest, DefaultSessionUsesTheTableFormatsChecksum) {
    EXPECT_EQ(Session::Default().passwords().checksumOf("123"), 0x0A25E09Au);
}

TEST_F(DatabaseTableTest, ProtectedTableWithoutPasswordIsRefusedAndLeavesNoLock) {
    EXPECT_EQ(CodeOf([&] { db->openTable("encrypted"); }), err::kNotSufficientTableRights);
    EXPECT_FALSE(db->isLocked("encrypted"));
    EXPECT_EQ(ChildLock(dir.str(), "ENCRYPTED", LockMode::Exclusive), 0);
}

TEST_F(DatabaseTableTest, KnownPasswordOpensWithoutAsking) {
    int asked = 0;
    session.setPasswordEvent([&](const std::string&) { ++asked; return PasswordReply::Abort; });
    session.addPassword("123");
    OpenedTable t = db->openTable("ENCRYPTED.DB");
    EXPECT_EQ(t.table.properties().recordCount, 4u);
    EXPECT_EQ(t.table.readAll().size(), 4u);
    EXPECT_EQ(asked, 0);
}

TEST_F(DatabaseTableTest, EventAnswersUntilAPasswordFits) {
    std::vector<std::string> given = {"nope", "123"};
    std::size_t asked = 0;
    session.setPasswordEvent([&](const std::string& table) {
        EXPECT_EQ(table, "encrypted");
        session.addPassword(given[asked++]);
        return PasswordReply::Retry;
    });
    OpenedTable t = db->openTable("encrypted");
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(t.table.readAll().size(), 4u);
}

TEST_F(DatabaseTableTest, EventAnsweringNoFailsTheOpen) {
    session.setPasswordEvent([&](const std::string&) { return PasswordReply::Abort; });
    EXPECT_EQ(CodeOf([&] { db->openTable("encrypted"); }), err::kNotSufficientTableRights);
}

TEST_F(DatabaseTableTest, OpenTablesHoldLocksForTheirLifetime) {
    {
        OpenedTable shared = db->openTable("c");
        EXPECT_EQ(ChildLock(dir.str(), "C", LockMode::Shared), 0);
        EXPECT_EQ(ChildLock(dir.str(), "C", LockMode::Exclusive), err::kFileLocked);
    }
    {
        OpenedTable exclusive = db->openTable("C.DB", true);
        EXPECT_EQ(ChildLock(dir.str(), "c", LockMode::Shared), err::kFileLocked);
    }
    EXPECT_FALSE(db->isLocked("C"));
    EXPECT_EQ(ChildLock(dir.str(), "C", LockMode::Exclusive), 0);
}

TEST_F(DatabaseTableTest, TableLockedByTheHandleCanStillBeOpened) {
    db->lockTable("C", LockMode::Exclusive);
    {
        OpenedTable t = db->openTable("C");
        EXPECT_EQ(t.table.readAll().size(), 3u);
    }
    EXPECT_TRUE(db->isLocked("C"));  // the handle's own lock outlives the open
    EXPECT_EQ(ChildLock(dir.str(), "C", LockMode::Shared), err::kFileLocked);
    db->unlockTable("C", LockMode::Exclusive);
    EXPECT_FALSE(db->isLocked("C"));
}

TEST_F(DatabaseTableTest, TableOutlivingItsHandleIsSafe) {
    OpenedTable t = db->openTable("C", true);
    db.reset();  // closes the handle and releases its locks
    EXPECT_EQ(ChildLock(dir.str(), "C", LockMode::Exclusive), 0);
    EXPECT_EQ(t.table.readAll().size(), 3u);
}

TEST_F(DatabaseTableTest, MissingTableAndBusyTable) {
    EXPECT_EQ(CodeOf([&] { db->openTable("missing"); }), err::kNoSuchTable);
    TableLock other = TableLock::Acquire(dir.str(), "C", LockMode::Exclusive);  // another holder
    EXPECT_EQ(CodeOf([&] { db->openTable("C"); }), err::kFileLocked);
    EXPECT_FALSE(db->isLocked("C"));
}

TEST_F(DatabaseTableTest, ReadOnlyHandleOpensSharedOnly) {
    Database ro(session, {}, DatabaseAccess::ReadOnly);
    ro.setDirectory(dir.str());
    EXPECT_EQ(CodeOf([&] { ro.openTable("C", true); }), err::kTableReadOnly);
    EXPECT_EQ(CodeOf([&] { ro.openTable("C"); }), 0);
}

}  // namespace
