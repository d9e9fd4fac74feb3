// A reader exporting a large table again and again while another process restructures it
// (a field added, then dropped, several times): every export is the old table whole or the
// new table whole, or a clear lock error; never a mix of the two, never a lost record.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "cli_process.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/table/table_writer.h"
#include "shared/vortab_api.h"
#include "test_support.h"

namespace {

constexpr int kRecords = 40000;
const std::string kOldHeader = "Id,Name,Amount,Memo";
const std::string kNewHeader = "Id,Name,Amount,Memo,Extra";

void BuildTable(const std::string& dir) {
    paradox::DescriptorBuilder b("BIG");
    b.field("Id", paradox::FLDINT32)
        .field("Name", paradox::FLDZSTRING, 0, 20)
        .field("Amount", paradox::FLDFLOAT, paradox::FLDSTMONEY)
        .field("Memo", paradox::FLDBLOB, paradox::FLDSTMEMO, 10)
        .option("LEVEL", "7");
    paradox::createTable(dir, b.descriptor(), {1, false});
    paradox::TableWriter w = paradox::TableWriter::open(dir, "BIG");
    for (int i = 1; i <= kRecords; ++i)
        w.insert({paradox::Value::integer(i), paradox::Value::text("name " + std::to_string(i)),
                  paradox::Value::number(i * 0.5), paradox::Value::text("memo text of record " + std::to_string(i))});
    w.commit();
}

// Runs the restructures in a child process; returns its pid.
pid_t StartRestructuring(const std::string& dir, int rounds) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (int i = 0; i < rounds; ++i) {
        if (vortabExecLine(dir.c_str(), "PARADOX", "FLD_ADD(\"BIG\", \"Extra\", FLDZSTRING, FLDSTDEFAULT, 10, 0)") != 0 ||
            vortabExecLine(dir.c_str(), "PARADOX", "FLD_DROP(\"BIG\", \"Extra\")") != 0)
            _exit(1);
    }
    _exit(0);
}

bool IsLockError(const std::string& err) {
    for (const char* code : {"10241", "10243", "10244", "10245", "10246", "10249", "11059"})
        if (err.find(code) != std::string::npos) return true;
    return false;
}

// Checks one whole export: a known header, every record in key order, every row as wide as the header.
void CheckWholeExport(const std::string& csv) {
    std::istringstream in(csv);
    std::string header, row;
    std::getline(in, header);
    if (!header.empty() && header.back() == '\r') header.pop_back();
    ASSERT_TRUE(header == kOldHeader || header == kNewHeader) << header;
    const auto commas = std::count(header.begin(), header.end(), ',');
    int expectedId = 1;
    while (std::getline(in, row)) {
        ASSERT_EQ(std::count(row.begin(), row.end(), ','), commas) << row;
        ASSERT_EQ(row.substr(0, row.find(',')), std::to_string(expectedId)) << row;
        ASSERT_NE(row.find("memo text of record " + std::to_string(expectedId)), std::string::npos) << row;
        ++expectedId;
    }
    ASSERT_EQ(expectedId - 1, kRecords);
}

TEST(ReaderDuringRestructure, EveryExportIsOneTableWhole) {
    paradox_test::ScratchDir dir;
    BuildTable(dir.str());
    const pid_t writer = StartRestructuring(dir.str(), 4);
    int whole = 0, locked = 0, status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0) {
        const auto r = cli_test::RunVortab({"export", dir.str(), "BIG", "--format", "csv"});
        if (r.exitCode == 0) {
            CheckWholeExport(r.out);
            ++whole;
        } else {
            EXPECT_TRUE(IsLockError(r.err)) << r.exitCode << " " << r.err;
            ++locked;
        }
        if (HasFatalFailure()) {
            kill(writer, SIGKILL);
            waitpid(writer, &status, 0);
            return;
        }
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the restructures failed";
    const auto last = cli_test::RunVortab({"export", dir.str(), "BIG", "--format", "csv"});
    ASSERT_EQ(last.exitCode, 0) << last.err;
    CheckWholeExport(last.out);
    EXPECT_GT(whole, 0);
    RecordProperty("whole_exports", whole);
    RecordProperty("lock_errors", locked);
}

}  // namespace
