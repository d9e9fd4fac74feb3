// Field-type facts (widths, letters, blob types) and name lookup in a Schema.
#include "paradox/format/schema.h"

#include "shared/text/case_fold.h"

namespace paradox {

bool IsKnownPxType(uint8_t code) {
    switch (code) {
    case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x09:
    case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x10:
    case 0x14: case 0x15: case 0x16: case 0x17: case 0x18:
        return true;
    default:
        return false;
    }
}

char PxTypeLetter(PxType t) {
    switch (t) {
    case PxType::Alpha: return 'A';
    case PxType::Date: return 'D';
    case PxType::Short: return 'S';
    case PxType::Long: return 'I';
    case PxType::Money: return '$';
    case PxType::Number: return 'N';
    case PxType::Logical: return 'L';
    case PxType::Memo: return 'M';
    case PxType::Blob: return 'B';
    case PxType::FmtMemo: return 'F';
    case PxType::Ole: return 'O';
    case PxType::Graphic: return 'G';
    case PxType::Time: return 'T';
    case PxType::Timestamp: return '@';
    case PxType::AutoInc: return '+';
    case PxType::Bcd: return '#';
    case PxType::Bytes: return 'Y';
    }
    return '?';
}

uint16_t FieldWidth(PxType t, uint8_t sizeByte) {
    switch (t) {
    case PxType::Date: case PxType::Long: case PxType::Time: case PxType::AutoInc: return 4;
    case PxType::Short: return 2;
    case PxType::Money: case PxType::Number: case PxType::Timestamp: return 8;
    case PxType::Logical: return 1;
    case PxType::Bcd: return 17;
    default: return sizeByte;  // Alpha, Bytes, blobs (leader + 10)
    }
}

int Schema::find(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (vortab::SameNameNoCase(fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

bool Schema::hasBlobs() const {
    for (const auto& f : fields)
        if (IsBlobType(f.type)) return true;
    return false;
}

int Schema::autoIncField() const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].type == PxType::AutoInc) return static_cast<int>(i);
    return -1;
}

uint16_t Schema::keySize() const {
    uint16_t n = 0;
    for (std::size_t i = 0; i < keyFields && i < fields.size(); ++i) n = uint16_t(n + fields[i].width);
    return n;
}

}  // namespace paradox
