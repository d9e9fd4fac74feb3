// Secondary index definitions and rebuilding: definitions come from the index files' headers;
// rebuilding streams the table's data file into fresh X/Y files and renames them into place.
#include "paradox/table/index_maintenance.h"

#include <cctype>
#include <cstdio>
#include <memory>

#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/secondary_index_writer.h"
#include "paradox/table/table_state.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

std::string ExtensionOf(const std::string& fileName) { return vortab::UpperCase1252(fileName.substr(fileName.rfind('.') + 1)); }

std::string HexNumber(unsigned n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", n & 0xFF);
    return buf;
}

}  // namespace

std::vector<SecondaryIndexDef> ReadSecondaryIndexDefs(const std::string& dir, const std::string& table) {
    const std::vector<std::string> files = SecondaryIndexFiles(dir, table);
    std::vector<IndexDescriptor> descs = ReadIndexDescriptors(dir, table);
    // The descriptors list the primary index first when there is one; the rest follow the files.
    const std::size_t skip = descs.size() - files.size();
    std::vector<SecondaryIndexDef> out;
    for (std::size_t i = 0; i < files.size(); ++i) out.push_back({ExtensionOf(files[i]), descs[skip + i]});
    return out;
}

std::string ChooseIndexExtension(const IndexDescriptor& d, const Schema& schema, const std::vector<std::string>& existing) {
    auto taken = [&](const std::string& ext) {
        for (const auto& e : existing)
            if (vortab::SameNameNoCase(e, ext)) return true;
        return false;
    };
    if (d.keyFieldCount >= 1 && d.keyFields[0] >= 1 && d.keyFields[0] <= schema.fields.size() &&
        IsSingleFieldIndex(d, schema.fields[d.keyFields[0] - 1u].name)) {
        const std::string ext = "X" + HexNumber(d.keyFields[0]);
        if (taken(ext)) throw EngineError(err::kIndexExists, schema.fields[d.keyFields[0] - 1u].name);
        return ext;
    }
    for (int n = 0; n <= 9; ++n) {
        const std::string ext = "XG" + std::to_string(n);
        if (!taken(ext)) return ext;
    }
    throw EngineError(err::kIndexLimit, "no composite index number is free");
}

std::vector<SecondaryIndexDef> RemapSecondaryIndexDefs(const std::vector<SecondaryIndexDef>& defs,
                                                       const std::vector<uint16_t>& newNumberOfOld,
                                                       const Schema& newSchema) {
    std::vector<SecondaryIndexDef> out;
    for (const SecondaryIndexDef& def : defs) {
        SecondaryIndexDef d = def;
        bool keep = true;
        for (int i = 0; i < d.desc.keyFieldCount && keep; ++i) {
            const uint16_t old = d.desc.keyFields[i];
            const uint16_t now = old >= 1 && old <= newNumberOfOld.size() ? newNumberOfOld[old - 1u] : 0;
            if (now == 0 || now > newSchema.fields.size() || IsBlobType(newSchema.fields[now - 1u].type)) keep = false;
            else d.desc.keyFields[i] = now;
        }
        if (!keep) continue;
        if (d.extension.size() == 3 && d.extension[1] != 'G') {
            d.extension = "X" + HexNumber(d.desc.keyFields[0]);
            copyFixedText(d.desc.name, newSchema.fields[d.desc.keyFields[0] - 1u].name);
        }
        out.push_back(d);
    }
    return out;
}

std::string IndexFileName(const std::string& dbFileName, const std::string& ext) {
    const std::string dbExt = dbFileName.substr(dbFileName.rfind('.') + 1);
    const bool lower = !dbExt.empty() && dbExt[0] == 'd';
    std::string e = ext;
    if (lower)
        for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return TableBaseName(dbFileName) + "." + e;
}

std::string YExtension(std::string ext) {
    ext[0] = 'Y';
    return ext;
}

std::string MemberFile(const TableState& s, const std::string& ext) {
    if (auto f = FindTableFile(s.dir, s.base, ext)) return FileNamePart(*f);
    return IndexFileName(FileNamePart(s.dbPath), ext);
}

void BuildIndexFiles(const std::string& dbPath, uint32_t checksum, const SecondaryIndexDef& def, const std::string& tableBase,
                     const std::string& xPath, const std::string& yPath) {
    File db = File::openRead(dbPath);
    const DbHeader h = ReadDbHeader(db, false);
    File x = File::create(xPath);
    File y = File::create(yPath);
    SecondaryIndexSource src{&db, &h, db.size(), checksum};
    const std::string yExt = YExtension(def.extension);
    WriteSecondaryIndex(src, def.desc, tableBase + "." + def.extension, tableBase + "." + yExt, x, y);
    x.sync();
    y.sync();
}

void RebuildSecondaryIndexes(const std::string& dir, const std::string& table, const OpenOptions& options) {
    auto state = OpenTableState(dir, table, options);
    const std::vector<SecondaryIndexDef> defs = ReadSecondaryIndexDefs(state->dir, state->base);
    if (defs.empty()) return;
    FamilySwap swap(state->dir, state->base);
    for (const SecondaryIndexDef& def : defs) {
        const std::string yExt = YExtension(def.extension);
        SecondaryIndexSource src{&state->db, &state->header, state->fileSize, state->checksum};
        WriteSecondaryIndex(src, def.desc, state->base + "." + def.extension, state->base + "." + yExt,
                            swap.stage(MemberFile(*state, def.extension)), swap.stage(MemberFile(*state, yExt)));
    }
    swap.commit();
}

}  // namespace paradox
