// Loads the built libvortab.so as any application would and drives it only through its
// exports.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "editor/runner/library_binding.h"
#include "editor/runner/status_messages.h"

namespace vortab {
namespace {

const std::string kLibraryDir = std::string(VORTAB_BUILD_DIR) + "/library";

class LibraryAbi : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(binding.BindLibrary(kLibraryDir), 0); }
    void TearDown() override { binding.ReleaseLibrary(); }
    LibraryBinding binding;
};

TEST_F(LibraryAbi, CheckSyntaxStatuses) {
    EXPECT_EQ(binding.checkSyntax("PARADOX", "ERROR(5)"), 0);
    EXPECT_EQ(binding.checkSyntax("Paradox", "ERROR(5)"), 10);
    EXPECT_EQ(binding.checkSyntax(nullptr, "ERROR(5)"), 10);
    EXPECT_EQ(binding.checkSyntax("PARADOX", "1+2"), 9);
    EXPECT_EQ(binding.checkSyntax("PARADOX", ""), 9);
    EXPECT_EQ(binding.checkSyntax("PARADOX", nullptr), 9);
    EXPECT_EQ(binding.checkSyntax("PARADOX", "IF(TRUE, ERROR(XPR), ERROR(0))"), 11);
    EXPECT_EQ(binding.checkSyntax("PARADOX", "ERROR(1"), 6);
    EXPECT_EQ(binding.checkSyntax("PARADOX", "if(true,error(1),error(2))"), 0);
}

TEST_F(LibraryAbi, ExecLineRunsCommandsAgainstADirectory) {
    const std::string dir = ::testing::TempDir();
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX", "ERROR(5)"), 5);
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX", "IF(FALSE, ERROR(1), ERROR(2))"), 2);
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX", "ERROR(2.5)"), 2);  // ties to even
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX", "ERROR(1/0)"), 103);
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX", "1+2"), 9);
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX ", "ERROR(5)"), 10);
    EXPECT_EQ(binding.execLine("/no/such/directory", "PARADOX", "ERROR(5)"), 10018);
    EXPECT_EQ(binding.execLine(dir.c_str(), "PARADOX", "ERROR(-1)"), -1);
}

TEST_F(LibraryAbi, ChainThroughTheInformationBlock) {
    const LibraryInfo* info = binding.getInfo("");
    ASSERT_NE(info, nullptr);
    std::uint16_t version = 0;
    std::memcpy(&version, info, sizeof version);
    EXPECT_EQ(version, 6);
    const IdentifierEntry* head = nullptr;
    std::memcpy(&head, reinterpret_cast<const char*>(info) + 2, sizeof head);
    ASSERT_NE(head, nullptr);
    EXPECT_STREQ(head->name, "DAYTEXT");
    int count = 0;
    for (const IdentifierEntry* e = head; e; e = e->next) {
        std::uint32_t sum = 0;
        for (const char* c = e->name; *c; ++c) sum += static_cast<unsigned char>(*c);
        EXPECT_EQ(e->hash, sum);
        ++count;
    }
    EXPECT_EQ(count, 99);
}

TEST_F(LibraryAbi, PasswordCallbackExchange) {
    auto callback = +[](const char*) -> const char* { return nullptr; };
    EXPECT_EQ(binding.registerPswdCallback(callback), nullptr);
    EXPECT_EQ(binding.registerPswdCallback(nullptr), callback);
    binding.addPassword(nullptr);
    binding.addPassword("");
    binding.addPassword("secret");
}

TEST(LibraryBinding, UseCountAndMissingLibrary) {
    LibraryBinding binding;
    EXPECT_EQ(binding.BindLibrary("/no/such/dir"), 999);
    EXPECT_FALSE(binding.loaded());
    ASSERT_EQ(binding.BindLibrary(kLibraryDir), 0);
    ASSERT_EQ(binding.BindLibrary(kLibraryDir), 0);
    binding.ReleaseLibrary();
    EXPECT_TRUE(binding.loaded());
    binding.ReleaseLibrary();
    EXPECT_FALSE(binding.loaded());
    EXPECT_THROW(binding.OpenLibraryInfo("/no/such/dir"), std::runtime_error);
}

TEST(StatusMessages, Texts) {
    EXPECT_EQ(StatusMessage(0), "Success");
    EXPECT_EQ(StatusMessage(-1), "Success - Database already updated");
    EXPECT_EQ(StatusMessage(-7), "Unknown error (-7)");
    EXPECT_EQ(StatusMessage(99), "Error in parsing command: Unknown error (99)");
    EXPECT_EQ(StatusMessage(5), "Error in parsing command: \"(\" expected");
    EXPECT_EQ(StatusMessage(100), "Error in executing command: Unknown error (100)");
    EXPECT_EQ(StatusMessage(2000), "Error in executing command: Unknown error (2000)");
    EXPECT_EQ(StatusMessage(10024), "Error in executing command: Table does not exist");
}

}  // namespace
}  // namespace vortab
