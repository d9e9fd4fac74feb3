// Link add/drop. The dependent's records are checked against the set of master keys (the
// master's records hold the key bytes at the head of each record); orphans leave the dependent
// for a key-violation table in the same step that writes the dependent's new .VAL and index.
#include "paradox/change/link_ops.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "paradox/change/index_ops_support.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/val_file.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/external_sort.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/secondary_index_writer.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

using namespace detail;

constexpr int kMasterExists = 9741;
constexpr int kFieldMultiLinked = 9750;

ValContents ValOrEmpty(const TableState& s) {
    if (auto v = ReadValFile(s.dir, s.base)) return *v;
    return EmptyValFor(s.dir, s.base);
}

// The table's file name as a .VAL records it: in Windows-1252, however it is spelled on disk.
std::string FileNameOf(const TableState& s) { return NameFromDisk(FileNamePart(s.dbPath)); }

// Per dependent record (chain order): whether its link fields `mine` (not all blank) name no
// master record.
std::vector<bool> FindOrphans(const std::shared_ptr<TableState>& dep, const std::shared_ptr<TableState>& mas,
                              const std::vector<uint16_t>& mine) {
    const Schema& ds = dep->header.schema;
    return FindOrphanRecords(mas, static_cast<uint16_t>(mine.size()), dep->checksum != 0, [&](const LinkProbeSink& emit) {
        std::vector<uint8_t> probe(ds.recordSize);
        RecordReader r(dep);
        while (r.next()) {
            const uint8_t* rec = r.record().raw();
            bool blank = true;
            std::size_t at = 0;
            for (uint16_t n : mine) {
                const Field& f = ds.fields[n - 1u];
                CopyCanonicalField(f, rec, probe.data() + at);
                blank = blank && IsBlankField(f, rec);
                at += f.width;
            }
            emit(probe.data(), blank);
        }
    });
}

}  // namespace

std::vector<bool> FindOrphanRecords(const std::shared_ptr<TableState>& mas, uint16_t fieldCount, bool secret,
                                    const LinkProbes& probes) {
    const Schema& ms = mas->header.schema;
    uint16_t keyBytes = 0;
    for (uint16_t i = 0; i < fieldCount; ++i) keyBytes = static_cast<uint16_t>(keyBytes + ms.fields[i].width);
    const ExternalSorter::ByteKey keyLess{keyBytes};
    // The master's key prefixes and the dependent's link values are sorted apart in bounded
    // memory and merged.
    ExternalSorter masterKeys(mas->dir, mas->checksum != 0, keyBytes, keyLess);
    std::vector<uint8_t> entry(keyBytes + 4u);
    {
        RecordReader r(mas);
        while (r.next()) {
            std::size_t at = 0;
            for (uint16_t k = 0; k < fieldCount; ++k) {
                CopyCanonicalField(ms.fields[k], r.record().raw(), entry.data() + at);
                at += ms.fields[k].width;
            }
            masterKeys.add(entry.data());
        }
    }
    ExternalSorter values(mas->dir, secret || mas->checksum != 0, keyBytes + 4u, keyLess);
    std::vector<bool> orphaned;
    probes([&](const uint8_t* value, bool blank) {
        const uint32_t ordinal = static_cast<uint32_t>(orphaned.size());
        orphaned.push_back(false);
        if (blank) return;
        std::memcpy(entry.data(), value, keyBytes);
        PutLE32(entry.data() + keyBytes, ordinal);
        values.add(entry.data());
    });
    const uint8_t* key = masterKeys.next();
    while (const uint8_t* p = values.next()) {
        while (key && std::memcmp(key, p, keyBytes) < 0) key = masterKeys.next();
        if (!key || std::memcmp(key, p, keyBytes) != 0) orphaned[GetLE32(p + keyBytes)] = true;
    }
    return orphaned;
}

RILinkDescriptor DependentLinkEntry(const RILinkDescriptor& link, const TableState& master) {
    RILinkDescriptor d = link;
    d.kind = uint32_t(LinkKind::Dependent);
    copyFixedText(d.otherTable, FileNameOf(master));
    d.deleteRule = uint32_t(LinkRule::Restrict);
    return d;
}

