// Referential-integrity links: dropping and re-adding the links of Paradox's own tables gives
// back the descriptors Paradox wrote on both sides; adding a link sets orphans aside, gives the
// dependent an index and refuses links the master's key cannot serve.
#include <gtest/gtest.h>

#include <cstring>

#include "ops_test_support.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_journal.h"
#include "paradox/change/link_ops.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/secondary_index.h"
#include "restructure_test_support.h"

using namespace paradox;
using namespace paradox_test;

namespace {

// Link descriptors without the engine-maintained number, for comparison.
std::vector<std::string> Described(const std::vector<RILinkDescriptor>& links) {
    std::vector<std::string> out;
    for (RILinkDescriptor l : links) {
        std::string s = fixedText(l.name) + "|" + std::to_string(l.kind) + "|" + fixedText(l.otherTable) + "|" +
                        std::to_string(l.updateRule) + "|" + std::to_string(l.fieldCount);
        for (int i = 0; i < l.fieldCount; ++i) s += "|" + std::to_string(l.thisFields[i]) + ">" + std::to_string(l.otherFields[i]);
        out.push_back(s);
    }
    return Sorted(out);
}

RILinkDescriptor Link(const char* name, const char* master, std::vector<uint16_t> mine, std::vector<uint16_t> theirs,
                      bool cascade = false) {
    RILinkDescriptor d{};
    copyFixedText(d.name, name);
    d.kind = uint32_t(LinkKind::Dependent);
    copyFixedText(d.otherTable, master);
    d.updateRule = cascade ? 1 : 0;
    d.fieldCount = static_cast<uint16_t>(mine.size());
    for (std::size_t i = 0; i < mine.size(); ++i) {
        d.thisFields[i] = mine[i];
        d.otherFields[i] = theirs[i];
    }
    return d;
}

TEST(LinkOps, DropAndReAddGiveBackParadoxsLinks) {
    REQUIRE_FIXTURES();
    ScratchDir dir;
    for (const char* t : {"A", "B", "C"}) CopyFamily("paradoxdriver/joins", t, dir.path());
    const auto cBefore = Described(ReadLinks(dir.str(), "C"));
    const auto aBefore = Described(ReadLinks(dir.str(), "A"));
    const auto cRecords = Lines(dir.str(), "C");
    RILinkDescriptor original{};
    for (const auto& l : ReadLinks(dir.str(), "C"))
        if (fixedText(l.name) == "Reference A") original = l;

    DropLink(dir.str(), "C", "Reference A");
    EXPECT_EQ(ReadLinks(dir.str(), "C").size(), 1u);
    EXPECT_TRUE(ReadLinks(dir.str(), "A").empty());
    EXPECT_FALSE(fs::exists(dir.path() / "A.VAL"));  // nothing else was in it

    const AddLinkResult r = AddLink(dir.str(), "C", original);
    EXPECT_EQ(r.orphans, 0u);
    EXPECT_EQ(Described(ReadLinks(dir.str(), "C")), cBefore);
    EXPECT_EQ(Described(ReadLinks(dir.str(), "A")), aBefore);
    EXPECT_EQ(Lines(dir.str(), "C"), cRecords);
    auto cv = ReadValFile(dir.str(), "C");
    ASSERT_TRUE(cv);
    EXPECT_FALSE(cv->stale);
    EXPECT_EQ(cv->checks.size(), 2u);  // C's own checks are kept
    // C already had an index on A (C.X02): no second one.
    EXPECT_EQ(ReadIndexDescriptors(dir.str(), "C").size(), 3u);

    // The same through restructure requests, each one step.
    Request::NoFields("C").link(original, CRDROP).run(dir.str());
    EXPECT_TRUE(ReadLinks(dir.str(), "A").empty());
    char keyViol[kKeyViolNameSize] = {};
    Request::NoFields("C").link(original, CRADD).run(dir.str(), keyViol);
    EXPECT_STREQ(keyViol, "");
    EXPECT_EQ(Described(ReadLinks(dir.str(), "C")), cBefore);
    EXPECT_EQ(Described(ReadLinks(dir.str(), "A")), aBefore);
    EXPECT_EQ(Lines(dir.str(), "C"), cRecords);
    EXPECT_EQ(ReadIndexDescriptors(dir.str(), "C").size(), 3u);
}

class OrphanTables : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTable(dir.str(), "master", {{"Id", FLDINT32}, {"Name", FLDZSTRING, 10}}, 1);
        Insert(dir.str(), "master", {{Value::integer(1), Value::text("one")}, {Value::integer(2), Value::text("two")}});
        MakeTable(dir.str(), "detail", {{"No", FLDINT32}, {"MasterId", FLDINT32}, {"Memo", FLDZSTRING, 8}}, 1);
        Insert(dir.str(), "detail",
               {{Value::integer(1), Value::integer(1), Value::text("a")},
                {Value::integer(2), Value::integer(3), Value::text("orphan")},
                {Value::integer(3), Value::null(), Value::text("blank")},
                {Value::integer(4), Value::integer(2), Value::text("b")}});
    }
    ScratchDir dir;
};

