// Database handles: opening by alias or current directory, working directory checks, table
// listing and paths, counted locks that other processes see, and release on close.
#include <gtest/gtest.h>

#include "engine_call_support.h"
#include "meta_fixtures.h"
#include "paradox/session/session.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/database.h"

using namespace paradox;
using meta_test::ChildLock;
using meta_test::CodeOf;

namespace {

std::uint32_t FakeChecksum(std::string_view p) { return p.empty() ? 0 : 0x00010000u + std::uint32_t(p.size()); }

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* n : {"Orders.DB", "orders.PX", "CUSTOMER.db", "notes.txt"}) meta_test::WriteText(dir.file(n), "x");
        meta_test::WriteText(dir.file("aliases.ini"), "[Shop]\nPATH=" + dir.str() + "/\n[Gone]\nPATH=/nonexistent/vortab\n"
                                                      "[Notes]\nPATH=" + dir.file("notes.txt") + "\n");
        session.start();
    }
    meta_test::ScratchDir dir;
    Session session{FakeChecksum, dir.file("aliases.ini")};
};

TEST_F(DatabaseTest, OpeningNeedsAStartedSessionAndAKnownAlias) {
    Session cold{FakeChecksum, dir.file("aliases.ini")};
    EXPECT_EQ(CodeOf([&] { Database db(cold); }), session_err::kNotInitialized);
    EXPECT_EQ(CodeOf([&] { Database db(session, "nope"); }), session_err::kUnknownDatabase);
    EXPECT_EQ(CodeOf([&] { Database db(session, "gone"); }), session_err::kInvalidDirectory);
    Database shop(session, "SHOP");
    EXPECT_EQ(shop.directory(), dir.str());  // trailing '/' dropped
    EXPECT_EQ(Database(session, "notes").directory(), dir.str());  // PATH names a file: its directory
    Database standard(session);
    EXPECT_FALSE(standard.directory().empty());
}

TEST_F(DatabaseTest, WorkingDirectory) {
    Database db(session);
    db.setDirectory(dir.str() + "/");
    EXPECT_EQ(db.directory(), dir.str());
    db.setDirectory("/");
    EXPECT_EQ(db.directory(), "/");  // the root keeps its slash
    EXPECT_EQ(CodeOf([&] { db.setDirectory(dir.file("notes.txt")); }), session_err::kInvalidDirectory);
    EXPECT_EQ(db.directory(), "/");  // unchanged by the failure
}

TEST_F(DatabaseTest, ListsTablesAndResolvesTablePaths) {
    Database db(session, "shop");
    EXPECT_EQ(db.listTables("*.DB"), (std::vector<std::string>{"CUSTOMER.db", "Orders.DB"}));
    EXPECT_EQ(db.listTables("ORDERS.DB"), (std::vector<std::string>{"Orders.DB"}));
    EXPECT_EQ(db.tablePath("orders"), dir.file("Orders.DB"));
    EXPECT_EQ(db.tablePath("C:\\x\\ORDERS.XYZ"), dir.file("Orders.DB"));  // extension replaced
    EXPECT_EQ(db.tablePath("NEWTABLE"), dir.file("NEWTABLE.DB"));
}

TEST_F(DatabaseTest, CountedLocksSeenByOtherProcesses) {
    Database db(session, "shop");
    db.lockTable("orders", LockMode::Shared);
    db.lockTable("ORDERS.DB", LockMode::Exclusive);  // upgraded in place
    db.lockTable("Orders", LockMode::Exclusive);
    EXPECT_EQ(ChildLock(dir.str(), "ORDERS", LockMode::Exclusive), err::kFileLocked);
    db.unlockTable("orders", LockMode::Exclusive);
    db.unlockTable("orders", LockMode::Exclusive);
    EXPECT_TRUE(db.isLocked("ORDERS"));  // the shared hold remains, downgraded
    EXPECT_EQ(ChildLock(dir.str(), "ORDERS", LockMode::Exclusive), err::kFileLocked);
    db.unlockTable("orders", LockMode::Shared);
    EXPECT_FALSE(db.isLocked("ORDERS"));
    EXPECT_EQ(ChildLock(dir.str(), "ORDERS", LockMode::Exclusive), 0);
    EXPECT_EQ(CodeOf([&] { db.unlockTable("orders", LockMode::Shared); }), err::kUnlockFailed);
}

TEST_F(DatabaseTest, ClosingReleasesLocks) {
    {
        Database db(session, "shop");
        db.lockTable("CUSTOMER", LockMode::Exclusive);
        EXPECT_EQ(ChildLock(dir.str(), "customer", LockMode::Exclusive), err::kFileLocked);
    }
    EXPECT_EQ(ChildLock(dir.str(), "customer", LockMode::Exclusive), 0);
    Database db(session, "shop");
    db.lockTable("CUSTOMER", LockMode::Exclusive);
    db.close();
    EXPECT_EQ(ChildLock(dir.str(), "customer", LockMode::Exclusive), 0);
    EXPECT_EQ(CodeOf([&] { db.lockTable("CUSTOMER", LockMode::Shared); }), err::kInvalidParam);
}

TEST_F(DatabaseTest, ReadOnlyHandleRefusesExclusiveLocks) {
    Database db(session, "shop", DatabaseAccess::ReadOnly);
    EXPECT_EQ(CodeOf([&] { db.lockTable("orders", LockMode::Exclusive); }), err::kTableReadOnly);
    EXPECT_EQ(CodeOf([&] { db.lockTable("orders", LockMode::Shared); }), 0);
}

}  // namespace