void InsertDependentLink(ValContents& v, const RILinkDescriptor& entry) {
    // Dependent entries come before the master-side ones.
    v.links.insert(std::find_if(v.links.begin(), v.links.end(),
                                [](const RILinkDescriptor& l) { return l.kind == uint32_t(LinkKind::Master); }),
                   entry);
}

void AddMasterRecord(ValContents& masterVal, const RILinkDescriptor& entry, const std::string& dependentFile,
                     uint16_t masterKeyFields) {
    RILinkDescriptor m{};
    copyFixedText(m.name, fixedText(entry.name));
    m.kind = uint32_t(LinkKind::Master);
    copyFixedText(m.otherTable, dependentFile);
    m.updateRule = entry.updateRule;
    m.deleteRule = uint32_t(LinkRule::Restrict);
    m.fieldCount = entry.fieldCount;
    for (int i = 0; i < entry.fieldCount; ++i) {
        m.thisFields[i] = entry.otherFields[i];
        m.otherFields[i] = entry.thisFields[i];
    }
    masterVal.links.push_back(m);
    if (masterVal.masterKeyFields.empty())
        for (uint16_t k = 1; k <= masterKeyFields; ++k) masterVal.masterKeyFields.push_back(k);
}

std::optional<SecondaryIndexDef> LinkIndexFor(const RILinkDescriptor& link, const Schema& ds,
                                              const std::vector<SecondaryIndexDef>& existing) {
    // Field numbers are read one by one: the descriptors are packed.
    const auto ledBy = [&](const std::function<uint16_t(int)>& field, std::size_t count) {
        if (count < link.fieldCount) return false;
        for (int i = 0; i < link.fieldCount; ++i)
            if (field(i) != link.thisFields[i]) return false;
        return true;
    };
    if (ledBy([](int i) { return static_cast<uint16_t>(i + 1); }, ds.keyFields)) return std::nullopt;
    for (const SecondaryIndexDef& e : existing)
        if (ledBy([&](int i) { return static_cast<uint16_t>(e.desc.keyFields[i]); }, e.desc.keyFieldCount)) return std::nullopt;
    // Paradox gives every link an index of its own on the dependent's link fields.
    SecondaryIndexDef def;
    def.desc.keyFieldCount = link.fieldCount;
    for (int i = 0; i < link.fieldCount; ++i) def.desc.keyFields[i] = link.thisFields[i];
    def.desc.maintained = ds.keyFields > 0 ? 1 : 0;
    if (link.fieldCount == 1) copyFixedText(def.desc.name, ds.fields[link.thisFields[0] - 1u].name);
    else copyFixedText(def.desc.name, fixedText(link.name));
    std::vector<std::string> exts;
    for (const auto& e : existing) exts.push_back(e.extension);
    def.extension = ChooseIndexExtension(def.desc, ds, exts);
    return def;
}

std::vector<RILinkDescriptor> ReadLinks(const std::string& dir, const std::string& table) {
    auto v = ReadValFile(dir, table);
    if (!v) return {};
    return v->links;
}

