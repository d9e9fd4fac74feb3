// Aliases from the INI file: where the file is looked for, names without regard to case,
// PATH with '/' separators, other parameters kept.
#include <gtest/gtest.h>

#include <cstdlib>

#include "meta_fixtures.h"
#include "paradox/session/alias_list.h"

using namespace paradox;

namespace {

// Sets or clears environment variables for one test and restores them afterwards.
class EnvGuard {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~EnvGuard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(AliasList, FileLocationFromEnvironment) {
    struct Case {
        const char* aliases;
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/etc/my-aliases.ini", "/x", "/h", "/etc/my-aliases.ini"},
        {nullptr, "/x", "/h", "/x/vortab/aliases.ini"},
        {"", "", "/h", "/h/.config/vortab/aliases.ini"},
        {nullptr, nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        EnvGuard env;
        env.set("VORTAB_ALIASES", c.aliases);
        env.set("XDG_CONFIG_HOME", c.xdg);
        env.set("HOME", c.home);
        EXPECT_EQ(AliasList::DefaultFile(), c.expected);
    }
}

TEST(AliasList, SectionsBecomeAliases) {
    AliasList list = AliasList::FromIni(
        "[DBDEMOS]\nTYPE=standard\nPATH=C:\\Program Files\\Demos\\\nDEFAULT DRIVER=PARADOX\n"
        "[work]\npath=/srv/work\n"
        "[Remote]\nTYPE=INTRBASE\nSERVER NAME=host:/db.gdb\n");
    ASSERT_EQ(list.all().size(), 3u);
    const Alias* demos = list.find("dbdemos");
    ASSERT_NE(demos, nullptr);
    EXPECT_EQ(demos->name, "DBDEMOS");
    EXPECT_EQ(demos->type, "STANDARD");
    EXPECT_EQ(demos->path(), "C:/Program Files/Demos/");
    EXPECT_EQ(demos->params, (std::vector<std::pair<std::string, std::string>>{
                                 {"PATH", "C:/Program Files/Demos/"}, {"DEFAULT DRIVER", "PARADOX"}}));
    const Alias* work = list.find("WORK");
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->type, "STANDARD");  // TYPE defaults to a Paradox directory
    EXPECT_EQ(work->path(), "/srv/work");
    EXPECT_EQ(list.find("remote")->type, "INTRBASE");
    EXPECT_EQ(list.find("remote")->path(), "");
    EXPECT_EQ(list.find("nope"), nullptr);
}

TEST(AliasList, LoadReadsTheFileAndMissingFileHasNoAliases) {
    meta_test::ScratchDir dir;
    EXPECT_TRUE(AliasList::Load(dir.file("aliases.ini")).all().empty());
    EXPECT_TRUE(AliasList::Load("").all().empty());
    meta_test::WriteText(dir.file("aliases.ini"), "[Shop]\nTYPE=STANDARD\nPATH=" + dir.str() + "\n");
    AliasList list = AliasList::Load(dir.file("aliases.ini"));
    ASSERT_NE(list.find("SHOP"), nullptr);
    EXPECT_EQ(list.find("shop")->path(), dir.str());
}

}  // namespace
