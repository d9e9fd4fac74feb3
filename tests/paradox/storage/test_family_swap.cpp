// Crash-safe family replacement: commit replaces, creates and removes files as one step; an
// abandoned swap changes nothing; the recovery record rejects torn or altered bytes; recovery
// completes a decided swap, cleans a dead one and leaves a live one alone; and a child process
// stopped at every step leaves a family that is entirely old or entirely new.
#include <gtest/gtest.h>

#include <map>

#include "crash_harness.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/fault_injection.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::CrashOutcome;
using paradox_test::KillAtEveryStep;
using paradox_test::ScratchDir;
namespace fs = std::filesystem;

namespace {

using Snapshot = std::map<std::string, std::string>;  // file name -> contents

std::string ReadText(const fs::path& p) {
    const auto b = paradox_test::ReadBytes(p);
    return std::string(b.begin(), b.end());
}

void WriteText(const fs::path& p, const std::string& s) {
    paradox_test::WriteBytes(p, std::vector<unsigned char>(s.begin(), s.end()));
}

Snapshot Take(const fs::path& dir) {
    Snapshot s;
    for (const auto& e : fs::directory_iterator(dir)) s[e.path().filename().string()] = ReadText(e.path());
    return s;
}

void Put(File& f, const std::string& s) { f.writeAt(0, s.data(), s.size()); }

const Snapshot kOld = {{"T.DB", "old db"}, {"T.PX", "old px"}, {"T.X02", "old x02"}};
const Snapshot kNew = {{"T.DB", "new db"}, {"T.PX", "new px"}, {"T.MB", "new mb"}};

void MakeOld(const fs::path& dir) {
    for (const auto& [n, c] : kOld) WriteText(dir / n, c);
}

// The swap from kOld to kNew: two replacements, one new file, one removal.
void SwapToNew(const std::string& dir) {
    FamilySwap swap(dir, "T");
    Put(swap.stage("T.DB"), "new db");
    Put(swap.stage("T.PX"), "new px");
    Put(swap.stage("T.MB"), "new mb");
    swap.remove("T.X02");
    swap.commit();
}

TEST(FamilySwap, CommitReplacesCreatesAndRemovesTogether) {
    ScratchDir d;
    MakeOld(d.path());
    SwapToNew(d.str());
    EXPECT_EQ(Take(d.path()), kNew);  // no staged file, record or owner file remains
}

TEST(FamilySwap, AbandonedSwapChangesNothing) {
    ScratchDir d;
    MakeOld(d.path());
    {
        FamilySwap swap(d.str(), "T");
        Put(swap.stage("T.DB"), "new db");
        swap.remove("T.PX");
    }
    EXPECT_EQ(Take(d.path()), kOld);
}

TEST(FamilySwap, RefusesTargetsTwiceAndNamesOutsideTheDirectory) {
    ScratchDir d;
    FamilySwap swap(d.str(), "T");
    swap.stage("T.DB");
    for (const std::string& bad : std::vector<std::string>{"t.db", "../T.DB", "sub/T.PX", "", "..", "T\nPX"}) {
        try {
            swap.stage(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), err::kInvalidParam) << bad;
        }
    }
}

TEST(FamilySwap, MemberNameKeepsTheCaseFoundOnDisk) {
    ScratchDir d;
    WriteText(d.path() / "t.db", "x");
    FamilySwap swap(d.str(), "T");
    EXPECT_EQ(swap.memberName("DB"), "t.db");
    EXPECT_EQ(swap.memberName("PX"), "T.PX");
}

TEST(FamilySwap, StagesUnderTheFamilysSpellingAndNamesANewFamilyInUtf8) {
    const std::string name1252 = "B\xFC" "cher", nameUtf8 = "B\xC3\xBC" "cher";
    for (const std::string& existing : {std::string(), name1252, nameUtf8}) {
        SCOPED_TRACE(existing.empty() ? "new" : existing);
        ScratchDir d;
        if (!existing.empty()) WriteText(d.path() / (existing + ".DB"), "old");
        const std::string spelled = existing.empty() ? nameUtf8 : existing;
        {
            FamilySwap swap(d.str(), name1252);
            EXPECT_EQ(swap.memberName("PX"), spelled + ".PX");
            Put(swap.stage(swap.memberName("DB")), "new");
            EXPECT_EQ(swap.stagedPath(spelled + ".DB").find(d.str() + "/." + spelled + "."), 0u);
            swap.commit();
        }
        EXPECT_EQ(Take(d.path()), (Snapshot{{spelled + ".DB", "new"}}));
    }
}

TEST(SwapRecord, RoundTripsAndRejectsDamage) {
    const std::vector<FamilySwap::Entry> entries = {{"T.DB", ".T.0000abcd.0.new"}, {"T.X02", ""}};
    const std::string good = EncodeSwapRecord(entries);
    std::vector<FamilySwap::Entry> back;
    ASSERT_TRUE(DecodeSwapRecord(good, back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].target, "T.DB");
    EXPECT_EQ(back[0].staged, ".T.0000abcd.0.new");
    EXPECT_TRUE(back[1].staged.empty());

    std::string flipped = good;
    flipped[25] ^= 1;
    const struct {
        const char* what;
        std::string bytes;
    } bad[] = {
        {"empty", ""},
        {"torn", good.substr(0, good.size() / 2)},
        {"no final newline", good.substr(0, good.size() - 1)},
        {"byte flipped", flipped},
        {"target with slash", EncodeSwapRecord({{"../T.DB", ".T.0000abcd.0.new"}})},
        {"staged not hidden", EncodeSwapRecord({{"T.DB", "OTHER.DB"}})},
    };
    for (const auto& c : bad) EXPECT_FALSE(DecodeSwapRecord(c.bytes, back)) << c.what;
}