namespace {

// The checks of a new dependent link against the dependent's schema and links and the master.
// Returns the dependent's link field numbers.
std::vector<uint16_t> CheckNewLink(const Schema& ds, const std::vector<RILinkDescriptor>& depLinks,
                                   const TableState& mas, const RILinkDescriptor& link) {
    const Schema& ms = mas.header.schema;
    const std::string name = fixedText(link.name);
    const std::string masterName = fixedText(link.otherTable);
    if (name.empty()) throw EngineError(err::kInvalidParam, "a link needs a name");
    if (link.fieldCount < 1 || link.fieldCount > kMaxKeyFields) throw EngineError(err::kInvalidParam, "link field count");
    std::vector<uint16_t> mine;
    for (int i = 0; i < link.fieldCount; ++i) {
        if (link.thisFields[i] < 1 || link.thisFields[i] > ds.fields.size()) throw EngineError(err::kInvalidParam, "dependent field");
        if (link.otherFields[i] < 1 || link.otherFields[i] > ms.fields.size()) throw EngineError(err::kInvalidParam, "master field");
        mine.push_back(static_cast<uint16_t>(link.thisFields[i]));
    }
    // The master fields must lead the master's primary key.
    if (ms.keyFields < link.fieldCount) throw EngineError(err::kRintReqIndex, masterName);
    for (int i = 0; i < link.fieldCount; ++i)
        if (link.otherFields[i] != i + 1) throw EngineError(err::kRintReqIndex, masterName);
    for (int i = 0; i < link.fieldCount; ++i) {
        const Field& a = ds.fields[mine[std::size_t(i)] - 1u];
        const Field& b = ms.fields[std::size_t(i)];
        const bool autoLong = (a.type == PxType::Long && b.type == PxType::AutoInc) || a.type == b.type;
        if (!autoLong || a.sizeByte != b.sizeByte) throw EngineError(err::kKeyFieldTypeMismatch, a.name);
    }
    for (const auto& l : depLinks) {
        if (l.kind != uint32_t(LinkKind::Dependent)) continue;
        if (vortab::SameNameNoCase(fixedText(l.name), name)) throw EngineError(kMasterExists, name);
        for (int i = 0; i < l.fieldCount; ++i)
            if (std::find(mine.begin(), mine.end(), static_cast<uint16_t>(l.thisFields[i])) != mine.end()) throw EngineError(kFieldMultiLinked, name);
    }
    return mine;
}

}  // namespace

std::vector<std::shared_ptr<TableState>> CheckLinkRequests(const std::string& dir, const std::string& dependent,
                                                           const Schema& dependentSchema,
                                                           std::vector<RILinkDescriptor> dependentLinks,
                                                           const std::vector<RILinkDescriptor>& adds, const OpenOptions& options) {
    const TableLocation loc = LocateTable(dir, dependent);
    std::vector<std::shared_ptr<TableState>> masters;
    for (const RILinkDescriptor& link : adds) {
        auto mas = OpenTableState(loc.dir, fixedText(link.otherTable), options);
        if (vortab::SameNameNoCase(mas->dir, loc.dir) && vortab::SameNameNoCase(mas->base, loc.base))
            throw EngineError(err::kInvalidParam, "a table cannot be its own master");
        CheckMayChangeStructure(*mas);
        CheckNewLink(dependentSchema, dependentLinks, *mas, link);
        RILinkDescriptor added = link;
        added.kind = uint32_t(LinkKind::Dependent);
        dependentLinks.push_back(added);
        masters.push_back(std::move(mas));
    }
    return masters;
}

