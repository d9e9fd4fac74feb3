// Batch move. The destination's final record list is computed in memory (keys compared in
// their record encoding), written into a scratch table created with the destination's own
// structure, and then put in place of the destination's data, primary index and blob file in
// one crash-safe step, with its secondary indexes rebuilt and its .VAL re-stamped.
#include "paradox/batch_move.h"

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <map>

#include "paradox/byte_order.h"
#include "paradox/engine_error.h"
#include "paradox/family_swap.h"
#include "paradox/field_codec.h"
#include "paradox/index_maintenance.h"
#include "paradox/index_ops.h"
#include "paradox/index_ops_support.h"
#include "paradox/table_family.h"
#include "paradox/table_list.h"
#include "paradox/table_state.h"
#include "paradox/table_writer.h"
#include "paradox/text_case.h"
#include "paradox/val_file.h"
#include "paradox/val_writer.h"

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

std::vector<uint8_t> FileBytes(const std::string& path) {
    File f = File::openRead(path);
    std::vector<uint8_t> b(static_cast<std::size_t>(f.size()));
    if (!b.empty() && !f.readAt(0, b.data(), b.size())) throw EngineError(err::kReadErr, path);
    return b;
}

OpenOptions WithPassword(const std::string& password) {
    OpenOptions o;
    if (!password.empty()) o.passwords.push_back(password);
    return o;
}

// Creates an empty table named `name` in dir shaped like `like` (fields, key, level, block
// size, language driver, password).
void CreateLike(const std::string& dir, const std::string& name, const Table& like, const std::string& password) {
    std::vector<FieldDescriptor> fields = like.fieldDescriptors();
    for (auto& f : fields) f.validityCheck = 0;
    TableDescriptor td{};
    copyFixedText(td.tableName, name);
    copyFixedText(td.driverType, "PARADOX");
    td.fieldCount = static_cast<uint16_t>(fields.size());
    td.fields = fields.data();
    if (!password.empty()) {
        copyFixedText(td.password, password);
        td.protectedFlag = 1;
    }
    const TableProperties& p = like.properties();
    const std::string values[3] = {std::to_string(p.level), std::to_string(uint32_t(p.blockSizeKb) * 1024), p.languageDriver};
    const char* names[3] = {"LEVEL", "BLOCK SIZE", "LANGDRIVER"};
    std::string data;
    OptionalParameter opts[3]{};
    const int n = p.languageDriver.empty() ? 2 : 3;
    for (int i = 0; i < n; ++i) {
        copyFixedText(opts[i].name, names[i]);
        opts[i].offset = static_cast<uint16_t>(data.size());
        opts[i].length = static_cast<uint16_t>(values[i].size() + 1);
        data += values[i];
        data += '\0';
    }
    td.optionCount = static_cast<uint16_t>(n);
    td.options = opts;
    td.optionData = data.data();
    createTable(dir, td, CreateOptions{p.keyFields, false});
}

