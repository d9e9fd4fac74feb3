// A master of two dependents (A <- B <- C, B protected) changes a field while the process is
// stopped at every durable step in turn. After each stop the next run of the same line through
// the library restores the dependents' links first (a run that lacks B's password gets 10498 and
// the journal waits), and then every link is back, every record intact and no journal is left.
// A damaged journal is never acted on and the read-only tools warn about it.
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli_process.h"
#include "crash_harness.h"
#include "library_fixture.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_journal.h"
#include "paradox/format/val_file.h"

namespace vortab::test {
namespace {

const std::string kPassword = "B-Secret-7";
const std::string kChange = "FLD_ADD(\"A\", \"Extra\", FLDZSTRING, FLDSTDEFAULT, 8, 0)";

std::vector<std::string> DependentLinks(const std::string& dir, const std::string& table) {
    std::vector<std::string> names;
    if (const auto val = paradox::ReadValFile(dir, table))
        for (const auto& link : val->links)
            if (link.kind == static_cast<std::uint32_t>(paradox::LinkKind::Dependent))
                names.push_back(std::string(link.name) + "->" + link.otherTable);
    return names;
}

void AddSecondaryIndex(const std::string& dir, const std::string& table, std::uint16_t field) {
    paradox::IndexDescriptor d{};
    std::strncpy(d.name, "Up", sizeof d.name - 1);
    d.maintained = 1;
    d.keyFieldCount = 1;
    d.keyFields[0] = field;
    paradox::AddIndex(dir, table, d);
}

void Insert(const std::string& dir, const std::string& table, int from, int count, int step) {
    auto writer = paradox::TableWriter::open(dir, table);
    for (int i = from; i < from + count; ++i)
        writer.insert({paradox::Value::integer(i), paradox::Value::integer(i / step)});
    writer.commit();
}

// Each table's records as text, in key order.
std::string Records(const std::string& dir) {
    paradox::OpenOptions options;
    options.passwords = {kPassword};
    std::ostringstream out;
    for (const char* table : {"A.DB", "B.DB", "C.DB"})
        for (const auto& row : paradox::Table::open(dir, table, options).readAll()) {
            out << table;
            for (std::size_t f = 0; f < 2; ++f) out << " " << row[f].asInt();
            out << "\n";
        }
    return out.str();
}

std::vector<std::string> JournalFiles(const std::string& dir) {
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().starts_with(".vortab-links")) left.push_back(e.path().filename().string());
    return left;
}

class SuspendedLinks : public LibraryTest {
protected:
    int ExecIn(const std::string& d, const std::string& line) {
        return binding.execLine(d.c_str(), "PARADOX", line.c_str());
    }

    // A: 40 records; B: 200 naming A; C: 400 naming B; B protected.
    void Build(const std::string& d) {
        CreateTable(d, "A.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Up", paradox::FLDINT32, 0, 0}}, 1);
        CreateTable(d, "B.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Up", paradox::FLDINT32, 0, 0}}, 1);
        CreateTable(d, "C.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Up", paradox::FLDINT32, 0, 0}}, 1);
        Insert(d, "A.DB", 0, 40, 1);
        Insert(d, "B.DB", 0, 200, 5);
        Insert(d, "C.DB", 0, 400, 2);
        AddSecondaryIndex(d, "B.DB", 2);
        AddSecondaryIndex(d, "C.DB", 2);
        ASSERT_EQ(ExecIn(d, "RI_ADD(\"B\", \"Up\", \"A\", \"Id\", \"ToA\", CASCADE)"), 0);
        ASSERT_EQ(ExecIn(d, "RI_ADD(\"C\", \"Up\", \"B\", \"Id\", \"ToB\", RESTRICT)"), 0);
        ASSERT_EQ(ExecIn(d, "TBL_SETATTR(\"B\", PASSWORD, \"" + kPassword + "\")"), 0);
    }
};