AddLinkResult AddLink(const std::string& dir, const std::string& dependent, const RILinkDescriptor& link,
                      const OpenOptions& options) {
    // A link step a crash interrupted is finished (or undone) first, whichever table it named.
    RecoverDirectory(LocateTable(dir, dependent).dir);
    auto dep = OpenTableState(dir, dependent, options);
    const std::string masterName = fixedText(link.otherTable);
    auto mas = OpenTableState(dep->dir, masterName, options);
    const Schema& ds = dep->header.schema;
    const Schema& ms = mas->header.schema;
    const std::string name = fixedText(link.name);
    if (mas->dbPath == dep->dbPath) throw EngineError(err::kInvalidParam, "a table cannot be its own master");
    CheckMayChangeStructure(*dep);
    CheckMayChangeStructure(*mas);
    ValContents depVal = ValOrEmpty(*dep);
    const std::vector<uint16_t> mine = CheckNewLink(ds, depVal.links, *mas, link);

    // Records whose link fields name no master record are set aside.
    const std::vector<bool> orphaned = FindOrphans(dep, mas, mine);
    const auto orphanCount = std::count(orphaned.begin(), orphaned.end(), true);
    const bool anyOrphan = orphanCount > 0;
    FamilySwap swap(dep->dir, dep->base);
    KeyViolationGuard keyViolations(dep->dir, swap);
    const std::string dbName = FileNamePart(dep->dbPath);
    AddLinkResult result;
    if (anyOrphan) {
        File& db = swap.stage(dbName);
        WriteDataFileWithout(db, dep, orphaned);
        db.sync();
        // Stored before the table changes: a crash in between leaves them twice, never nowhere.
        result.keyViolTable =
            WriteKeyViolations(*dep, MatchingPassword(*dep, options), [&](TableWriter& w) { InsertMarkedRecords(w, dep, orphaned); });
        keyViolations.watch(result.keyViolTable);
        result.orphans = static_cast<uint32_t>(orphanCount);
    }

    const RILinkDescriptor entry = DependentLinkEntry(link, *mas);
    InsertDependentLink(depVal, entry);
    std::vector<SecondaryIndexDef> defs = ReadSecondaryIndexDefs(dep->dir, dep->base);
    const std::size_t existingIndexes = defs.size();
    if (auto def = LinkIndexFor(entry, ds, defs)) defs.push_back(*def);

    ValContents masVal = ValOrEmpty(*mas);
    AddMasterRecord(masVal, entry, FileNameOf(*dep), ms.keyFields);
    const std::vector<uint8_t> masBytes = EncodeValFile(masVal, ReadValStamps(mas->dir, mas->base));

    // Both tables change in one step (links join tables of one directory).
    if (anyOrphan) {
        const std::string dbPath = swap.stagedPath(dbName);
        if (ds.keyFields > 0) {
            File staged = File::openRead(dbPath);
            const DbHeader nh = ReadDbHeader(staged, false);
            PrimaryIndexSource src{&staged, &nh, staged.size(), dep->checksum, dep->base + ".PX"};
            WritePrimaryIndex(src, swap.stage(MemberFile(*dep, "PX")));
        }
        StageSecondaryIndexes(swap, *dep, dbPath, defs);
    } else if (defs.size() > existingIndexes) {
        StageSecondaryIndexes(swap, *dep, dep->dbPath, {defs.back()});
    }
    const std::vector<uint8_t> bytes = EncodeValFile(depVal, ReadValStamps(dep->dir, dep->base));
    swap.stage(MemberFile(*dep, "VAL")).writeAt(0, bytes.data(), bytes.size());
    if (mas->dir == dep->dir) {
        swap.stage(MemberFile(*mas, "VAL")).writeAt(0, masBytes.data(), masBytes.size());
        swap.commit();
    } else {
        swap.commit();
        FamilySwap other(mas->dir, mas->base);
        other.stage(MemberFile(*mas, "VAL")).writeAt(0, masBytes.data(), masBytes.size());
        other.commit();
    }
    return result;
}

namespace {

// Stages the new .VAL of a table, or its removal when nothing is left in it.
void StageVal(FamilySwap& swap, const TableState& s, const ValContents& v) {
    if (ValIsEmpty(v)) {
        swap.remove(MemberFile(s, "VAL"));
    } else {
        const std::vector<uint8_t> bytes = EncodeValFile(v, ReadValStamps(s.dir, s.base));
        swap.stage(MemberFile(s, "VAL")).writeAt(0, bytes.data(), bytes.size());
    }
}

}  // namespace

