// The database context and the password flow, driven only through the library's exports.
#include <thread>

#include "library_fixture.h"

namespace vortab::test {
namespace {

const std::vector<FieldSpecText> kFields = {{"Id", paradox::FLDINT32, 0, 0},
                                            {"Name", paradox::FLDZSTRING, 0, 20}};

int callbackCalls = 0;
std::vector<std::string> callbackAnswers;
const char* AnswerFromList(const char*) {
    static std::string answer;
    const std::size_t i = static_cast<std::size_t>(callbackCalls++);
    if (i >= callbackAnswers.size()) return nullptr;
    answer = callbackAnswers[i];
    return answer.c_str();
}

class DatabaseContextTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        callbackCalls = 0;
        callbackAnswers.clear();
    }
};

TEST_F(DatabaseContextTest, ExistsFieldOnPlainTables) {
    CreateTable(dir, "ORDERS.DB", kFields);
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"orders\", \"NAME\"), ERROR(0), ERROR(1))"), 0);
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"ORDERS.xyz\", \"Nope\"), ERROR(0), ERROR(1))"), 1);
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"MISSING\", \"Id\"), ERROR(0), ERROR(1))"), 10024);
}

TEST_F(DatabaseContextTest, PasswordGivenBeforehandNeverCallsTheCallback) {
    CreateTable(dir, "SECRET.DB", kFields, 0, "tiger7");
    binding.registerPswdCallback(AnswerFromList);
    binding.addPassword("tiger7");
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"SECRET\", \"Id\"), ERROR(0), ERROR(1))"), 0);
    EXPECT_EQ(callbackCalls, 0);
}

TEST_F(DatabaseContextTest, CallbackIsAskedUntilThePasswordFits) {
    CreateTable(dir, "VAULT.DB", kFields, 0, "lion42");
    callbackAnswers = {"wrong", "lion42"};
    binding.registerPswdCallback(AnswerFromList);
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"VAULT\", \"Id\"), ERROR(0), ERROR(1))"), 0);
    EXPECT_EQ(callbackCalls, 2);
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"VAULT\", \"Id\"), ERROR(0), ERROR(1))"), 0);
    EXPECT_EQ(callbackCalls, 2);  // remembered
}

TEST_F(DatabaseContextTest, NoCallbackOrGivingUpIs10498) {
    CreateTable(dir, "LOCKED.DB", kFields, 0, "bear99");
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"LOCKED\", \"Id\"), ERROR(0), ERROR(1))"), 10498);
    binding.registerPswdCallback(AnswerFromList);
    EXPECT_EQ(Exec("IF(EXISTS_FIELD(\"LOCKED\", \"Id\"), ERROR(0), ERROR(1))"), 10498);
    EXPECT_EQ(callbackCalls, 1);
}

TEST_F(DatabaseContextTest, UnknownDirectoryFailsAndClearsTheContext) {
    EXPECT_EQ(binding.execLine("/no/such/place", "PARADOX", "ERROR(0)"), 10018);
    EXPECT_EQ(Exec("ERROR(0)"), 0);
}

TEST_F(DatabaseContextTest, ThreadsWorkOnTheirOwnDatabases) {
    std::vector<fs::path> dirs;
    for (int i = 0; i < 8; ++i) {
        dirs.push_back(MakeScratchDir("thread"));
        CreateTable(dirs.back(), "T" + std::to_string(i) + ".DB", kFields);
    }
    std::vector<int> results(8, -100);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            const std::string line = "IF(EXISTS_FIELD(\"T" + std::to_string(i) +
                                     "\", \"Name\"), ERROR(" + std::to_string(i) + "), ERROR(99))";
            for (int round = 0; round < 20 && results[i] != 99; ++round)
                results[i] = binding.execLine(dirs[i].string().c_str(), "PARADOX", line.c_str());
        });
    }
    for (auto& t : threads) t.join();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(results[i], i);
    for (const auto& d : dirs) fs::remove_all(d);
}

}  // namespace
}  // namespace vortab::test
