// The header of a .DB (and the shorter header of a .PX): decoding with strict bounds checks
// (8961 on anything inconsistent), building a fresh header for a new table, and patching the
// counters a writer changes while keeping every other byte of an existing header.
// Layout on disk: doc/format-db.md and doc/format-px.md.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/format/schema.h"
#include "paradox/storage/file_io.h"

namespace paradox {

namespace hdr {
inline constexpr int kRecordSize = 0x00, kHeaderSize = 0x02, kFileType = 0x04, kBlockSize = 0x05,
                     kNumRecords = 0x06, kUsedBlocks = 0x0A, kFileBlocks = 0x0C, kFirstBlock = 0x0E,
                     kLastBlock = 0x10, kCounter = 0x12, kKeyedMarker = 0x16, kIndexRoot = 0x1E,
                     kIndexLevels = 0x20, kNumFields = 0x21, kKeyFields = 0x23, kEncryption1 = 0x25,
                     kSortOrder = 0x29, kSyncStamp = 0x2C, kChangeCount1 = 0x2D, kChangeCount2 = 0x2E,
                     kWriteProtected = 0x38, kVersion = 0x39, kMaxBlocks = 0x3A, kAuxPasswords = 0x3D,
                     kTableRights = 0x3E, kFamilyRights = 0x3F, kCryptStart = 0x40, kCryptEnd = 0x44,
                     kAutoInc = 0x49, kFirstFree = 0x4D, kRealHeaderSize = 0x51, kFlags = 0x55,
                     kV4Marker = 0x56, kFixedEnd = 0x58, kEncryption2 = 0x5C, kUpdateStamp = 0x60,
                     kHiFieldId = 0x64, kFieldNumbersOff = 0x66, kCodePage = 0x6A, kSortNameOff = 0x6E,
                     kExtensionEnd = 0x78;
}  // namespace hdr

enum class FileKind : uint8_t { KeyedData = 0, PrimaryIndex = 1, UnkeyedData = 2 };

struct DbHeader {
    uint16_t recordSize = 0;
    uint16_t headerSize = 0;
    uint8_t fileType = 0;
    uint8_t blockSizeCode = 0;
    uint32_t numRecords = 0;
    uint16_t usedBlocks = 0;
    uint16_t fileBlocks = 0;
    uint16_t firstBlock = 0;
    uint16_t lastBlock = 0;
    uint16_t indexRoot = 0;
    uint8_t indexLevels = 0;
    uint8_t sortOrder = 0;
    uint8_t changeCount1 = 0;
    uint8_t changeCount2 = 0;
    uint8_t writeProtected = 0;
    uint8_t version = 0;
    uint8_t auxPasswords = 0;
    uint8_t flags = 0;          // byte 0x55
    uint32_t checksum = 0;      // master-password checksum (0x25 before v4, 0x5C from v4)
    uint32_t autoInc = 0;
    uint16_t firstFreeBlock = 0;
    uint16_t codePage = 0;      // 0 when the header has no v4 extension
    uint16_t hiFieldId = 0;
    std::string sortOrderName;  // v4+ only
    std::string tableNameArea;  // the name the file was created under
    Schema schema;
    std::vector<uint8_t> raw;   // the header bytes [0, headerSize)

    uint32_t blockSize() const { return uint32_t(blockSizeCode) * 1024; }
    bool hasExtension() const { return version >= 5 && fileType != 1; }
    uint16_t recordsPerBlock() const { return uint16_t((blockSize() - 6) / recordSize); }
};

// Table level (3, 4, 5, 7) of a version byte.
int LevelOfVersion(uint8_t version);
// Version byte the engine writes for a level (3 -> 4, 4 -> 9, 5 -> 11, 7 -> 12).
uint8_t VersionOfLevel(int level);

// Reads and checks the header of a .DB (expectIndex false) or .PX (true).
DbHeader ReadDbHeader(const File& file, bool expectIndex);

struct NewHeaderSpec {
    Schema schema;
    uint8_t version = 12;
    uint8_t blockSizeCode = 2;
    uint8_t sortOrder = 0;
    uint16_t codePage = 0;
    std::string sortOrderName;
    std::string tableName;   // stored in the name area
    uint32_t checksum = 0;   // master password, 0 = none
    uint32_t updateStamp = 0;
};

// A complete header for an empty table.
std::vector<uint8_t> BuildDbHeader(const NewHeaderSpec& spec);
// Whether every file name of a table family (base plus an extension of up to four
// characters such as ".XG10") fits the name area of a header version with its NUL.
bool FamilyNameFits(std::string_view base, uint8_t version);

// Counters of the data chain a writer changes.
struct ChainCounts {
    uint32_t numRecords = 0;
    uint16_t usedBlocks = 0;
    uint16_t fileBlocks = 0;
    uint16_t firstBlock = 0;
    uint16_t lastBlock = 0;
};
// Writes the counts, the auto-increment value (tables with a '+' field only) and the bumped
// header-write counter (0x2D) into raw header bytes. Byte 0x2E and the update stamp stay: the
// .VAL file is tied to them and data changes do not touch it.
void PatchDbHeader(std::vector<uint8_t>& raw, const ChainCounts& counts, bool hasAutoInc, uint32_t autoInc);

// A primary-index header for `keySchema` (the key fields only).
struct PxHeaderSpec {
    Schema keySchema;
    uint8_t version = 12;
    uint8_t blockSizeCode = 2;
    uint8_t sortOrder = 0;
    uint8_t syncStamp = 0;   // the .DB's byte 0x2D
    uint32_t checksum = 0;
    std::string tableName;
    ChainCounts counts;
    uint16_t root = 1;
    uint8_t levels = 0;
};
std::vector<uint8_t> BuildPxHeader(const PxHeaderSpec& spec);

}  // namespace paradox
