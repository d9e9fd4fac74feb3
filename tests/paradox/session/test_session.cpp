// Sessions: start/stop counting, databases from aliases, directory resolution, the password
// list and the password event (retry, abort, and no endless asking).
#include <gtest/gtest.h>

#include <thread>

#include "engine_call_support.h"
#include "meta_fixtures.h"
#include "paradox/session/session.h"
#include "paradox/storage/engine_error.h"

using namespace paradox;
using meta_test::CodeOf;

namespace {

// A stand-in checksum with the table format's promise: 0 only for the empty password.
std::uint32_t FakeChecksum(std::string_view p) {
    if (p.empty()) return 0;
    std::uint32_t h = 2166136261u;
    for (unsigned char c : p) h = (h ^ c) * 16777619u;
    return h | 0x00010000u;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        meta_test::WriteText(dir.file("data.db"), "x");
        meta_test::WriteText(dir.file("aliases.ini"),
                             "[Shop]\nTYPE=STANDARD\nPATH=" + dir.str() + "\n"
                             "[FileAlias]\nPATH=" + dir.file("data.db") + "\n"
                             "[Rooted]\nPATH=/vortab-root-file\n"
                             "[Win]\nPATH=C:\\Data\\Shop\n");
    }
    meta_test::ScratchDir dir;
    Session session{FakeChecksum, dir.file("aliases.ini")};
};

TEST_F(SessionTest, StartsAreCountedAndGateDatabaseListing) {
    EXPECT_FALSE(session.started());
    EXPECT_EQ(CodeOf([&] { session.listDatabases(); }), session_err::kNotInitialized);
    session.start();
    session.start();
    session.stop();
    EXPECT_TRUE(session.started());
    EXPECT_EQ(session.listDatabases().size(), 4u);
    session.stop();
    EXPECT_FALSE(session.started());
    EXPECT_FALSE(session.isAlias("shop"));  // aliases are forgotten at the last stop
    session.stop();                          // an extra stop is harmless
    EXPECT_FALSE(session.started());
}

TEST_F(SessionTest, DatabasesAreTheAliases) {
    session.start();
    auto dbs = session.listDatabases();
    ASSERT_EQ(dbs.size(), 4u);
    EXPECT_EQ(dbs[0].name, "Shop");
    EXPECT_EQ(dbs[0].type, "STANDARD");
    EXPECT_EQ(dbs[0].path, dir.str());
    EXPECT_EQ(dbs[3].path, "C:/Data/Shop");
    EXPECT_TRUE(session.isAlias("SHOP"));
    EXPECT_FALSE(session.isAlias(dir.str()));
    auto params = session.aliasParams("shop");
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0], (std::pair<std::string, std::string>("PATH", dir.str())));
    EXPECT_EQ(CodeOf([&] { session.aliasParams("nope"); }), session_err::kUnknownDatabase);
}

TEST_F(SessionTest, ResolvingDatabaseDirectories) {
    session.start();
    EXPECT_EQ(session.resolveDatabaseDirectory("shop"), dir.str());
    EXPECT_EQ(session.resolveDatabaseDirectory("FileAlias"), dir.str());  // PATH names a file
    EXPECT_EQ(session.resolveDatabaseDirectory("/some/dir"), "/some/dir");  // not an alias
    EXPECT_EQ(session.resolveDatabaseDirectory("Win"), "C:/Data/Shop");
}

TEST_F(SessionTest, AliasFileChangesAreSeenOnReload) {
    session.start();
    meta_test::WriteText(dir.file("aliases.ini"), "[Other]\nPATH=/tmp\n");
    EXPECT_TRUE(session.isAlias("shop"));
    session.reloadAliases();
    EXPECT_FALSE(session.isAlias("shop"));
    EXPECT_TRUE(session.isAlias("other"));
}

TEST_F(SessionTest, KnownPasswordsNeedNoEvent) {
    int asked = 0;
    session.setPasswordEvent([&](const std::string&) { ++asked; return PasswordReply::Abort; });
    EXPECT_TRUE(session.addPassword("secret"));
    EXPECT_FALSE(session.addPassword("secret"));
    EXPECT_FALSE(session.addPassword(""));
    EXPECT_EQ(session.requirePassword("T", FakeChecksum("secret")), "secret");
    EXPECT_EQ(session.requirePassword("T", 0), "");
    EXPECT_EQ(asked, 0);
}

TEST_F(SessionTest, EventRetriesUntilTheRightPasswordIsGiven) {
    std::vector<std::string> answers = {"wrong", "right"};
    std::vector<std::string> tables;
    session.setPasswordEvent([&](const std::string& table) {
        tables.push_back(table);
        session.addPassword(answers[tables.size() - 1]);
        return PasswordReply::Retry;
    });
    EXPECT_EQ(session.requirePassword("ORDERS", FakeChecksum("right")), "right");
    EXPECT_EQ(tables, (std::vector<std::string>{"ORDERS", "ORDERS"}));
    EXPECT_EQ(session.requirePassword("ORDERS", FakeChecksum("right")), "right");  // remembered
    EXPECT_EQ(tables.size(), 2u);
}

TEST_F(SessionTest, EventFailuresGive10498) {
    struct Case {
        const char* what;
        PasswordEvent event;
    };
    int calls = 0;
    const Case cases[] = {
        {"no event", nullptr},
        {"answers no", [&](const std::string&) { ++calls; return PasswordReply::Abort; }},
        {"retry without a new password", [&](const std::string&) { ++calls; return PasswordReply::Retry; }},
        {"retry with the same wrong password",
         [&](const std::string&) { ++calls; session.addPassword("nope"); return PasswordReply::Retry; }},
    };
    for (const auto& c : cases) {
        calls = 0;
        session.setPasswordEvent(c.event);
        EXPECT_EQ(CodeOf([&] { session.requirePassword("T", FakeChecksum("unknown")); }),
                  err::kNotSufficientTableRights)
            << c.what;
        EXPECT_LE(calls, 2) << c.what;
    }
}

TEST(PasswordList, UniqueByChecksumInOrder) {
    PasswordList list(FakeChecksum);
    EXPECT_TRUE(list.add("b"));
    EXPECT_TRUE(list.add("a"));
    EXPECT_FALSE(list.add("b"));
    EXPECT_FALSE(list.add(""));
    EXPECT_EQ(list.all(), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(list.knows(FakeChecksum("a")));
    EXPECT_FALSE(list.knows(0));
    EXPECT_EQ(list.find(FakeChecksum("zz")), std::nullopt);
}

TEST(PasswordList, ConcurrentAddsKeepOneEntryPerChecksum) {
    PasswordList list(FakeChecksum);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) list.add("pw" + std::to_string(i % 50));
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(list.size(), 50u);
}

}  // namespace