TEST_F(OrphanTables, OrphansGoToAKeyViolationTable) {
    const AddLinkResult r = AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}, true));
    EXPECT_EQ(r.orphans, 1u);
    EXPECT_EQ(r.keyViolTable, "KEYVIOL");
    EXPECT_EQ(Lines(dir.str(), "detail"),
              (std::vector<std::string>{"1|1|a|", "3|null|blank|", "4|2|b|"}));
    EXPECT_EQ(Lines(dir.str(), "KEYVIOL"), (std::vector<std::string>{"2|3|orphan|"}));
    // The dependent got a maintained index on its link field, and both sides know the link.
    const auto idx = ReadIndexDescriptors(dir.str(), "detail");
    ASSERT_EQ(idx.size(), 2u);
    EXPECT_EQ(+idx[1].keyFields[0], 2);
    EXPECT_EQ(+idx[1].maintained, 1);
    const auto dl = ReadLinks(dir.str(), "detail");
    ASSERT_EQ(dl.size(), 1u);
    EXPECT_EQ(+dl[0].updateRule, 1u);
    EXPECT_EQ(+dl[0].deleteRule, 0u);
    const auto ml = ReadLinks(dir.str(), "master");
    ASSERT_EQ(ml.size(), 1u);
    EXPECT_EQ(+ml[0].kind, uint32_t(LinkKind::Master));
    EXPECT_EQ(fixedText(ml[0].otherTable), "detail.DB");
    EXPECT_EQ(PxlibRecordCount((dir.path() / "detail.DB").string()), 3);
}

TEST(LinkOps, OrphansFoundAmongManyRecords) {
    // Masters hold every third id (negative ids too: key bytes are not plain two's complement);
    // detail records name ids at random, some blank.
    ScratchDir dir;
    MakeTable(dir.str(), "master", {{"Id", FLDINT32}}, 1);
    std::vector<std::vector<Value>> masters;
    for (int id = -900; id <= 900; id += 3) masters.push_back({Value::integer(id)});
    Insert(dir.str(), "master", masters);
    MakeTable(dir.str(), "detail", {{"No", FLDINT32}, {"MasterId", FLDINT32}}, 1);
    std::vector<std::vector<Value>> details;
    std::vector<std::string> expectOrphans;
    uint32_t seed = 12345;
    for (int no = 1; no <= 3000; ++no) {
        seed = seed * 1103515245u + 12345u;
        const int id = static_cast<int>((seed >> 8) % 1801) - 900;
        const bool blank = no % 17 == 0;
        details.push_back({Value::integer(no), blank ? Value::null() : Value::integer(id)});
        if (!blank && (id + 900) % 3 != 0) expectOrphans.push_back(std::to_string(no) + "|" + std::to_string(id) + "|");
    }
    Insert(dir.str(), "detail", details);
    const AddLinkResult r = AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));
    EXPECT_EQ(r.orphans, expectOrphans.size());
    EXPECT_EQ(Lines(dir.str(), r.keyViolTable), expectOrphans);
    EXPECT_EQ(Lines(dir.str(), "detail").size(), 3000u - expectOrphans.size());
}

TEST(LinkOps, MasterKeysMatchWhateverFollowsAnAlphaValue) {
    ScratchDir dir;
    MakeTable(dir.str(), "master", {{"Code", FLDZSTRING, 8}}, 1);
    Insert(dir.str(), "master", {{Value::text("ab")}});
    MakeTable(dir.str(), "detail", {{"No", FLDINT32}, {"Code", FLDZSTRING, 8}}, 1);
    Insert(dir.str(), "detail", {{Value::integer(1), Value::text("ab")}, {Value::integer(2), Value::text("abc")}});
    LeaveByteAfterText(dir.path() / "master.DB", "ab");
    const AddLinkResult r = AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));
    EXPECT_EQ(r.orphans, 1u);
    EXPECT_EQ(Lines(dir.str(), "detail"), (std::vector<std::string>{"1|ab|"}));
}

