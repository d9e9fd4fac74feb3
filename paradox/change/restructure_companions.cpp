// Secondary indexes and the .VAL across a restructure.
#include "paradox/change/restructure_companions.h"

#include <algorithm>

#include "paradox/change/link_ops.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/table_state.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

bool IsIndexFile(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    const char c = vortab::UpperCase1252(name[dot + 1]);
    return (c == 'X' || c == 'Y') && name.size() - dot - 1 == 3;
}

// An empty .VAL for the new table, in the version Paradox writes for its level.
ValContents NewVal(const RestructurePlan& p) {
    ValContents v;
    v.version = ValVersionForTable(p.version);
    return v;
}

// The .VAL's copy of the field list and key.
void DescribeFields(ValContents& v, const RestructurePlan& p) {
    v.fields.clear();
    for (const auto& f : p.schema.fields) v.fields.push_back({f.id, static_cast<uint8_t>(f.type), f.sizeByte, f.name});
    v.keyFields = p.schema.keyFields;
    v.stale = false;
}

// New number of an old 1-based field number; 0 when dropped or out of range.
uint16_t Renumber(const RestructurePlan& p, uint16_t oldNumber) {
    if (oldNumber == 0 || oldNumber > p.newNumberOfOld.size()) return 0;
    return p.newNumberOfOld[oldNumber - 1];
}

// A kept link's fields by their new numbers; true when one moved. A dependent's link fields may
// move (the master's record of the link is renumbered with it); a master's are its key fields,
// which stay first.
bool RemapLinkFields(const RestructurePlan& p, const Schema& oldSchema, RILinkDescriptor& link) {
    const std::string name = fixedText(link.name);
    bool moved = false;
    for (uint16_t i = 0; i < link.fieldCount && i < kMaxKeyFields; ++i) {
        const uint16_t n = Renumber(p, link.thisFields[i]);
        if (n == 0) throw EngineError(err::kInvalidRestructOp, "field of referential-integrity link " + name + " dropped");
        // Both ends of a link hold values of one type and size.
        const Field& was = oldSchema.fields[link.thisFields[i] - 1u];
        const Field& is = p.schema.fields[n - 1u];
        if (was.type != is.type || was.sizeByte != is.sizeByte)
            throw EngineError(err::kInvalidRestructOp, "field " + is.name + " of referential-integrity link " + name + " changes type");
        if (n == link.thisFields[i]) continue;
        if (link.kind != uint32_t(LinkKind::Dependent))
            throw EngineError(err::kInvalidRestructOp, "key field of master table in link " + name + " moved");
        link.thisFields[i] = n;
        moved = true;
    }
    return moved;
}

void ApplyCheckEntries(const TableDescriptor& desc, const RestructurePlan& p, std::vector<ValidityCheckDescriptor>& checks) {
    if (desc.checkCount > 0 && !desc.checks) throw EngineError(err::kInvalidParam, "check list missing");
    for (int i = 0; i < desc.checkCount; ++i) {
        const ValidityCheckDescriptor& c = desc.checks[i];
        const uint32_t op = desc.checkOps ? static_cast<uint32_t>(desc.checkOps[i]) : CRADD;
        if (op > CRDROP) throw EngineError(err::kInvalidRestructOp, "check operation " + std::to_string(op));
        if (op == CRNOOP || op == CRCOPY) continue;
        if (c.fieldNumber == 0 || c.fieldNumber > p.schema.fields.size())
            throw EngineError(err::kInvalidParam, "validity check on field " + std::to_string(c.fieldNumber));
        auto it = std::find_if(checks.begin(), checks.end(), [&](const auto& x) { return x.fieldNumber == c.fieldNumber; });
        if (op == CRDROP) {
            if (it == checks.end()) throw EngineError(err::kInvalidParam, "no validity check on field " + std::to_string(c.fieldNumber));
            checks.erase(it);
        } else if (it != checks.end()) {
            *it = c;  // one check record per field: add and modify replace it
        } else {
            checks.push_back(c);
        }
    }
    std::stable_sort(checks.begin(), checks.end(), [](const auto& a, const auto& b) { return a.fieldNumber < b.fieldNumber; });
}

}  // namespace

