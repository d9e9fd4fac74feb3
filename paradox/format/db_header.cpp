// Decoding, building and patching .DB and .PX headers (little-endian control fields, field
// info, names, persistent field IDs and the language-driver name).
#include "paradox/format/db_header.h"

#include <algorithm>
#include <cstring>

#include "paradox/format/byte_order.h"
#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {

[[noreturn]] void Corrupt(const File& f, const std::string& what) {
    throw EngineError(err::kHeaderCorrupt, f.path() + ": " + what);
}

bool ValidBlockCode(uint8_t c) { return c == 1 || c == 2 || c == 3 || c == 4 || c == 8 || c == 16 || c == 32; }

bool ValidSizeByte(PxType t, uint8_t size) {
    switch (t) {
    case PxType::Alpha:
    case PxType::Bytes: return size >= 1;
    case PxType::Memo:
    case PxType::Blob:
    case PxType::FmtMemo:
    case PxType::Ole:
    case PxType::Graphic: return size >= 10 && size <= 250;
    case PxType::Bcd: return size <= 32;
    default: return size == FieldWidth(t, size);
    }
}

std::size_t NameAreaSize(uint8_t version) { return version >= 12 ? 261 : 79; }

// Reads a NUL-terminated string starting at pos; false when no NUL ends it inside raw.
bool ReadCString(const std::vector<uint8_t>& raw, std::size_t& pos, std::string& out) {
    if (pos > raw.size()) return false;
    const auto begin = raw.begin() + static_cast<std::ptrdiff_t>(pos);
    const auto nul = std::find(begin, raw.end(), uint8_t(0));
    if (nul == raw.end()) return false;
    out.assign(begin, nul);
    pos = static_cast<std::size_t>(nul - raw.begin()) + 1;
    return true;
}

}  // namespace

int LevelOfVersion(uint8_t version) {
    if (version <= 4) return 3;
    if (version <= 9) return 4;
    if (version <= 11) return 5;
    return 7;
}

uint8_t VersionOfLevel(int level) {
    switch (level) {
    case 3: return 4;
    case 4: return 9;
    case 5: return 11;
    default: return 12;
    }
}

