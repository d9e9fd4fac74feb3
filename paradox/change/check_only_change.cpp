// Validity checks changed without a rewrite: the records are read once against the new checks.
#include "paradox/change/check_only_change.h"

#include <cstring>
#include <vector>

#include "paradox/format/field_codec.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/table/table_state.h"

namespace paradox {

namespace {

bool SameField(const Field& a, const Field& b) {
    return a.name == b.name && a.type == b.type && a.sizeByte == b.sizeByte && a.width == b.width && a.offset == b.offset;
}

// Types whose record bytes compare (memcmp) in the order of their values.
bool ByteOrdered(PxType t) {
    switch (t) {
    case PxType::Date: case PxType::Short: case PxType::Long: case PxType::Money: case PxType::Number:
    case PxType::Time: case PxType::Timestamp: case PxType::AutoInc:
        return true;
    default:
        return false;
    }
}

// A check in the form one record is tested against: the field and its bounds in record encoding.
struct RecordTest {
    Field field;
    bool required = false;
    std::vector<uint8_t> minimum, maximum;  // empty when not bounded

    bool broken(const uint8_t* record) const {
        if (IsBlankField(field, record)) return required;  // a blank passes the bounds
        const uint8_t* v = record + field.offset;
        if (!minimum.empty() && std::memcmp(v, minimum.data(), field.width) < 0) return true;
        return !maximum.empty() && std::memcmp(v, maximum.data(), field.width) > 0;
    }
};

std::vector<uint8_t> Bound(const Field& f, const uint8_t* native) {
    std::vector<uint8_t> out(f.width);
    EncodeCheckValue(static_cast<uint8_t>(f.type), f.sizeByte, native, out.data(), out.size());
    return out;
}

// The test for check c, or false when this engine does not evaluate one of its rules.
bool MakeTest(const Schema& schema, const ValidityCheckDescriptor& c, RecordTest& test) {
    if (c.fieldNumber == 0 || c.fieldNumber > schema.fields.size()) return false;
    test.field = schema.fields[c.fieldNumber - 1u];
    test.required = c.required != 0;
    if (c.picture[0] != 0 || c.lookupKind != 0) return false;
    const auto given = uint16_t(CheckValueKind::Value), none = uint16_t(CheckValueKind::None);
    for (const uint16_t kind : {c.minimumKind, c.maximumKind})
        if (kind != none && (kind != given || !ByteOrdered(test.field.type))) return false;
    if (c.minimumKind == given) test.minimum = Bound(test.field, c.minimum);
    if (c.maximumKind == given) test.maximum = Bound(test.field, c.maximum);
    return true;
}

}  // namespace

bool ChangesChecksOnly(const TableState& old, const RestructurePlan& plan, const TableDescriptor& desc,
                       const LinkChanges& links) {
    const DbHeader& h = old.header;
    if (!links.empty() || desc.securityCount > 0 || desc.optionCount > 0) return false;
    if (plan.newChecksum != h.checksum || plan.version != h.version || plan.blockSize != h.blockSize()) return false;
    const Schema& was = h.schema;
    if (plan.schema.fields.size() != was.fields.size() || plan.schema.keyFields != was.keyFields ||
        plan.schema.recordSize != was.recordSize)
        return false;
    for (std::size_t i = 0; i < was.fields.size(); ++i)
        if (plan.source[i] != int(i) || !SameField(plan.schema.fields[i], was.fields[i])) return false;
    return true;
}

bool AnyRecordMayBreakNewChecks(const std::shared_ptr<TableState>& old, const TableDescriptor& desc) {
    std::vector<RecordTest> tests;
    for (int i = 0; i < desc.checkCount; ++i) {
        const uint32_t op = desc.checkOps ? uint32_t(desc.checkOps[i]) : CRADD;
        if (op == CRNOOP || op == CRCOPY || op == CRDROP) continue;
        RecordTest t;
        if (!MakeTest(old->header.schema, desc.checks[i], t)) return true;
        tests.push_back(std::move(t));
    }
    if (tests.empty()) return false;
    RecordReader r(old);
    while (r.next())
        for (const RecordTest& t : tests)
            if (t.broken(r.record().raw())) return true;
    return false;
}

RestructureResult ReplaceChecksOnly(const TableState& old, const CompanionPlan& companions) {
    RestructureResult result;
    result.records = old.header.numRecords;
    FamilySwap swap(old.dir, old.base);
    if (companions.val) {
        const std::vector<uint8_t> bytes = EncodeValFile(*companions.val, ReadValStamps(old.dir, old.base));
        File& f = swap.stage(swap.memberName("VAL"));
        f.writeAt(0, bytes.data(), bytes.size());
    } else if (companions.hadVal) {
        swap.remove(swap.memberName("VAL"));
    } else {
        return result;  // no .VAL before and none after
    }
    fault::FaultPoint("restructure: checks written");
    swap.commit();
    return result;
}

}  // namespace paradox