TEST_F(SuspendedLinks, AStopAtAnyStepOfAMasterChangeIsMendedByTheNextRun) {
    std::string records;
    int leftJournals = 0;
    const auto outcome = paradox_test::KillAtEveryStep(
        [&](const std::string& d) {
            Build(d);
            if (records.empty()) records = Records(d);
        },
        [&](const std::string& d) {
            if (const int code = ExecIn(d, kChange); code != 0) throw std::runtime_error(std::to_string(code));
        },
        [&](const std::string& d, std::uint32_t step) {
            paradox::LinkJournal journal;
            const bool bDropped = step != 0 && paradox::InspectLinkJournal(d) == paradox::LinkJournalState::Left &&
                                  paradox::PeekLinkJournal(d, journal) && journal.tables.at(0).table == "B.DB" &&
                                  journal.tables[0].links.at(0).dropped;
            if (bDropped) {
                ++leftJournals;
                // A fresh process without B's password cannot restore B's link: it says so and keeps the journal.
                const auto info = cli_test::RunVortab({"info", d, "A"});
                EXPECT_NE(info.err.find("suspended by an interrupted change"), std::string::npos) << info.err;
                const auto run = cli_test::RunVortab({"exec", d, kChange});
                EXPECT_EQ(run.out.substr(0, 6), "10498 ") << "step " << step << ": " << run.out << run.err;
                EXPECT_EQ(paradox::InspectLinkJournal(d), paradox::LinkJournalState::Left) << "step " << step;
            }
            if (step != 0) {
                const int code = ExecIn(d, kChange);
                EXPECT_TRUE(code == 0 || code == -1) << "step " << step << ": " << code;
            }
            EXPECT_EQ(DependentLinks(d, "B.DB"), std::vector<std::string>{"ToA->A.DB"}) << "step " << step;
            EXPECT_EQ(DependentLinks(d, "C.DB"), std::vector<std::string>{"ToB->B.DB"}) << "step " << step;
            EXPECT_EQ(Records(d), records) << "step " << step;
            EXPECT_EQ(paradox::Table::open(d, "A.DB").properties().fieldCount, 3u) << "step " << step;
            EXPECT_EQ(JournalFiles(d), std::vector<std::string>{}) << "step " << step;
        });
    EXPECT_TRUE(outcome.completed);
    EXPECT_GT(leftJournals, 4) << "no stop fell between the suspend and the restore";
    std::printf("%u stops, %d of them with B's link left suspended\n", outcome.stops, leftJournals);
}

// A journal whose changed master was deleted since: the link to it is let go, the others come
// back, and the database is not blocked.
TEST_F(SuspendedLinks, ALinkWhoseMasterIsGoneIsLetGo) {
    const std::string d = dir.string();
    Build(d);
    const auto dependentLink = [&](const char* table) {
        const auto val = paradox::ReadValFile(d, table);
        for (const auto& link : val->links)
            if (link.kind == static_cast<std::uint32_t>(paradox::LinkKind::Dependent)) return link;
        throw std::runtime_error("no link");
    };
    paradox::LinkJournal journal{"A.DB", {{"B.DB", 0, {{dependentLink("B.DB"), true}}},
                                          {"C.DB", 0, {{dependentLink("C.DB"), true}}}}};
    binding.addPassword(kPassword.c_str());
    ASSERT_EQ(ExecIn(d, "RI_DROP(\"C\", \"ToB\")"), 0);
    ASSERT_EQ(ExecIn(d, "RI_DROP(\"B\", \"ToA\")"), 0);
    ASSERT_EQ(ExecIn(d, "TBL_DROP(\"A\")"), 0);
    std::ofstream(d + "/.vortab-links", std::ios::binary) << paradox::EncodeLinkJournal(journal);

    EXPECT_EQ(ExecIn(d, "ERROR(0)"), 0);
    EXPECT_EQ(DependentLinks(d, "B.DB"), std::vector<std::string>{});
    EXPECT_EQ(DependentLinks(d, "C.DB"), std::vector<std::string>{"ToB->B.DB"});
    EXPECT_EQ(JournalFiles(d), std::vector<std::string>{});
}