TEST_F(OrphanTables, TheIndexALinkNeedsStays) {
    AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));
    const auto expect9748 = [&](const std::string& index) {
        try {
            DeleteIndex(dir.str(), "detail", index);
            ADD_FAILURE() << index;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), 9748) << e.what();
        }
    };
    expect9748("MasterId");
    AddIndex(dir.str(), "detail", Index("ByMaster", {2, 1}));
    DeleteIndex(dir.str(), "detail", "MasterId");  // ByMaster serves the link now
    expect9748("ByMaster");
    DeleteIndex(dir.str(), "detail", "");  // the primary index never served it
    EXPECT_EQ(ReadIndexDescriptors(dir.str(), "detail").size(), 1u);
}

TEST_F(OrphanTables, RefusedLinksChangeNothing) {
    struct Bad {
        RILinkDescriptor link;
        int code;
    } bad[] = {
        {Link("ByName", "master", {3}, {2}), 9748},   // master field does not lead the key
        {Link("Types", "master", {3}, {1}), 9995},    // alpha against long
        {Link("NoField", "master", {9}, {1}), 9986},
        {Link("", "master", {2}, {1}), 9986},
    };
    for (const Bad& b : bad) {
        try {
            AddLink(dir.str(), "detail", b.link);
            ADD_FAILURE() << fixedText(b.link.name);
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), b.code) << fixedText(b.link.name);
        }
    }
    EXPECT_FALSE(fs::exists(dir.path() / "detail.VAL"));
    EXPECT_EQ(Lines(dir.str(), "detail").size(), 4u);
    AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));
    try {
        AddLink(dir.str(), "detail", Link("tomaster", "master", {2}, {1}));
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 9741);
    }
}

}  // namespace

namespace {

// Runs a request that must fail with `code`, and checks that no file changed.
void ExpectRefusedUnchanged(const fs::path& dir, Request q, int code, char* keyViol = nullptr,
                            const std::vector<std::string>& passwords = {}) {
    const auto before = DirBytes(dir);
    try {
        q.run(dir.string(), keyViol, passwords);
        ADD_FAILURE() << code;
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code) << e.what();
    }
    EXPECT_EQ(DirBytes(dir), before) << code;
}

TEST_F(OrphanTables, LinkOnlyRestructureChecksEveryEntryFirst) {
    const RILinkDescriptor toMaster = Link("ToMaster", "master", {2}, {1});
    // Without a key-violation buffer, orphans have nowhere to go.
    ExpectRefusedUnchanged(dir.path(), Request::NoFields("detail").link(toMaster, CRADD), 9729);
    char keyViol[kKeyViolNameSize] = {};
    EXPECT_EQ(Request::NoFields("detail").link(toMaster, CRADD).run(dir.str(), keyViol).setAside, 1u);
    EXPECT_STREQ(keyViol, "KEYVIOL.DB");

    // A modify (a drop, then an add) with a refused add after it: the drop does not happen alone.
    RILinkDescriptor cascade = toMaster;
    cascade.updateRule = 1;
    ExpectRefusedUnchanged(dir.path(),
                           Request::NoFields("detail").link(cascade, CRMODIFY).link(Link("Self", "detail", {2}, {1}), CRADD),
                           9986);
    ExpectRefusedUnchanged(dir.path(), Request::NoFields("detail").link(cascade, CRMODIFY).link(Link("Twice", "master", {2}, {1}), CRADD),
                           9750);  // the field is linked once the modify is done
    Request::NoFields("detail").link(cascade, CRMODIFY).run(dir.str());
    EXPECT_EQ(+ReadLinks(dir.str(), "detail")[0].updateRule, 1u);
    EXPECT_EQ(+ReadLinks(dir.str(), "master")[0].updateRule, 1u);
    Request::NoFields("detail").link(toMaster, CRDROP).run(dir.str());
    EXPECT_TRUE(ReadLinks(dir.str(), "detail").empty());
    EXPECT_TRUE(ReadLinks(dir.str(), "master").empty());

    // An auxiliary password without full rights changes no link.
    Request::NoFields("detail").password("master pw").run(dir.str());
    Request::NoFields("detail").password("master pw").security(AuxPassword("reader", rights::kReadOnly), CRADD).run(dir.str(), nullptr, {"master pw"});
    Request q = Request::NoFields("detail");
    q.password("reader").link(Link("Again", "master", {2}, {1}), CRADD);
    const auto before = DirBytes(dir.path());
    try {
        q.run(dir.str(), keyViol, {"reader"});
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 10498) << e.what();
    }
    EXPECT_EQ(DirBytes(dir.path()), before);
}