// Replaces the destination's records by `rows` (already checked), keeping its structure,
// indexes, checks and links. `like` supplies the structure (the destination itself, or for
// a copy the source).
void RewriteRows(const std::string& dir, const std::string& destBase, const Table& like, const std::string& password,
                 const std::vector<Row>& rows, bool replaceFamily) {
    // Eight characters at most: level 5 tables keep DOS-length names.
    const std::string scratch = "_vt" + std::to_string(::getpid() % 100000);
    if (FindTableFile(dir, scratch, "DB")) deleteTable(dir, scratch);
    struct Cleanup {
        std::string dir, name;
        ~Cleanup() {
            try {
                if (FindTableFile(dir, name, "DB")) deleteTable(dir, name);
            } catch (...) {
            }
        }
    } cleanup{dir, scratch};
    CreateLike(dir, scratch, like, password);
    {
        TableWriter w = TableWriter::open(dir, scratch, WithPassword(password));
        for (const Row& r : rows) w.insert(r);
        w.commit();
    }
    auto fresh = OpenTableState(dir, scratch, WithPassword(password));
    const bool destExists = FindTableFile(dir, destBase, "DB").has_value();
    std::shared_ptr<TableState> dest = destExists ? OpenTableState(dir, destBase, WithPassword(password)) : nullptr;

    FamilySwap swap(dir, destBase);
    const std::string dbName = dest ? FileNamePart(dest->dbPath) : destBase + ".DB";
    std::vector<uint8_t> db = FileBytes(fresh->dbPath);
    // Auto-increment values never go back.
    if (dest && !replaceFamily && dest->header.schema.autoIncField() >= 0)
        PutLE32(db.data() + hdr::kAutoInc, std::max(GetLE32(db.data() + hdr::kAutoInc), dest->header.autoInc));
    swap.stage(dbName).writeAt(0, db.data(), db.size());
    auto member = [&](const std::string& ext) {
        if (dest) return MemberFile(*dest, ext);
        return destBase + "." + ext;
    };
    for (const char* ext : {"PX", "MB"}) {
        if (auto f = FindTableFile(dir, scratch, ext)) {
            const std::vector<uint8_t> b = FileBytes(*f);
            swap.stage(member(ext)).writeAt(0, b.data(), b.size());
        } else if (dest && FindTableFile(dir, destBase, ext)) {
            swap.remove(member(ext));
        }
    }
    if (dest && replaceFamily) {
        for (const std::string& f : FamilyFileNames(dir, destBase)) {
            const std::string ext = ToUpper1252(f.substr(f.rfind('.') + 1));
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

}  // namespace

std::vector<std::string> ReadMappingFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EngineError(err::kInvalidParam, "mapping file not found: " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (lines.size() > 4096) throw EngineError(err::kInvalidParam, "mapping file too long");
        line = Trim(line);
        if (!line.empty()) lines.push_back(line);
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
        const std::vector<Row> rows = source.readAll();
        RewriteRows(loc.dir, loc.base, source, password, rows, true);
        result.moved = static_cast<uint32_t>(rows.size());
        return result;
    }

    auto destState = OpenTableState(loc.dir, loc.base, rq.destOptions);
    const std::string password = MatchingPassword(*destState, rq.destOptions);
    const Table dest = Table::open(loc.dir, loc.base, rq.destOptions);
    const Schema& ds = dest.schema();
    const bool keyed = ds.keyFields > 0;
    if (!keyed && rq.mode != BatchMode::Append) throw EngineError(err::kNoTableSupport, "update and delete need a keyed destination");
    const std::vector<int> map = MapFields(ds, source.schema(), rq.mappings);

    std::vector<Row> rows = dest.readAll();
    std::vector<uint8_t> buf;
    std::map<std::string, std::size_t> index;  // key -> position in rows
    if (keyed)
        for (std::size_t i = 0; i < rows.size(); ++i) index.emplace(KeyOf(ds, rows[i], buf), i);
    std::vector<bool> removed(rows.size(), false);
    std::vector<Row> setAside;

    RecordReader rd = source.records();
    while (rd.next()) {
        const Row in = rd.values();
        Row row(ds.fields.size());
        std::string key;
        try {
            for (std::size_t i = 0; i < row.size(); ++i)
                if (map[i] >= 0) row[i] = Convert(in[std::size_t(map[i])], ds.fields[i]);
            CheckRow(ds, row, buf);
            if (keyed) key = KeyOf(ds, row, buf);
        } catch (const Problem& p) {
            if (rq.abortOnProblem) throw EngineError(p.code, "batch move: a value does not fit the destination");
            ++result.problems;
            continue;
        }
        auto hit = keyed ? index.find(key) : index.end();
        const bool found = hit != index.end() && !removed[hit->second];
        switch (rq.mode) {
        case BatchMode::Append:
            if (found) {
                if (rq.abortOnKeyViolation) throw EngineError(err::kKeyViol, "batch move: key violation");
                ++result.keyViolations;
                setAside.push_back(row);
                continue;
            }
            break;
        case BatchMode::Update:
            if (!found) continue;
            rows[hit->second] = row;
            ++result.moved;
            continue;
        case BatchMode::AppendUpdate:
            if (found) {
                rows[hit->second] = row;
                ++result.moved;
                continue;
            }
            break;
        case BatchMode::Delete:
            if (found) {
                removed[hit->second] = true;
                ++result.moved;
            }
            continue;
        case BatchMode::Copy:
            break;
        }
        if (keyed) index[key] = rows.size();
        rows.push_back(row);
        removed.push_back(false);
        ++result.moved;
    }
    std::vector<Row> final;
    final.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!removed[i]) final.push_back(std::move(rows[i]));
    if (!setAside.empty()) result.keyViolTable = WriteKeyViolations(*destState, password, setAside);
    RewriteRows(loc.dir, destState->base, dest, password, final, false);
    return result;
}

}  // namespace paradox