CompanionPlan PlanCompanions(const TableState& old, const RestructurePlan& p, const TableDescriptor& desc,
                             const std::vector<RILinkDescriptor>& droppedLinks) {
    CompanionPlan c;
    for (const auto& f : FamilyFiles(old.dir, old.base))
        if (IsIndexFile(FileNamePart(f))) c.oldIndexFiles.push_back(FileNamePart(f));
    if (!c.oldIndexFiles.empty()) {
        const auto defs = ReadSecondaryIndexDefs(old.dir, old.base);
        c.indexes = RemapSecondaryIndexDefs(defs, p.newNumberOfOld, p.schema);
    }

    auto oldVal = ReadValFile(old.dir, old.base);
    c.hadVal = oldVal.has_value();
    ValContents v;
    if (oldVal) {
        v = *oldVal;
        // The version byte stays as read while the table keeps its level.
        if (LevelOfVersion(p.version) != LevelOfVersion(old.header.version)) v.version = ValVersionForTable(p.version);
        std::vector<ValidityCheckDescriptor> kept;
        for (auto chk : v.checks) {
            const uint16_t n = Renumber(p, chk.fieldNumber);
            if (n == 0) continue;  // the field is gone, and its check with it
            const Field& nf = p.schema.fields[n - 1];
            const Field& of = old.header.schema.fields[chk.fieldNumber - 1];
            if (nf.type != of.type || nf.sizeByte != of.sizeByte) {
                // Values stored for the old type do not describe the new one.
                chk.minimumKind = chk.maximumKind = chk.defaultKind = 0;
            }
            chk.fieldNumber = n;
            kept.push_back(chk);
        }
        v.checks = std::move(kept);
        std::erase_if(v.links, [&](const RILinkDescriptor& l) {
            return l.kind == uint32_t(LinkKind::Dependent) &&
                   std::any_of(droppedLinks.begin(), droppedLinks.end(), [&](const RILinkDescriptor& d) {
                       return vortab::SameNameNoCase(fixedText(d.name), fixedText(l.name));
                   });
        });
        for (auto& link : v.links)
            if (RemapLinkFields(p, old.header.schema, link)) c.renumberedLinks.push_back(link);
        for (auto& k : v.masterKeyFields) {
            const uint16_t n = Renumber(p, k);
            if (n != k) throw EngineError(err::kInvalidRestructOp, "key field of a master table dropped or moved");
        }
    } else {
        v = NewVal(p);
    }
    DescribeFields(v, p);
    ApplyCheckEntries(desc, p, v.checks);
    if (!ValIsEmpty(v)) c.val = std::move(v);
    return c;
}

void AddLinksToPlan(CompanionPlan& c, const RestructurePlan& p, const std::vector<RILinkDescriptor>& entries) {
    if (entries.empty()) return;
    if (!c.val) {
        c.val = NewVal(p);
        DescribeFields(*c.val, p);
    }
    for (const RILinkDescriptor& entry : entries) {
        InsertDependentLink(*c.val, entry);
        if (auto def = LinkIndexFor(entry, p.schema, c.indexes)) c.indexes.push_back(*def);
    }
}

void StageCompanions(FamilySwap& swap, const TableState& old, const CompanionPlan& c, const std::string& stagedDb,
                     uint32_t checksum, const ValStamps& stamps) {
    const std::string dbName = FileNamePart(old.dbPath);
    std::vector<std::string> newFiles;
    for (const auto& def : c.indexes) {
        const std::string yExt = YExtension(def.extension);
        const std::string xName = IndexFileName(dbName, def.extension);
        const std::string yName = IndexFileName(dbName, yExt);
        // An existing file of that extension keeps its spelling.
        std::string xTarget = xName, yTarget = yName;
        for (const auto& f : c.oldIndexFiles) {
            if (vortab::SameNameNoCase(f, xName)) xTarget = f;
            if (vortab::SameNameNoCase(f, yName)) yTarget = f;
        }
        fault::FaultPoint("restructure: build index");
        BuildIndexFiles(stagedDb, checksum, def, old.base, swap.reserve(xTarget), swap.reserve(yTarget));
        newFiles.push_back(xTarget);
        newFiles.push_back(yTarget);
    }
    for (const auto& f : c.oldIndexFiles)
        if (std::find(newFiles.begin(), newFiles.end(), f) == newFiles.end()) swap.remove(f);

    if (c.val) {
        const std::vector<uint8_t> bytes = EncodeValFile(*c.val, stamps);
        File& f = swap.stage(swap.memberName("VAL"));
        f.writeAt(0, bytes.data(), bytes.size());
    } else if (c.hadVal) {
        swap.remove(swap.memberName("VAL"));
    }
}

}  // namespace paradox
