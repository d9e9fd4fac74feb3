// Security entries applied to a table's auxiliary password store.
#include "paradox/table/security.h"

#include <algorithm>
#include <cstring>

#include "paradox/session/aux_password.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/table_state.h"

namespace paradox {

namespace {

std::string PasswordOf(const SecurityDescriptor& d) { return std::string(d.password, strnlen(d.password, sizeof d.password)); }

bool ValidTableRights(uint32_t r) {
    return r == rights::kNone || r == rights::kReadOnly || r == rights::kModify || r == rights::kInsert ||
           r == rights::kInsertDelete || r == rights::kFull;
}

}  // namespace

void StageAuxStore(FamilySwap& swap, const std::string& dir, const std::string& base,
                   const std::optional<std::vector<uint8_t>>& bytes) {
    const std::string name = swap.memberName(kAuxPasswordExtension);
    if (bytes) swap.stage(name).writeAt(0, bytes->data(), bytes->size());
    else if (FindTableFile(dir, base, kAuxPasswordExtension)) swap.remove(name);
}

namespace {

void WriteStore(const TableState& s, const AuxStore& store) {
    FamilySwap swap(s.dir, s.base);
    StageAuxStore(swap, s.dir, s.base, StoreBytes(store, s.checksum));
    swap.commit();
}

// Opens with the master password only: auxiliary passwords cannot change security.
std::shared_ptr<TableState> OpenAsMaster(const std::string& dir, const std::string& table, const OpenOptions& options) {
    auto s = OpenTableState(dir, table, options);
    if (s->openedWithAuxPassword) throw EngineError(err::kNotSufficientTableRights, s->base);
    return s;
}

}  // namespace

std::vector<SecurityDescriptor> ListAuxPasswords(const std::string& dir, const std::string& table, const OpenOptions& options) {
    auto s = OpenAsMaster(dir, table, options);
    AuxStore store = ReadAuxStore(s->dir, s->base, s->checksum);
    for (auto& e : store.entries) e.familyRights = rights::kAllFamily;
    return store.entries;
}

void ApplyEntriesToStore(AuxStore& store, const SecurityDescriptor* entries, const OperationCode* ops, uint16_t count,
                         std::size_t fieldCount, bool protectedTable) {
    if (count > 0 && !entries) throw EngineError(err::kInvalidParam, "security entries missing");
    for (uint16_t i = 0; i < count; ++i) {
        SecurityDescriptor d = entries[i];
        const OperationCode op = ops ? ops[i] : CRADD;
        const std::string pw = PasswordOf(d);
        if (pw.empty() || pw.size() >= kPasswordSize) throw EngineError(err::kInvalidParam, "auxiliary password");
        auto it = std::find_if(store.entries.begin(), store.entries.end(),
                               [&](const SecurityDescriptor& e) { return PasswordOf(e) == pw; });
        if (op == CRNOOP || op == CRCOPY) continue;
        if (op == CRDROP) {
            if (it == store.entries.end()) throw EngineError(err::kInvalidParam, "no such auxiliary password");
            store.entries.erase(it);
            continue;
        }
        if (op != CRADD && op != CRMODIFY) throw EngineError(err::kInvalidRestructOp, "security entry operation");
        if (!protectedTable) throw EngineError(err::kInvalidParam, "auxiliary passwords need a master password");
        if (!ValidTableRights(d.tableRights)) throw EngineError(err::kInvalidParam, "table rights");
        for (std::size_t f = 0; f < kMaxFieldRights; ++f) {
            if (f >= fieldCount) d.fieldRights[f] = 0;
            else if (d.fieldRights[f] != rights::kFieldNone && d.fieldRights[f] != rights::kFieldReadOnly &&
                     d.fieldRights[f] != rights::kFieldFull)
                throw EngineError(err::kInvalidParam, "field rights");
        }
        d.familyRights = rights::kAllFamily;
        if (op == CRADD) {
            if (it != store.entries.end()) throw EngineError(err::kNameNotUnique, "auxiliary password exists");
            if (store.entries.size() >= 255) throw EngineError(err::kInvalidParam, "too many auxiliary passwords");
            store.entries.push_back(d);
        } else {
            if (it == store.entries.end()) throw EngineError(err::kInvalidParam, "no such auxiliary password");
            *it = d;
        }
    }
}

void RemapFieldRights(AuxStore& store, const std::vector<uint16_t>& newNumberOfOld, std::size_t newFieldCount) {
    for (SecurityDescriptor& e : store.entries) {
        uint32_t moved[kMaxFieldRights];
        for (std::size_t f = 0; f < kMaxFieldRights; ++f) moved[f] = f < newFieldCount ? rights::kFieldFull : 0;
        for (std::size_t old = 0; old < newNumberOfOld.size() && old < kMaxFieldRights; ++old) {
            const uint16_t n = newNumberOfOld[old];
            if (n >= 1 && n <= kMaxFieldRights) moved[n - 1] = e.fieldRights[old];
        }
        std::memcpy(e.fieldRights, moved, sizeof moved);
    }
}

std::optional<std::vector<uint8_t>> StoreBytes(AuxStore store, uint32_t masterChecksum) {
    if (masterChecksum == 0) store.entries.clear();
    if (store.entries.empty() && !store.strictIntegrity) return std::nullopt;
    return EncodeAuxStore(store, masterChecksum);
}

void ApplySecurityEntries(const std::string& dir, const std::string& table, const SecurityDescriptor* entries,
                          const OperationCode* ops, uint16_t count, const OpenOptions& options) {
    auto s = OpenAsMaster(dir, table, options);
    AuxStore store = ReadAuxStore(s->dir, s->base, s->checksum);
    ApplyEntriesToStore(store, entries, ops, count, s->header.schema.fields.size(), s->header.checksum != 0);
    WriteStore(*s, store);
}

std::optional<std::vector<uint8_t>> RekeyedAuxStore(const std::string& dir, const std::string& base, uint32_t oldChecksum,
                                                    uint32_t newChecksum) {
    return StoreBytes(ReadAuxStore(dir, base, oldChecksum), newChecksum);
}

void SetStrictIntegrity(const std::string& dir, const std::string& table, bool strict, const OpenOptions& options) {
    auto s = OpenAsMaster(dir, table, options);
    AuxStore store = ReadAuxStore(s->dir, s->base, s->checksum);
    store.strictIntegrity = strict;
    WriteStore(*s, store);
}

}  // namespace paradox
