// The structure model read from tables made with the engine in a scratch directory: chosen tables
// bring their masters, masters come first, names match without case and extension, and a master
// that is gone does not stop the read. Ordering also on hand-made models with cycles.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/dbinfo/structure_model.h"
#include "paradox/api/engine_error.h"
#include "model_builder.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_ops.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/table/table_writer.h"

namespace {

using namespace vortab::dbinfo;
namespace fs = std::filesystem;

class CountingProgress : public Progress {
public:
    void StartProgress(const std::string& caption, int total) override { started.push_back(caption + " " + std::to_string(total)); }
    void StepProgress() override { ++steps; }
    void EndProgress() override { ++ended; }
    std::vector<std::string> started;
    int steps = 0, ended = 0;
};

class StructureModel : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("dbinfo-model-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Master(const std::string& name) {
        paradox::DescriptorBuilder b(name);
        b.field("Id", paradox::FLDINT32).field("Label", paradox::FLDZSTRING, 0, 10);
        paradox::createTable(dir(), b.descriptor(), {1, false});
    }
    void Dependent(const std::string& name, const std::vector<std::string>& masters) {
        paradox::DescriptorBuilder b(name);
        b.field("No", paradox::FLDINT32);
        for (const std::string& m : masters) b.field(m + "Id", paradox::FLDINT32);
        paradox::createTable(dir(), b.descriptor(), {1, false});
        for (std::size_t i = 0; i < masters.size(); ++i) {
            paradox::AddIndex(dir(), name, dbinfo_test::Index<paradox::IndexDescriptor>(masters[i] + "Id", {static_cast<int>(i + 2)}));
            paradox::AddLink(dir(), name,
                             dbinfo_test::Link<paradox::RILinkDescriptor>("To" + masters[i], paradox::LinkKind::Dependent, masters[i] + ".DB",
                                               {static_cast<int>(i + 2)}, {1}));
        }
    }
    std::string dir() const { return dir_.string(); }
    static std::vector<std::string> Names(const tdatabase_Structure& model) {
        std::vector<std::string> names;
        for (const auto& t : model.tables) names.push_back(t->name());
        return names;
    }

    fs::path dir_;
    dbinfo_test::CommandChain chain_;
};

TEST_F(StructureModel, ChosenTableBringsItsMastersFirst) {
    Master("MA");
    Master("MB");
    Dependent("DEP", {"MA", "MB"});
    Master("OTHER");
    CountingProgress progress;
    const auto model = LoadDatabase(dir(), {"dep.db"}, chain_.head(), progress);
    EXPECT_EQ(Names(*model), (std::vector<std::string>{"MB", "MA", "DEP"}));
    EXPECT_EQ(progress.started, std::vector<std::string>{"retrieving database info 1"});
    EXPECT_EQ(progress.ended, 1);
    const tTbl_Structure* dep = model->FindTable("Dep.Db");
    ASSERT_NE(dep, nullptr);
    EXPECT_EQ(dep->fields.size(), 3u);
    EXPECT_EQ(OriginalPosition(dep->fields[2]), 3);
    EXPECT_EQ(dep->indexes.size(), 3u);
    EXPECT_EQ(dep->LinksOfKind(vortab::LinkKind::Dependent).size(), 2u);
    EXPECT_EQ(dep->FieldPosition("maid"), 2);
    EXPECT_EQ(dep->FieldPosition("nothing"), -1);
    EXPECT_THROW(dep->FieldNameByNumber(4), GenerationError);
    EXPECT_EQ(model->FindTable("MA")->LinksOfKind(vortab::LinkKind::Master).size(), 1u);

    EXPECT_EQ(LoadDatabase(dir(), {}, chain_.head(), progress)->tables.size(), 4u);
    EXPECT_TRUE(LoadDatabase(dir(), {}, nullptr, progress)->tables.empty());  // no library: nothing read
}

TEST_F(StructureModel, EmptyDatabaseShowsNoProgress) {
    CountingProgress progress;
    EXPECT_TRUE(LoadDatabase(dir(), {}, chain_.head(), progress)->tables.empty());
    EXPECT_TRUE(progress.started.empty());
}

TEST_F(StructureModel, AMasterThatIsGoneIsRecordedNotFatal) {
    Master("MA");
    Dependent("DEP", {"MA"});
    for (const auto& entry : fs::directory_iterator(dir_))
        if (entry.path().stem() == "MA") fs::remove(entry.path());
    NoProgress progress;
    const auto model = LoadDatabase(dir(), {"DEP"}, chain_.head(), progress);
    ASSERT_EQ(model->tables.size(), 1u);
    EXPECT_EQ(model->tables[0]->missingMasters, std::vector<std::string>{"MA.DB"});
}

// A damaged master ends the editor's load with the engine's error naming the file; a reader that
// collects failures notes it once (whether listed or reached through a link), reads the rest, and
// treats the link as one to a master outside the database.
TEST_F(StructureModel, ADamagedTableEndsTheLoadUnlessFailuresAreCollected) {
    Master("MA");
    Dependent("DEP", {"MA"});
    Master("OTHER");
    fs::resize_file(dir_ / "MA.DB", 100);
    NoProgress progress;
    try {
        LoadDatabase(dir(), {"DEP"}, chain_.head(), progress);
        ADD_FAILURE() << "the load went on";
    } catch (const paradox::api::EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("MA.DB"), std::string::npos) << e.what();
    }
    for (const std::vector<std::string>& chosen : {std::vector<std::string>{"DEP"}, std::vector<std::string>{}}) {
        const auto model = LoadDatabase(dir(), chosen, chain_.head(), progress, "PARADOX", UnreadTables::Collect);
        ASSERT_EQ(model->unread.size(), 1u);
        EXPECT_NE(model->FindUnread("ma"), nullptr);
        EXPECT_NE(model->unread[0].code, 0);
        EXPECT_EQ(model->FindTable("DEP")->missingMasters, std::vector<std::string>{"MA.DB"});
        EXPECT_EQ(model->tables.size(), chosen.empty() ? 2u : 1u);
    }
}

TEST(SortByDependencies, SelfLinksAndCyclesEndAndKeepOutsideMastersFirst) {
    dbinfo_test::CommandChain chain;
    tdatabase_Structure model(chain.head());
    for (const char* name : {"Self", "CycA", "CycB", "Base"}) dbinfo_test::AddTable(model, name, {{"Id", vortab::FLDINT32}});
    auto& self = *model.tables[0];
    auto& a = *model.tables[1];
    auto& b = *model.tables[2];
    auto& base = *model.tables[3];
    self.DependsOnList = {&self, &a};
    a.DependsOnList = {&b, &base};
    b.DependsOnList = {&a};
    EXPECT_TRUE(self.DependsOn(base));
    EXPECT_FALSE(base.DependsOn(self));
    model.SortByDependencies();
    EXPECT_EQ((std::vector<std::string>{model.tables[0]->name(), model.tables[1]->name(), model.tables[2]->name(),
                                        model.tables[3]->name()}),
              (std::vector<std::string>{"Base", "CycB", "CycA", "Self"}));
}

}  // namespace