TEST_F(OrphanTables, RepeatedKeysAndOrphansShareOneKeyViolationTable) {
    // MasterId alone becomes the key: (1, 2) repeats (1, 1), and (3, 3) names no master.
    MakeTable(dir.str(), "pairs", {{"MasterId", FLDINT32}, {"No", FLDINT32}, {"Memo", FLDZSTRING, 8}}, 2);
    Insert(dir.str(), "pairs",
           {{Value::integer(1), Value::integer(1), Value::text("a")},
            {Value::integer(1), Value::integer(2), Value::text("dup")},
            {Value::integer(3), Value::integer(3), Value::text("orphan")},
            {Value::integer(3), Value::integer(5), Value::text("both")},  // a repeat and an orphan
            {Value::integer(2), Value::integer(4), Value::text("b")}});
    char keyViol[kKeyViolNameSize] = "SETASIDE.DB";
    const RestructureResult r =
        Request(dir.str(), "pairs").drop("No").link(Link("ToMaster", "master", {1}, {1}), CRADD).run(dir.str(), keyViol);
    EXPECT_EQ(r.setAside, 3u);
    EXPECT_STREQ(keyViol, "SETASIDE.DB");
    EXPECT_EQ(Sorted(Lines(dir.str(), "SETASIDE")), (std::vector<std::string>{"1|dup|", "3|both|", "3|orphan|"}));
    EXPECT_EQ(Lines(dir.str(), "pairs"), (std::vector<std::string>{"1|a|", "2|b|"}));
}

TEST_F(OrphanTables, TwoNewLinksToOneMasterInOneRequest) {
    MakeTable(dir.str(), "moves", {{"No", FLDINT32}, {"From", FLDINT32}, {"To", FLDINT32}}, 1);
    Insert(dir.str(), "moves",
           {{Value::integer(1), Value::integer(1), Value::integer(2)},
            {Value::integer(2), Value::integer(1), Value::integer(9)},    // To names no master
            {Value::integer(3), Value::integer(7), Value::integer(8)}});  // neither does
    char keyViol[kKeyViolNameSize] = {};
    const RestructureResult r = Request::NoFields("moves")
                                    .link(Link("FromMaster", "master", {2}, {1}), CRADD)
                                    .link(Link("ToMaster", "master", {3}, {1}), CRADD)
                                    .run(dir.str(), keyViol);
    EXPECT_EQ(r.setAside, 2u);
    EXPECT_EQ(Lines(dir.str(), "moves"), (std::vector<std::string>{"1|1|2|"}));
    EXPECT_EQ(ReadLinks(dir.str(), "moves").size(), 2u);
    EXPECT_EQ(ReadLinks(dir.str(), "master").size(), 2u);
    EXPECT_EQ(ReadIndexDescriptors(dir.str(), "moves").size(), 3u);  // the key and one index per link
}

TEST_F(OrphanTables, RefusedLinkAddsInARestructureChangeNothing) {
    char keyViol[kKeyViolNameSize] = {};
    // A master elsewhere cannot change in the same step.
    ScratchDir elsewhere;
    MakeTable(elsewhere.str(), "far", {{"Id", FLDINT32}}, 1);
    const std::string far = (elsewhere.path() / "far").string();
    ExpectRefusedUnchanged(dir.path(), Request::NoFields("detail").link(Link("Far", far.c_str(), {2}, {1}), CRADD), 9986, keyViol);
    // A new autoincrement field has no values to check yet.
    DescriptorBuilder counters("counters");
    counters.field("N", FLDINT32, FLDSTAUTOINC).option("LEVEL", "7");
    createTable(dir.str(), counters.descriptor(), {1, false});
    ExpectRefusedUnchanged(dir.path(),
                           Request(dir.str(), "detail").add("Seq", FLDINT32, FLDSTAUTOINC).link(Link("Seq", "counters", {4}, {1}), CRADD),
                           9986, keyViol);
    // Records other tables depend on cannot be set aside: detail is the master of "sub".
    MakeTable(dir.str(), "sub", {{"DetailNo", FLDINT32}}, 1);
    AddLink(dir.str(), "sub", Link("ToDetail", "detail", {1}, {1}));
    ExpectRefusedUnchanged(dir.path(), Request::NoFields("detail").link(Link("ToMaster", "master", {2}, {1}), CRADD), 9743,
                           keyViol);
}