DbHeader ReadDbHeader(const File& file, bool expectIndex) {
    const uint64_t fileSize = file.size();
    if (fileSize < hdr::kFixedEnd) Corrupt(file, "file is shorter than a table header");
    uint8_t fixed[hdr::kFixedEnd];
    if (!file.readAt(0, fixed, sizeof fixed)) Corrupt(file, "header truncated");

    DbHeader h;
    h.recordSize = GetLE16(fixed + hdr::kRecordSize);
    h.headerSize = GetLE16(fixed + hdr::kHeaderSize);
    h.fileType = fixed[hdr::kFileType];
    h.blockSizeCode = fixed[hdr::kBlockSize];
    h.numRecords = GetLE32(fixed + hdr::kNumRecords);
    h.usedBlocks = GetLE16(fixed + hdr::kUsedBlocks);
    h.fileBlocks = GetLE16(fixed + hdr::kFileBlocks);
    h.firstBlock = GetLE16(fixed + hdr::kFirstBlock);
    h.lastBlock = GetLE16(fixed + hdr::kLastBlock);
    h.indexRoot = GetLE16(fixed + hdr::kIndexRoot);
    h.indexLevels = fixed[hdr::kIndexLevels];
    const int16_t numFields = GetLE16s(fixed + hdr::kNumFields);
    const int16_t keyFields = GetLE16s(fixed + hdr::kKeyFields);
    h.sortOrder = fixed[hdr::kSortOrder];
    h.changeCount1 = fixed[hdr::kChangeCount1];
    h.changeCount2 = fixed[hdr::kChangeCount2];
    h.writeProtected = fixed[hdr::kWriteProtected];
    h.version = fixed[hdr::kVersion];
    h.auxPasswords = fixed[hdr::kAuxPasswords];
    h.flags = fixed[hdr::kFlags];
    h.autoInc = GetLE32(fixed + hdr::kAutoInc);
    h.firstFreeBlock = GetLE16(fixed + hdr::kFirstFree);

    if (expectIndex ? h.fileType != 1 : (h.fileType != 0 && h.fileType != 2))
        Corrupt(file, "unexpected file type " + std::to_string(h.fileType));
    if (h.version < 3 || h.version > 12) Corrupt(file, "unknown file version " + std::to_string(h.version));
    if (!ValidBlockCode(h.blockSizeCode)) Corrupt(file, "invalid block size code");
    if (h.headerSize < hdr::kFixedEnd || h.headerSize > fileSize) Corrupt(file, "invalid header size");
    if (numFields < 1 || numFields > 255) Corrupt(file, "invalid field count");
    if (keyFields < 0 || keyFields > numFields) Corrupt(file, "invalid key field count");
    if (h.recordSize == 0 || uint32_t(h.recordSize) + 6 > h.blockSize()) Corrupt(file, "invalid record size");
    if (h.firstBlock > h.fileBlocks || h.lastBlock > h.fileBlocks) Corrupt(file, "block chain outside the file");

    h.raw.resize(h.headerSize);
    if (!file.readAt(0, h.raw.data(), h.raw.size())) Corrupt(file, "header truncated");
    const auto& raw = h.raw;

    const std::size_t n = static_cast<std::size_t>(numFields);
    std::size_t pos = hdr::kFixedEnd;
    if (h.hasExtension()) {
        if (h.headerSize < hdr::kExtensionEnd) Corrupt(file, "header too short for its version");
        h.codePage = GetLE16(raw.data() + hdr::kCodePage);
        h.hiFieldId = GetLE16(raw.data() + hdr::kHiFieldId);
        pos = hdr::kExtensionEnd;
    }
    h.checksum = h.hasExtension() ? GetLE32(raw.data() + hdr::kEncryption2) : GetLE32(raw.data() + hdr::kEncryption1);

    // Field info: type and size byte per field.
    if (pos + 2 * n + 4 > raw.size()) Corrupt(file, "field information truncated");
    h.schema.keyFields = static_cast<uint16_t>(expectIndex ? 0 : keyFields);
    h.schema.fields.resize(n);
    uint32_t offset = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t type = raw[pos + 2 * i], size = raw[pos + 2 * i + 1];
        if (!IsKnownPxType(type)) Corrupt(file, "unknown field type " + std::to_string(type));
        Field& f = h.schema.fields[i];
        f.type = static_cast<PxType>(type);
        if (!ValidSizeByte(f.type, size)) Corrupt(file, "invalid field size");
        f.sizeByte = size;
        f.width = FieldWidth(f.type, size);
        f.offset = static_cast<uint16_t>(offset);
        f.id = static_cast<uint16_t>(i + 1);
        offset += f.width;
    }
    if (offset != h.recordSize) Corrupt(file, "field sizes do not add up to the record size");
    h.schema.recordSize = h.recordSize;
    pos += 2 * n + 4;  // field info, table-name pointer

    if (!expectIndex) pos += 4 * n;  // field-name pointers
    const std::size_t area = NameAreaSize(h.version);
    if (pos + area > raw.size()) {
        if (expectIndex) return h;  // some index headers end early; the area is informational
        Corrupt(file, "table name area truncated");
    }
    {
        std::size_t p = pos;
        std::string name;
        const auto end = std::find(raw.begin() + static_cast<std::ptrdiff_t>(p),
                                   raw.begin() + static_cast<std::ptrdiff_t>(p + area), uint8_t(0));
        h.tableNameArea.assign(raw.begin() + static_cast<std::ptrdiff_t>(p), end);
    }
    pos += area;
    if (expectIndex) return h;

    for (std::size_t i = 0; i < n; ++i)
        if (!ReadCString(raw, pos, h.schema.fields[i].name)) Corrupt(file, "field names truncated");

    if (h.hasExtension()) {
        if (pos + 2 * n <= raw.size()) {
            for (std::size_t i = 0; i < n; ++i) {
                const uint16_t id = GetLE16(raw.data() + pos + 2 * i);
                if (id != 0) h.schema.fields[i].id = id;
            }
            pos += 2 * n;
            std::string sortName;
            if (ReadCString(raw, pos, sortName) && sortName.size() < 32) h.sortOrderName = sortName;
        }
    }
    return h;
}

