// Batch move. Every record's fate is worked out first (keys compared in their record encoding,
// sorted and merged in bounded memory); then the destination's kept records and the source's
// inserted ones stream into a scratch table created with the destination's own structure,
// which is put in place of the destination's data, primary index and blob file in one
// crash-safe step, with its secondary indexes rebuilt and its .VAL re-stamped.
#include "paradox/change/batch_move.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "paradox/change/index_ops.h"
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
#include "paradox/storage/work_directory.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/table_companions.h"
#include "paradox/table/table_state.h"
#include "paradox/table/table_writer.h"
#include "shared/text/case_fold.h"
#include "shared/text/whole_file.h"

namespace paradox {

namespace {

using namespace detail;
using Row = std::vector<Value>;

struct Problem {
    int code;
};

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// For each destination field the source field it takes (-1: none).
std::vector<int> MapFields(const Schema& dst, const Schema& src, const std::vector<std::string>& lines) {
    std::vector<int> map(dst.fields.size(), -1);
    if (lines.empty()) {
        for (std::size_t i = 0; i < map.size() && i < src.fields.size(); ++i) map[i] = static_cast<int>(i);
        return map;
    }
    for (const std::string& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        const auto eq = line.find('=');
        const std::string d = Trim(eq == std::string::npos ? line : line.substr(0, eq));
        const std::string s = Trim(eq == std::string::npos ? line : line.substr(eq + 1));
        const int di = dst.find(d), si = src.find(s);
        if (di < 0 || si < 0) throw EngineError(err::kInvalidParam, "mapping line: " + line);
        map[std::size_t(di)] = si;
    }
    return map;
}

// The value converted for field f, or a Problem when it cannot be held.
Value Convert(const Value& v, const Field& f) {
    if (v.isNull()) return v;
    const ValueKind k = v.kind();
    auto asInt = [&](double d) {
        if (!std::isfinite(d) || d != std::floor(d)) throw Problem{err::kInvalidFieldXform};
        return Value::integer(static_cast<int64_t>(d));
    };
    switch (f.type) {
    case PxType::Alpha:
        if (k == ValueKind::Text) return v;
        if (k == ValueKind::Bytes) return Value::text(v.asString());
        return Value::text(ToDisplayString(v));
    case PxType::Memo:
    case PxType::FmtMemo:
        if (k == ValueKind::Text || k == ValueKind::Bytes) return Value::text(v.asString());
        return Value::text(ToDisplayString(v));
    case PxType::Blob:
    case PxType::Ole:
    case PxType::Graphic:
    case PxType::Bytes:
        if (k == ValueKind::Text || k == ValueKind::Bytes) return Value::bytes(v.asString());
        break;
    case PxType::Short:
    case PxType::Long:
    case PxType::AutoInc:
        if (k == ValueKind::Integer) return v;
        if (k == ValueKind::Float) return asInt(v.asDouble());
        if (k == ValueKind::Bcd) return asInt(std::stod(v.asString()));
        break;
    case PxType::Number:
    case PxType::Money:
        if (k == ValueKind::Float) return v;
        if (k == ValueKind::Integer) return Value::number(static_cast<double>(v.asInt()));
        if (k == ValueKind::Bcd) return Value::number(std::stod(v.asString()));
        break;
    case PxType::Bcd:
        if (k == ValueKind::Bcd) return v;
        if (k == ValueKind::Integer) return Value::bcd(std::to_string(v.asInt()));
        if (k == ValueKind::Float) return Value::bcd(ToDisplayString(v));
        break;
    case PxType::Logical:
        if (k == ValueKind::Bool) return v;
        break;
    case PxType::Date:
        if (k == ValueKind::Date) return v;
        if (k == ValueKind::Timestamp) return Value::date(static_cast<int32_t>(std::floor(v.asDouble() / 86400000.0)));
        break;
    case PxType::Time:
        if (k == ValueKind::Time) return v;
        break;
    case PxType::Timestamp:
        if (k == ValueKind::Timestamp) return v;
        if (k == ValueKind::Date) return Value::timestamp(double(v.asInt()) * 86400000.0);
        break;
    }
    throw Problem{err::kInvalidFieldXform};
}

// The key of a row in its record encoding (empty for unkeyed tables); a Problem if it does not fit.
std::string KeyOf(const Schema& s, const Row& row, std::vector<uint8_t>& buf) {
    buf.assign(s.recordSize, 0);
    std::string key;
    for (uint16_t k = 0; k < s.keyFields; ++k) {
        const Field& f = s.fields[k];
        try {
            EncodeField(f, row[k], buf.data());
        } catch (const EngineError& e) {
            throw Problem{e.code()};
        }
        key.append(reinterpret_cast<const char*>(buf.data() + f.offset), f.width);
    }
    return key;
}

// Every value of a row checked against its field (a Problem when one does not fit).
void CheckRow(const Schema& s, const Row& row, std::vector<uint8_t>& buf) {
    buf.assign(s.recordSize, 0);
    for (std::size_t i = 0; i < s.fields.size(); ++i) {
        const Field& f = s.fields[i];
        if (IsBlobType(f.type)) continue;
        try {
            EncodeField(f, row[i], buf.data());
        } catch (const EngineError& e) {
            throw Problem{e.code()};
        }
    }
}

OpenOptions WithPassword(const std::string& password) {
    OpenOptions o;
    if (!password.empty()) o.passwords.push_back(password);
    return o;
}

// Replaces the destination's records by those `fill` inserts (already checked), keeping its
// structure, indexes, checks and links. `like` supplies the structure (the destination itself,
// or for a copy the source).
void RewriteRows(const std::string& dir, const std::string& destBase, const Table& like, const std::string& password,
                 const std::function<void(TableWriter&)>& fill, bool replaceFamily) {
    // Built in a work directory of its own, so that a crash never leaves it as a table of the database.
    const WorkDirectory work(dir);
    const std::string scratch = "SCRATCH";
    CreateTableLike(work.path(), scratch, like, password);
    {
        TableWriter w = TableWriter::open(work.path(), scratch, WithPassword(password));
        fill(w);
        w.commit();
    }
    auto fresh = OpenTableState(work.path(), scratch, WithPassword(password));
    const bool destExists = FindTableFile(dir, destBase, "DB").has_value();
    std::shared_ptr<TableState> dest = destExists ? OpenTableState(dir, destBase, WithPassword(password)) : nullptr;

    FamilySwap swap(dir, destBase);
    const std::string dbName = dest ? FileNamePart(dest->dbPath) : swap.memberName("DB");
    File& db = swap.stage(dbName);
    CopyFileContents(fresh->db, db);
    // Auto-increment values never go back.
    if (dest && !replaceFamily && dest->header.schema.autoIncField() >= 0) {
        uint8_t counter[4];
        PutLE32(counter, std::max(fresh->header.autoInc, dest->header.autoInc));
        db.writeAt(hdr::kAutoInc, counter, 4);
    }
    auto member = [&](const std::string& ext) {
        if (dest) return MemberFile(*dest, ext);
        return swap.memberName(ext);
    };
    for (const char* ext : {"PX", "MB"}) {
        if (auto f = FindTableFile(work.path(), scratch, ext)) {
            CopyFileContents(File::openRead(*f), swap.stage(member(ext)));
        } else if (dest && FindTableFile(dir, destBase, ext)) {
            swap.remove(member(ext));
        }
    }
    if (dest && replaceFamily) {
        for (const std::string& f : FamilyFileNames(dir, destBase)) {
            const std::string ext = vortab::UpperCase1252(f.substr(f.rfind('.') + 1));
            if (ext != "DB" && ext != "PX" && ext != "MB") swap.remove(f);
        }
    } else if (dest) {
        StageSecondaryIndexes(swap, *dest, swap.stagedPath(dbName), ReadSecondaryIndexDefs(dir, destBase));
        if (auto val = ReadValFile(dir, destBase)) {
            File staged = File::openRead(swap.stagedPath(dbName));
            const DbHeader nh = ReadDbHeader(staged, false);
            for (std::size_t i = 0; i < val->fields.size() && i < nh.schema.fields.size(); ++i)
                val->fields[i].id = nh.schema.fields[i].id;
            ValStamps st;
            st.changeStamp = nh.changeCount2;
            if (nh.hasExtension()) {
                st.updateStamp = GetLE32(nh.raw.data() + hdr::kUpdateStamp);
                st.hiFieldId = nh.hiFieldId;
            }
            const std::vector<uint8_t> b = EncodeValFile(*val, st);
            swap.stage(member("VAL")).writeAt(0, b.data(), b.size());
        }
    }
    swap.commit();
}

// A source record as a destination row; a Problem when a value does not fit.
Row ConvertRow(const Row& in, const std::vector<int>& map, const Schema& ds, std::vector<uint8_t>& buf) {
    Row row(ds.fields.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        if (map[i] >= 0) row[i] = Convert(in[std::size_t(map[i])], ds.fields[i]);
    CheckRow(ds, row, buf);
    return row;
}

// What becomes of each source record.
enum class Fate : uint8_t { Skip, Insert, KeyViolation };

struct MovePlan {
    std::vector<Fate> source;        // per source record, in chain order
    std::vector<bool> destDropped;   // per destination record: deleted or replaced
    uint32_t keyViolations = 0;
};

// Decides every record's fate without holding the tables in memory: the source's keys (with
// their positions) and the destination's are sorted apart and merged. Source records with one
// key act in turn on the destination as the earlier ones left it, so in each group only the
// last update survives, and an append after the first is a key violation. Counts moved records
// and problems into result; a problem aborts when the request says so.
MovePlan PlanMove(const BatchMoveRequest& rq, const Table& source, const std::shared_ptr<TableState>& dest,
                  const std::vector<int>& map, BatchMoveResult& result) {
    const Schema& ds = dest->header.schema;
    const uint16_t keySize = ds.keySize();
    const auto keyLess = [keySize](const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, keySize) < 0; };
    MovePlan plan;
    std::vector<uint8_t> buf, entry(keySize + 4u);
    ExternalSorter sourceKeys(dest->dir, source.properties().isProtected || dest->checksum != 0, keySize + 4u, keyLess);
    {
        RecordReader rd = source.records();
        for (uint32_t i = 0; rd.next(); ++i) {
            plan.source.push_back(Fate::Skip);
            std::string key;
            try {
                const Row row = ConvertRow(rd.values(), map, ds, buf);
                key = KeyOf(ds, row, buf);
            } catch (const Problem& p) {
                if (rq.abortOnProblem) throw EngineError(p.code, "batch move: a value does not fit the destination");
                ++result.problems;
                continue;
            }
            if (keySize == 0) {
                plan.source.back() = Fate::Insert;  // an unkeyed destination takes every record
                ++result.moved;
                continue;
            }
            std::memcpy(entry.data(), key.data(), keySize);
            PutLE32(entry.data() + keySize, i);
            sourceKeys.add(entry.data());
        }
    }
    if (keySize == 0) return plan;
    ExternalSorter destKeys(dest->dir, dest->checksum != 0, keySize + 4u, keyLess);
    {
        RecordReader rd(dest);
        for (uint32_t i = 0; rd.next(); ++i) {
            std::size_t at = 0;  // the key leads the record
            for (uint16_t k = 0; k < ds.keyFields; ++k) {
                CopyCanonicalField(ds.fields[k], rd.record().raw(), entry.data() + at);
                at += ds.fields[k].width;
            }
            PutLE32(entry.data() + keySize, i);
            destKeys.add(entry.data());
            plan.destDropped.push_back(false);
        }
    }
    const uint8_t* d = destKeys.next();
    const uint8_t* e = sourceKeys.next();
    std::vector<uint8_t> group;  // the current key
    while (e) {
        group.assign(e, e + keySize);
        while (d && std::memcmp(d, group.data(), keySize) < 0) d = destKeys.next();
        const bool inDest = d && std::memcmp(d, group.data(), keySize) == 0;
        uint32_t first = GetLE32(e + keySize), last = first, size = 0;
        for (; e && std::memcmp(e, group.data(), keySize) == 0; e = sourceKeys.next()) {
            last = GetLE32(e + keySize);
            ++size;
            if (rq.mode == BatchMode::Append && (inDest || size > 1)) {
                plan.source[last] = Fate::KeyViolation;
                ++plan.keyViolations;
            }
        }
        switch (rq.mode) {
        case BatchMode::Append:
            if (!inDest) {
                plan.source[first] = Fate::Insert;
                ++result.moved;
            }
            break;
        case BatchMode::Update:
        case BatchMode::AppendUpdate:
            if (!inDest && rq.mode == BatchMode::Update) break;
            plan.source[last] = Fate::Insert;
            if (inDest) plan.destDropped[GetLE32(d + keySize)] = true;
            result.moved += size;
            break;
        case BatchMode::Delete:
            if (inDest) {
                plan.destDropped[GetLE32(d + keySize)] = true;
                ++result.moved;
            }
            break;
        case BatchMode::Copy:
            break;
        }
    }
    return plan;
}

// Visits a table's records with their chain positions, which must be the `planned` ones the
// plan was made for.
void ForEachPlanned(const Table& t, std::size_t planned, const std::function<void(std::size_t, const RecordReader&)>& visit) {
    ForEachPlannedRecord(t.records(), planned, t.path(), visit);
}

}  // namespace

std::vector<std::string> ReadMappingFile(const std::string& path) {
    constexpr std::size_t kMaxMappingLines = 4096, kMaxMappingBytes = 4u << 20;
    const vortab::WholeFile file = vortab::ReadWholeFile(path, kMaxMappingBytes);
    if (file.error == vortab::FileReadError::TooLarge) throw EngineError(err::kInvalidParam, "mapping file too long");
    if (!file.ok()) throw EngineError(err::kInvalidParam, "mapping file not found: " + path);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < file.bytes.size();) {
        const std::size_t end = std::min(file.bytes.find('\n', start), file.bytes.size());
        if (lines.size() > kMaxMappingLines) throw EngineError(err::kInvalidParam, "mapping file too long");
        std::string line = Trim(file.bytes.substr(start, end - start));
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

BatchMoveResult BatchMove(const BatchMoveRequest& rq) {
    if (static_cast<uint8_t>(rq.mode) > static_cast<uint8_t>(BatchMode::Copy)) throw EngineError(err::kInvalidParam, "batch mode");
    const Table source = Table::open(rq.sourceDir, rq.sourceTable, rq.sourceOptions);
    const TableLocation loc = LocateTable(rq.destDir, rq.destTable);
    BatchMoveResult result;

    if (rq.mode == BatchMode::Copy) {
        // The destination becomes the source's structure with the source's records.
        auto sourceState = OpenTableState(rq.sourceDir, rq.sourceTable, rq.sourceOptions);
        const std::string password = MatchingPassword(*sourceState, rq.sourceOptions);
        RewriteRows(loc.dir, loc.base, source, password, [&](TableWriter& w) {
            RecordReader rd = source.records();
            while (rd.next()) {
                w.insert(rd.values());
                ++result.moved;
            }
        }, true);
        return result;
    }

    auto destState = OpenTableState(loc.dir, loc.base, rq.destOptions);
    RequireUnderstoodCompanions(destState->dir, destState->base, destState->header.schema);
    const std::string password = MatchingPassword(*destState, rq.destOptions);
    const Table dest = Table::over(destState);
    const Schema& ds = dest.schema();
    if (ds.keyFields == 0 && rq.mode != BatchMode::Append)
        throw EngineError(err::kNoTableSupport, "update and delete need a keyed destination");
    const std::vector<int> map = MapFields(ds, source.schema(), rq.mappings);

    const MovePlan plan = PlanMove(rq, source, destState, map, result);
    if (plan.keyViolations > 0 && rq.abortOnKeyViolation) throw EngineError(err::kKeyViol, "batch move: key violation");
    result.keyViolations = plan.keyViolations;
    std::vector<uint8_t> buf;
    if (plan.keyViolations > 0) {
        // Stored before the destination changes: a crash in between leaves them twice, never nowhere.
        result.keyViolTable = WriteKeyViolations(*destState, password, [&](TableWriter& w) {
            ForEachPlanned(source, plan.source.size(), [&](std::size_t i, const RecordReader& rd) {
                if (plan.source[i] == Fate::KeyViolation) w.insert(ConvertRow(rd.values(), map, ds, buf));
            });
        });
    }
    RewriteRows(loc.dir, destState->base, dest, password, [&](TableWriter& w) {
        if (ds.keyFields > 0)
            ForEachPlanned(dest, plan.destDropped.size(), [&](std::size_t i, const RecordReader& rd) {
                if (!plan.destDropped[i]) w.insert(rd.values());
            });
        else
            for (RecordReader kept = dest.records(); kept.next();) w.insert(kept.values());
        ForEachPlanned(source, plan.source.size(), [&](std::size_t i, const RecordReader& rd) {
            if (plan.source[i] == Fate::Insert) w.insert(ConvertRow(rd.values(), map, ds, buf));
        });
    }, false);
    return result;
}

}  // namespace paradox