// A script with no step left to run still restores the links a killed change left suspended.
TEST_F(SuspendedLinks, AnUpToDateApplyStillRestoresThem) {
    const std::string d = dir.string();
    Build(d);
    const std::string script = d + "/upgrade.txt";
    std::ofstream(script) << kChange << "\r\n";
    ASSERT_EQ(cli_test::RunVortab({"apply", script, d, "--password", kPassword}).exitCode, 0);
    // Another change of A, stopped at the first step that leaves B's link dropped.
    const auto linkLeftDropped = [&] {
        return paradox::InspectLinkJournal(d) == paradox::LinkJournalState::Left && DependentLinks(d, "B.DB").empty();
    };
    for (int step = 1; !linkLeftDropped(); ++step) {
        ASSERT_LT(step, 60) << "no stop left a link suspended";
        setenv("VORTAB_FAULT_STEP", std::to_string(step).c_str(), 1);
        cli_test::RunVortab({"exec", d, "FLD_ADD(\"A\", \"More\", FLDINT32, FLDSTDEFAULT, 0, 0)", "--password", kPassword});
        unsetenv("VORTAB_FAULT_STEP");
    }
    const auto run = cli_test::RunVortab({"apply", script, d, "--password", kPassword});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(DependentLinks(d, "B.DB"), std::vector<std::string>{"ToA->A.DB"});
    EXPECT_EQ(DependentLinks(d, "C.DB"), std::vector<std::string>{"ToB->B.DB"});
    EXPECT_EQ(JournalFiles(d), std::vector<std::string>{});
}

// A restore the tables refuse for good (the master's key was widened, the dependent's field was
// not) fails the line as it did, and leaves no journal to block the lines that mend it.
TEST_F(SuspendedLinks, ALinkRefusedForGoodDoesNotBlockTheDatabase) {
    const std::string d = dir.string();
    CreateTable(d, "M.DB", {{"Code", paradox::FLDZSTRING, 0, 4}}, 1);
    CreateTable(d, "D.DB", {{"Id", paradox::FLDINT32, 0, 0}, {"Code", paradox::FLDZSTRING, 0, 4}}, 1);
    AddSecondaryIndex(d, "D.DB", 2);
    ASSERT_EQ(ExecIn(d, "RI_ADD(\"D\", \"Code\", \"M\", \"Code\", \"ToM\", RESTRICT)"), 0);
    EXPECT_EQ(ExecIn(d, "FLD_CHANGE(\"M\", \"Code\", \"Code\", FLDNOCHANGE, FLDSTNOCHANGE, 8, -1)"), 9995);
    EXPECT_EQ(JournalFiles(d), std::vector<std::string>{});
    EXPECT_EQ(ExecIn(d, "FLD_CHANGE(\"D\", \"Code\", \"Code\", FLDNOCHANGE, FLDSTNOCHANGE, 8, -1)"), 0);
}

TEST_F(SuspendedLinks, ADamagedJournalIsReportedAndNeverActedOn) {
    const std::string d = dir.string();
    Build(d);
    ASSERT_EQ(ExecIn(d, "RI_DROP(\"C\", \"ToB\")"), 0);
    // A journal naming the dropped link, with one byte changed after it was written.
    paradox::LinkJournal journal{"B.DB", {{"C.DB", 0, {{paradox::RILinkDescriptor{}, true}}}}};
    std::string bytes = paradox::EncodeLinkJournal(journal);
    bytes[bytes.find("C.DB")] = 'D';
    std::ofstream(d + "/.vortab-links", std::ios::binary) << bytes;

    EXPECT_EQ(ExecIn(d, kChange), 8962);
    EXPECT_EQ(ExecIn(d, "RI_DROP(\"B\", \"ToA\")"), 8962);
    std::ifstream in(d + "/.vortab-links", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
    EXPECT_EQ(DependentLinks(d, "B.DB"), std::vector<std::string>{"ToA->A.DB"});
    EXPECT_EQ(DependentLinks(d, "C.DB"), std::vector<std::string>{});
    const auto status = cli_test::RunVortab({"info", d, "A", "--json"});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_NE(status.err.find("is damaged"), std::string::npos) << status.err;
}

}  // namespace
}  // namespace vortab::test