namespace {
void PutName(std::vector<uint8_t>& raw, std::size_t pos, const std::string& s, std::size_t max) {
    std::memcpy(raw.data() + pos, s.data(), std::min(s.size(), max));
}
}  // namespace

bool FamilyNameFits(std::string_view base, uint8_t version) {
    constexpr std::size_t kLongestExtension = 5;  // ".XG10"
    return base.size() + kLongestExtension < NameAreaSize(version);
}

std::vector<uint8_t> BuildDbHeader(const NewHeaderSpec& spec) {
    const Schema& sc = spec.schema;
    const std::size_t n = sc.fields.size();
    const bool ext = spec.version >= 5;
    std::size_t varStart = ext ? hdr::kExtensionEnd : hdr::kFixedEnd;
    std::size_t namesSize = 0;
    for (const auto& f : sc.fields) namesSize += f.name.size() + 1;
    const std::size_t area = NameAreaSize(spec.version);
    std::size_t realSize = varStart + 2 * n + 4 + 4 * n + area + namesSize;
    const std::size_t fieldNumbersPos = realSize;
    std::size_t sortNamePos = 0;
    if (ext) {
        realSize += 2 * n;
        sortNamePos = realSize;
        realSize += spec.sortOrderName.size() + 1;
    } else {
        realSize += 6;  // the v3.5 header keeps six zero bytes after the names
    }
    const std::size_t headerSize = (realSize + 0x7FF) / 0x800 * 0x800;
    if (headerSize > 0xF800) throw EngineError(err::kInvalidTableCreate, "table header too large");

    std::vector<uint8_t> raw(headerSize, 0);
    uint8_t* p = raw.data();
    const bool keyed = sc.keyFields > 0;
    PutLE16(p + hdr::kRecordSize, sc.recordSize);
    PutLE16(p + hdr::kHeaderSize, static_cast<uint16_t>(headerSize));
    p[hdr::kFileType] = keyed ? 0 : 2;
    p[hdr::kBlockSize] = spec.blockSizeCode;
    if (keyed) PutLE32(p + hdr::kKeyedMarker, 0x1F0F0001);  // a non-zero marker, as keyed tables carry
    PutLE16(p + hdr::kNumFields, static_cast<uint16_t>(n));
    PutLE16(p + hdr::kKeyFields, sc.keyFields);
    PutLE32(p + hdr::kEncryption1, ext ? 0xFF00FF00u : spec.checksum);
    p[hdr::kSortOrder] = spec.sortOrder;
    p[hdr::kChangeCount1] = 1;
    p[hdr::kChangeCount2] = 1;
    p[hdr::kVersion] = spec.version;
    if (spec.checksum == 0) {
        p[hdr::kTableRights] = 0x1F;
        p[hdr::kFamilyRights] = 0x0F;
    } else {
        // Protected tables carry non-zero values here; nothing on disk belongs to them.
        PutLE32(p + hdr::kCryptStart, 1);
        PutLE32(p + hdr::kCryptEnd, 2);
    }
    PutLE16(p + hdr::kRealHeaderSize, static_cast<uint16_t>(realSize));
    if (ext) {
        p[hdr::kV4Marker] = 0x20;
        PutLE16(p + 0x58, static_cast<uint16_t>(0x100 + spec.version));
        PutLE16(p + 0x5A, static_cast<uint16_t>(0x100 + spec.version));
        PutLE32(p + hdr::kEncryption2, spec.checksum);
        PutLE32(p + hdr::kUpdateStamp, spec.updateStamp);
        uint16_t hi = 0;
        for (const auto& f : sc.fields) hi = std::max(hi, f.id);
        PutLE16(p + hdr::kHiFieldId, static_cast<uint16_t>(hi + 1));
        PutLE16(p + hdr::kFieldNumbersOff, static_cast<uint16_t>(fieldNumbersPos - hdr::kFixedEnd));
        PutLE16(p + hdr::kCodePage, spec.codePage);
        p[0x6C] = 1;
        p[0x6D] = 1;
        PutLE16(p + hdr::kSortNameOff, static_cast<uint16_t>(sortNamePos - hdr::kFixedEnd));
    }
    std::size_t pos = varStart;
    for (const auto& f : sc.fields) {
        p[pos++] = static_cast<uint8_t>(f.type);
        p[pos++] = f.sizeByte;
    }
    pos += 4 + 4 * n;
    PutName(raw, pos, spec.tableName, area - 1);
    pos += area;
    for (const auto& f : sc.fields) {
        PutName(raw, pos, f.name, f.name.size());
        pos += f.name.size() + 1;
    }
    if (ext) {
        for (const auto& f : sc.fields) {
            PutLE16(p + pos, f.id);
            pos += 2;
        }
        PutName(raw, pos, spec.sortOrderName, spec.sortOrderName.size());
    }
    return raw;
}