void StageMasterSides(FamilySwap& swap, const std::string& depDir, const std::string& depBase,
                      const std::vector<RILinkDescriptor>& dropped, const std::vector<RILinkDescriptor>& renumbered,
                      const std::vector<RILinkDescriptor>& added, const OpenOptions& options) {
    // Masters by their base name, each changed once for all its links.
    std::vector<std::pair<std::shared_ptr<TableState>, ValContents>> masters;
    // The .VAL contents of the master of `link` (an empty one when it has none and `create`), or
    // nullptr for a master that is gone or has no .VAL.
    const auto masterOf = [&](const RILinkDescriptor& link, bool create) -> std::pair<TableState*, ValContents*> {
        const std::string masterBase = TableBaseName(fixedText(link.otherTable));
        if (vortab::SameNameNoCase(masterBase, depBase) || !FindTableFile(depDir, masterBase, "DB")) return {nullptr, nullptr};
        auto at = std::find_if(masters.begin(), masters.end(),
                               [&](const auto& m) { return vortab::SameNameNoCase(m.first->base, masterBase); });
        if (at == masters.end()) {
            auto mas = OpenTableState(depDir, masterBase, options);
            CheckMayChangeStructure(*mas);  // its .VAL changes too
            auto val = ReadValFile(mas->dir, mas->base);
            if (!val && !create) return {nullptr, nullptr};
            masters.emplace_back(mas, val ? *val : EmptyValFor(mas->dir, mas->base));
            at = masters.end() - 1;
        }
        return {at->first.get(), &at->second};
    };
    // The master's record of dependent link `link`, or nullptr.
    const auto recordOf = [&](const RILinkDescriptor& link) -> std::pair<ValContents*, RILinkDescriptor*> {
        ValContents* v = masterOf(link, false).second;
        if (!v) return {nullptr, nullptr};
        auto mit = std::find_if(v->links.begin(), v->links.end(), [&](const RILinkDescriptor& l) {
            return l.kind == uint32_t(LinkKind::Master) && vortab::SameNameNoCase(fixedText(l.name), fixedText(link.name)) &&
                   vortab::SameNameNoCase(TableBaseName(fixedText(l.otherTable)), depBase);
        });
        return {v, mit == v->links.end() ? nullptr : &*mit};
    };
    for (const RILinkDescriptor& link : dropped)
        if (auto [v, record] = recordOf(link); record) v->links.erase(v->links.begin() + (record - v->links.data()));
    for (const RILinkDescriptor& link : renumbered)
        if (auto [v, record] = recordOf(link); record)
            for (uint16_t i = 0; i < link.fieldCount && i < kMaxKeyFields; ++i) record->otherFields[i] = link.thisFields[i];
    if (!added.empty()) {
        const std::string depFile = FileNamePart(*FindTableFile(depDir, depBase, "DB"));
        for (const RILinkDescriptor& link : added) {
            auto [mas, v] = masterOf(link, true);
            if (!v) throw EngineError(err::kNoSuchTable, fixedText(link.otherTable));
            AddMasterRecord(*v, link, depFile, mas->header.schema.keyFields);
        }
    }
    for (auto& [mas, v] : masters) {
        if (std::none_of(v.links.begin(), v.links.end(),
                         [](const RILinkDescriptor& l) { return l.kind == uint32_t(LinkKind::Master); }))
            v.masterKeyFields.clear();
        StageVal(swap, *mas, v);
    }
}

void DropLinks(const std::string& dir, const std::string& dependent, const std::vector<std::string>& names,
               const OpenOptions& options) {
    RecoverDirectory(LocateTable(dir, dependent).dir);
    auto dep = OpenTableState(dir, dependent, options);
    CheckMayChangeStructure(*dep);
    auto depVal = ReadValFile(dep->dir, dep->base);
    std::vector<RILinkDescriptor> dropped;
    for (const std::string& name : names) {
        if (!depVal) throw EngineError(err::kInvalidParam, "the table has no links");
        auto it = std::find_if(depVal->links.begin(), depVal->links.end(), [&](const RILinkDescriptor& l) {
            return l.kind == uint32_t(LinkKind::Dependent) && vortab::SameNameNoCase(fixedText(l.name), name);
        });
        if (it == depVal->links.end()) throw EngineError(err::kInvalidParam, "no link named " + name);
        dropped.push_back(*it);
        depVal->links.erase(it);
    }
    if (dropped.empty()) return;
    FamilySwap swap(dep->dir, dep->base);
    StageVal(swap, *dep, *depVal);
    StageMasterSides(swap, dep->dir, dep->base, dropped, {}, {}, options);
    swap.commit();
}

void DropLink(const std::string& dir, const std::string& dependent, const std::string& name, const OpenOptions& options) {
    DropLinks(dir, dependent, {name}, options);
}

}  // namespace paradox
