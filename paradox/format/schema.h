// Schema: the fields of a table as its header stores them (Paradox physical type, size byte,
// offset and width in the record, persistent field ID) plus key-field count and record size.
// Built by the header reader; the record codecs and the writer work from it.
// Layout on disk: doc/format-db.md.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace paradox {

// Paradox physical field type codes as stored in the header's field info.
enum class PxType : uint8_t {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Money = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FmtMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoInc = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

bool IsKnownPxType(uint8_t code);
inline bool IsBlobType(PxType t) {
    return t == PxType::Memo || t == PxType::Blob || t == PxType::FmtMemo || t == PxType::Ole ||
           t == PxType::Graphic;
}
// The type letter Paradox shows for a field type ('A', 'N', '$', '+', '#', ...).
char PxTypeLetter(PxType t);

struct Field {
    std::string name;      // table code page bytes
    PxType type = PxType::Alpha;
    uint8_t sizeByte = 0;  // as in the header: length, leader + 10, BCD decimals
    uint16_t offset = 0;   // offset in the record
    uint16_t width = 0;    // bytes in the record
    uint16_t id = 0;       // persistent field ID (level 4+), else the 1-based position

    // Blob fields: bytes of the value kept in the record before the 10-byte pointer.
    uint16_t leader() const { return width >= 10 ? uint16_t(width - 10) : 0; }
};

struct Schema {
    std::vector<Field> fields;
    uint16_t keyFields = 0;   // leading fields forming the primary key
    uint16_t recordSize = 0;  // sum of the field widths

    // Index of the field with this name (case-insensitive, Windows-1252 letters), or -1.
    int find(std::string_view name) const;
    bool hasBlobs() const;
    int autoIncField() const;  // index of the first '+' field, or -1
    uint16_t keySize() const;  // bytes of the leading key fields
};

// Record bytes a field of this type and size byte takes (BCD: 17).
uint16_t FieldWidth(PxType t, uint8_t sizeByte);

}  // namespace paradox
