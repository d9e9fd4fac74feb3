// Opening a table read-only for the checker.
#include "paradox/verify/checked_table.h"

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"

namespace paradox::verify {

std::string CheckedTable::member(const std::string& ext) const {
    if (auto p = FindTableFile(dir, base, ext)) return p->substr(p->find_last_of('/') + 1);
    return base + "." + ext;
}

uint32_t CheckedTable::blocksInFile() const {
    const uint64_t bs = header.blockSize();
    if (fileSize <= header.headerSize) return 0;
    return static_cast<uint32_t>((fileSize - header.headerSize + bs - 1) / bs);
}

std::optional<CheckedTable> OpenForCheck(const std::string& dir, const std::string& base,
                                         const std::vector<std::string>& passwords, FindingSink& out) {
    CheckedTable t;
    t.dir = dir;
    const auto path = FindTableFile(dir, base, "DB");
    if (!path) {
        out.error(base + ".DB", err::kNoSuchTable, "the table's .DB file is missing");
        return std::nullopt;
    }
    t.dbFile = path->substr(path->find_last_of('/') + 1);
    t.base = t.dbFile.substr(0, t.dbFile.find_last_of('.'));
    try {
        t.db = File::openRead(*path);
        t.fileSize = t.db.size();
        t.header = ReadDbHeader(t.db, false);
    } catch (const EngineError& e) {
        out.error(t.dbFile, e.code(), std::string("the header cannot be read: ") + e.what());
        return std::nullopt;
    }
    if (t.header.checksum != 0) {
        for (const std::string& p : passwords)
            if (PasswordChecksum(p) == t.header.checksum) {
                t.checksum = t.header.checksum;
                t.password = p;
            }
        if (t.checksum == 0) {
            const bool given = !passwords.empty();
            out.warning(t.dbFile, err::kNotSufficientTableRights,
                    given ? "protected, and none of the passwords given matches its checksum"
                          : "protected: not checked; give its password to check it");
            return std::nullopt;
        }
    }
    return t;
}

DbHeader ReadChainHeader(const File& f) {
    DbHeader h;
    h.raw.resize(hdr::kFixedEnd);
    if (!f.readAt(0, h.raw.data(), h.raw.size())) throw EngineError(err::kHeaderCorrupt, f.path() + ": header truncated");
    const uint8_t* p = h.raw.data();
    h.recordSize = GetLE16(p + hdr::kRecordSize);
    h.headerSize = GetLE16(p + hdr::kHeaderSize);
    h.fileType = p[hdr::kFileType];
    h.blockSizeCode = p[hdr::kBlockSize];
    h.numRecords = GetLE32(p + hdr::kNumRecords);
    h.usedBlocks = GetLE16(p + hdr::kUsedBlocks);
    h.fileBlocks = GetLE16(p + hdr::kFileBlocks);
    h.firstBlock = GetLE16(p + hdr::kFirstBlock);
    h.indexRoot = GetLE16(p + hdr::kIndexRoot);
    h.indexLevels = p[hdr::kIndexLevels];
    h.version = p[hdr::kVersion];
    h.checksum = GetLE32(p + hdr::kEncryption1);
    if (h.recordSize == 0 || h.blockSizeCode == 0 || h.blockSizeCode > 32 || uint32_t(h.recordSize) + 6 > h.blockSize() ||
        h.headerSize < hdr::kFixedEnd)
        throw EngineError(err::kHeaderCorrupt, f.path() + ": impossible record or block size in the header");
    return h;
}

bool KeyOrderIsByteOrder(const DbHeader& h) {
    bool alpha = false;
    for (uint16_t i = 0; i < h.schema.keyFields && i < h.schema.fields.size(); ++i)
        alpha = alpha || h.schema.fields[i].type == PxType::Alpha;
    if (!alpha) return true;
    return h.sortOrder == 0x00 || h.sortOrderName == "ascii" || h.sortOrderName == "DBWINUS0";
}

}  // namespace paradox::verify