TEST_F(OrphanTables, TheMastersRightsGuardItsSideOfALink) {
    AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));
    Request::NoFields("master").password("boss").run(dir.str());
    Request::NoFields("master").password("boss").security(AuxPassword("reader", rights::kReadOnly), CRADD).run(dir.str(), nullptr, {"boss"});
    // Through a read-only password the master's .VAL cannot change: the link stays on both sides.
    ExpectRefusedUnchanged(dir.path(), Request::NoFields("detail").link(Link("ToMaster", "master", {2}, {1}), CRDROP), 10498,
                           nullptr, {"reader"});
    Request::NoFields("detail").link(Link("ToMaster", "master", {2}, {1}), CRDROP).run(dir.str(), nullptr, {"boss"});
    EXPECT_TRUE(ReadLinks(dir.str(), "detail").empty());
}

TEST_F(OrphanTables, AKeptLinkFollowsItsMovedField) {
    AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));  // sets No 2 aside
    Request(dir.str(), "detail").move("MasterId", 3).run(dir.str());
    EXPECT_EQ(FieldNames(dir.str(), "detail"), (std::vector<std::string>{"No", "Memo", "MasterId"}));
    EXPECT_EQ(Lines(dir.str(), "detail"), (std::vector<std::string>{"1|a|1|", "3|blank|null|", "4|b|2|"}));
    const auto dl = ReadLinks(dir.str(), "detail");
    ASSERT_EQ(dl.size(), 1u);
    EXPECT_EQ(+dl[0].thisFields[0], 3);
    const auto ml = ReadLinks(dir.str(), "master");
    ASSERT_EQ(ml.size(), 1u);
    EXPECT_EQ(+ml[0].thisFields[0], 1);
    EXPECT_EQ(+ml[0].otherFields[0], 3);
    bool indexFollowed = false;
    for (const IndexDescriptor& d : ReadIndexDescriptors(dir.str(), "detail")) indexFollowed |= !d.primary && d.keyFields[0] == 3;
    EXPECT_TRUE(indexFollowed);
    // Still a link on that field: it cannot go while the link stays, and both sides drop it.
    ExpectRefusedUnchanged(dir.path(), Request(dir.str(), "detail").drop("MasterId"), 10012);
    Request(dir.str(), "detail").drop("MasterId").link(dl[0], CRDROP).run(dir.str());
    EXPECT_TRUE(ReadLinks(dir.str(), "master").empty());
}