TEST(FamilyRecovery, CompletesADecidedSwap) {
    ScratchDir d;
    MakeOld(d.path());
    // The state after the record went in place and one rename was done.
    WriteText(d.path() / ".T.0badcafe.1.new", "new px");
    WriteText(d.path() / ".T.0badcafe.2.new", "new mb");
    WriteText(d.path() / "T.DB", "new db");
    WriteText(d.path() / ".T.0badcafe.rec",
              EncodeSwapRecord({{"T.DB", ".T.0badcafe.0.new"},
                                {"T.PX", ".T.0badcafe.1.new"},
                                {"T.MB", ".T.0badcafe.2.new"},
                                {"T.X02", ""}}));
    EXPECT_TRUE(RecoverFamily(d.str(), "t"));  // the name is matched without regard to case
    EXPECT_EQ(Take(d.path()), kNew);
    EXPECT_FALSE(RecoverFamily(d.str(), "T"));
}

TEST(FamilyRecovery, DropsTheStagedFilesOfADeadSwap) {
    ScratchDir d;
    MakeOld(d.path());
    WriteText(d.path() / ".T.12345678.0.new", "new db");
    WriteText(d.path() / ".T.12345678.rec.tmp", "VORTAB-FAM");
    WriteText(d.path() / ".T.12345678.own", "");
    WriteText(d.path() / ".OTHER.12345678.0.new", "another table's swap");
    WriteText(d.path() / ".vortab-scratch-Ab12Cd", "a sort's scratch a crash left named");
    EXPECT_TRUE(RecoverFamily(d.str(), "T"));
    Snapshot expect = kOld;
    expect[".OTHER.12345678.0.new"] = "another table's swap";
    expect[".vortab-scratch-Ab12Cd"] = "a sort's scratch a crash left named";
    EXPECT_EQ(Take(d.path()), expect);
    EXPECT_TRUE(RecoverDirectory(d.str()));
    EXPECT_EQ(Take(d.path()), kOld);
}

TEST(FamilyRecovery, LeavesALiveSwapAlone) {
    ScratchDir d;
    MakeOld(d.path());
    {
        FamilySwap swap(d.str(), "T");
        Put(swap.stage("T.DB"), "new db");
        EXPECT_FALSE(RecoverFamily(d.str(), "T"));
        swap.commit();
    }
    Snapshot expect = kOld;
    expect["T.DB"] = "new db";
    EXPECT_EQ(Take(d.path()), expect);
}

TEST(FamilyRecovery, FindsASwapUnderEitherSpellingOfTheName) {
    const std::string name1252 = "B\xFC" "cher", nameUtf8 = "B\xC3\xBC" "cher";
    for (const std::string& spelled : {name1252, nameUtf8}) {
        for (const std::string& asked : {std::string("B\xDC" "CHER"), nameUtf8}) {
            SCOPED_TRACE(spelled + " asked as " + asked);
            ScratchDir d;
            WriteText(d.path() / (spelled + ".DB"), "old db");
            WriteText(d.path() / ("." + spelled + ".0badcafe.0.new"), "new db");
            WriteText(d.path() / ("." + spelled + ".0badcafe.rec"),
                      EncodeSwapRecord({{spelled + ".DB", "." + spelled + ".0badcafe.0.new"}}));
            EXPECT_TRUE(RecoverFamily(d.str(), asked));
            EXPECT_EQ(Take(d.path()), (Snapshot{{spelled + ".DB", "new db"}}));
        }
    }
}

TEST(FamilyRecovery, RefusesToGuessFromAnAlteredRecord) {
    ScratchDir d;
    MakeOld(d.path());
    WriteText(d.path() / ".T.0badcafe.rec", "VORTAB-FAMILY-SWAP 1\n1\nR\t.T.0badcafe.0.new\tT.DB\nCRC 00000000\n");
    try {
        RecoverFamily(d.str(), "T");
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), err::kFileCorrupt);
    }
}

// Which of the two states a directory shows after recovery; fails the test on a mixture.
bool IsOldOrNew(const fs::path& dir, uint32_t step) {
    const Snapshot s = Take(dir);
    if (s == kOld) return false;
    if (s == kNew) return true;
    ADD_FAILURE() << "mixed family after a stop at step " << step;
    return false;
}

TEST(FamilySwapCrash, StopAtEveryStepLeavesOldOrNew) {
    bool sawOld = false, sawNew = false;
    const CrashOutcome out = KillAtEveryStep([](const std::string& d) { MakeOld(d); }, SwapToNew,
                                             [&](const std::string& d, uint32_t step) {
                                                 RecoverFamily(d, "T");
                                                 (IsOldOrNew(d, step) ? sawNew : sawOld) = true;
                                                 if (step == 0) {
                                                     EXPECT_EQ(Take(d), kNew);
                                                 }
                                             },
                                             100);
    EXPECT_TRUE(out.completed);
    EXPECT_GT(out.stops, 4u);
    EXPECT_TRUE(sawOld);
    EXPECT_TRUE(sawNew);
}

TEST(FamilySwapCrash, FailureAtEveryStepLeavesOldOrNewInProcess) {
    for (uint32_t step = 1; step < 100; ++step) {
        ScratchDir d;
        MakeOld(d.path());
        fault::Arm(step, fault::Mode::Throw);
        bool failed = false;
        try {
            SwapToNew(d.str());
        } catch (const EngineError& e) {
            failed = true;
            EXPECT_EQ(e.code(), err::kWriteErr);
        }
        fault::Disarm();
        RecoverFamily(d.str(), "T");
        const bool isNew = IsOldOrNew(d.path(), step);
        if (!failed) {
            EXPECT_TRUE(isNew);
            break;
        }
    }
}

}  // namespace