void PatchDbHeader(std::vector<uint8_t>& raw, const ChainCounts& c, bool hasAutoInc, uint32_t autoInc) {
    uint8_t* p = raw.data();
    PutLE32(p + hdr::kNumRecords, c.numRecords);
    PutLE16(p + hdr::kUsedBlocks, c.usedBlocks);
    PutLE16(p + hdr::kFileBlocks, c.fileBlocks);
    PutLE16(p + hdr::kFirstBlock, c.firstBlock);
    PutLE16(p + hdr::kLastBlock, c.lastBlock);
    PutLE16(p + hdr::kMaxBlocks, c.fileBlocks);
    PutLE16(p + hdr::kCounter, static_cast<uint16_t>(GetLE16(p + hdr::kCounter) + 1));
    p[hdr::kChangeCount1] = static_cast<uint8_t>(p[hdr::kChangeCount1] + 1);
    p[0x14] = 0;  // no rebuild needed
    if (hasAutoInc) PutLE32(p + hdr::kAutoInc, autoInc);
}

std::vector<uint8_t> BuildPxHeader(const PxHeaderSpec& spec) {
    const std::size_t n = spec.keySchema.fields.size();
    const std::size_t area = NameAreaSize(spec.version);
    const std::size_t realSize = hdr::kFixedEnd + 2 * n + 4 + area;
    const std::size_t headerSize = (realSize + 0x7FF) / 0x800 * 0x800;
    std::vector<uint8_t> raw(headerSize, 0);
    uint8_t* p = raw.data();
    PutLE16(p + hdr::kRecordSize, static_cast<uint16_t>(spec.keySchema.recordSize + 6));
    PutLE16(p + hdr::kHeaderSize, static_cast<uint16_t>(headerSize));
    p[hdr::kFileType] = 1;
    p[hdr::kBlockSize] = spec.blockSizeCode;
    PutLE32(p + hdr::kNumRecords, spec.counts.numRecords);
    PutLE16(p + hdr::kUsedBlocks, spec.counts.usedBlocks);
    PutLE16(p + hdr::kFileBlocks, spec.counts.fileBlocks);
    PutLE16(p + hdr::kFirstBlock, spec.counts.firstBlock);
    PutLE16(p + hdr::kLastBlock, spec.counts.lastBlock);
    PutLE16(p + hdr::kMaxBlocks, spec.counts.fileBlocks);
    PutLE16(p + hdr::kIndexRoot, spec.root);
    p[hdr::kIndexLevels] = spec.levels;
    PutLE16(p + hdr::kNumFields, static_cast<uint16_t>(n));
    PutLE32(p + hdr::kEncryption1, spec.checksum);
    p[hdr::kSortOrder] = spec.sortOrder;
    p[hdr::kSyncStamp] = spec.syncStamp;
    p[hdr::kVersion] = spec.version;
    PutLE16(p + hdr::kRealHeaderSize, static_cast<uint16_t>(realSize));
    std::size_t pos = hdr::kFixedEnd;
    for (const auto& f : spec.keySchema.fields) {
        p[pos++] = static_cast<uint8_t>(f.type);
        p[pos++] = f.sizeByte;
    }
    pos += 4;
    PutName(raw, pos, spec.tableName, area - 1);
    return raw;
}

}  // namespace paradox