TEST_F(OrphanTables, RestructureChangesFieldsAndLinksInOneRequest) {
    AddLink(dir.str(), "detail", Link("ToMaster", "master", {2}, {1}));  // sets No 2 aside
    const RILinkDescriptor toMaster = Link("ToMaster", "master", {2}, {1});

    // A field added and the link dropped together: both sides lose the link.
    Request(dir.str(), "detail").add("Extra", FLDINT16).link(toMaster, CRDROP).run(dir.str());
    EXPECT_TRUE(ReadLinks(dir.str(), "detail").empty());
    EXPECT_TRUE(ReadLinks(dir.str(), "master").empty());
    EXPECT_EQ(FieldNames(dir.str(), "detail").size(), 4u);

    // A field dropped and a link added on the new field list: its orphan is set aside.
    Insert(dir.str(), "detail", {{Value::integer(5), Value::integer(9), Value::text("lost"), Value::null()}});
    char keyViol[kKeyViolNameSize] = {};
    const RestructureResult r = Request(dir.str(), "detail").drop("Memo").link(Link("Again", "master", {2}, {1}), CRADD).run(dir.str(), keyViol);
    EXPECT_EQ(r.setAside, 1u);
    EXPECT_STREQ(keyViol, "KEYVIOL1.DB");
    EXPECT_EQ(Lines(dir.str(), "KEYVIOL1"), (std::vector<std::string>{"5|9|null|"}));
    EXPECT_EQ(Lines(dir.str(), "detail"), (std::vector<std::string>{"1|1|null|", "3|null|null|", "4|2|null|"}));
    ASSERT_EQ(ReadLinks(dir.str(), "master").size(), 1u);

    // Refused before anything is written: a link on a field the new list lacks, a drop of a
    // link the table does not have, a kept link's field dropped.
    const auto before = DirBytes(dir.path());
    const struct {
        std::function<void(Request&)> edit;
        int code;
    } refused[] = {
        {[](Request& q) { q.drop("Extra").link(Link("Late", "master", {3}, {1}), CRADD); }, 9986},
        {[&](Request& q) { q.add("More", FLDINT16).link(toMaster, CRDROP); }, 9986},
        {[](Request& q) { q.drop("MasterId"); }, 10012},
        {[](Request& q) { q.change("MasterId", FLDINT16, 0, 0); }, 10012},  // the master's field stays long
    };
    for (const auto& c : refused) {
        Request q(dir.str(), "detail");
        c.edit(q);
        try {
            q.run(dir.str());
            ADD_FAILURE() << c.code;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), c.code) << e.what();
        }
    }
    EXPECT_EQ(DirBytes(dir.path()), before);

    // The link's field dropped together with the link.
    Request(dir.str(), "detail").drop("MasterId").link(Link("Again", "master", {2}, {1}), CRDROP).run(dir.str());
    EXPECT_TRUE(ReadLinks(dir.str(), "master").empty());
    EXPECT_EQ(FieldNames(dir.str(), "detail"), (std::vector<std::string>{"No", "Extra"}));

    // Links and a new master password in one request: neither is left out.
    char orphans[kKeyViolNameSize] = {};
    Request::NoFields("master").password("secret").link(Link("Back", "detail", {1}, {1}), CRADD).run(dir.str(), orphans);
    EXPECT_THROW(Lines(dir.str(), "master"), EngineError);
    EXPECT_EQ(Lines(dir.str(), "master", "secret"), (std::vector<std::string>{"1|one|"}));  // no detail 2
    ASSERT_EQ(ReadLinks(dir.str(), "master").size(), 1u);
}

// The journal of suspended links keeps every member of every descriptor, also names holding its
// own separators, and any cut or changed byte makes it unreadable rather than different.
TEST(LinkJournal, KeepsEveryMemberAndRefusesEveryDamage) {
    RILinkDescriptor link{};
    link.linkNumber = 3;
    std::strcpy(link.name, "To%\tA\nB");
    link.kind = 1;
    std::strcpy(link.otherTable, "MASTER 100%.DB");
    link.updateRule = 1;
    link.fieldCount = kMaxKeyFields;
    for (std::uint16_t i = 0; i < kMaxKeyFields; ++i) {
        link.thisFields[i] = static_cast<std::uint16_t>(i + 1);
        link.otherFields[i] = static_cast<std::uint16_t>(0xFFFF - i);
    }
    const LinkJournal journal{"MASTER 100%.DB", {{"B\t.DB", 0xDEADBEEF, {{link, true}, {RILinkDescriptor{}, false}}}, {"C.DB", 0, {}}}};
    const std::string bytes = EncodeLinkJournal(journal);
    LinkJournal back;
    ASSERT_TRUE(DecodeLinkJournal(bytes, back));
    EXPECT_EQ(EncodeLinkJournal(back), bytes);
    ASSERT_EQ(back.tables.size(), 2u);
    EXPECT_EQ(back.tables[0].table, "B\t.DB");
    EXPECT_EQ(back.tables[0].tag, 0xDEADBEEFu);
    EXPECT_TRUE(back.tables[0].links[0].dropped);
    EXPECT_EQ(std::memcmp(&back.tables[0].links[0].link, &link, sizeof link), 0);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(DecodeLinkJournal(bytes.substr(0, cut), back)) << cut;
        std::string changed = bytes;
        changed[cut] = static_cast<char>(changed[cut] ^ 0x01);
        EXPECT_FALSE(DecodeLinkJournal(changed, back)) << cut;
    }
}

}  // namespace
