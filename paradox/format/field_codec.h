// Record encoding of single fields: Paradox's sortable big-endian numbers, padded Alpha text,
// logicals, BCD nibbles and the 10-byte blob pointer that follows a blob field's leader.
// Decoding never reads outside the field; encoding rejects values that do not fit.
// Layout on disk: doc/format-db.md.
#pragma once
#include <cstdint>
#include <string>

#include "paradox/format/schema.h"
#include "paradox/format/value.h"

namespace paradox {

bool IsBlankField(const Field& f, const uint8_t* record);

// Value of a non-blob field (null when blank).
Value DecodeField(const Field& f, const uint8_t* record);
// Value of a non-blob field seen in place, without copying: ViewField (field_view.h).

// Writes a non-blob field. Null writes blank bytes. Fails with 9986 when the value's kind
// does not suit the field and 9985 when it is out of the field's range.
void EncodeField(const Field& f, const Value& v, uint8_t* record);

// Copies a non-blob field's bytes (f.width of them) to out in the one form equal values share:
// the bytes after an Alpha value's terminating NUL, and those of a blank BCD or logical, are
// zeroed (other writers may leave meaningless bytes there). For comparing keys byte by byte.
void CopyCanonicalField(const Field& f, const uint8_t* record, uint8_t* out);

// The pointer part of a blob field.
struct BlobRef {
    uint32_t ref = 0;     // .MB offset | slot (0xFF = own block), 0 = value only in the leader
    uint32_t length = 0;  // 0 = blank
    uint16_t modNr = 0;
    uint32_t offset() const { return ref & 0xFFFFFF00u; }
    uint8_t slot() const { return static_cast<uint8_t>(ref & 0xFF); }
};
BlobRef DecodeBlobRef(const Field& f, const uint8_t* record);
void EncodeBlobRef(const Field& f, const BlobRef& r, uint8_t* record);

// BCD text of the 17 stored bytes ("-12.50" with the stored decimals); empty when blank.
std::string DecodeBcd(const uint8_t* p);
// Encodes decimal text with `decimals` fraction digits (rounded half away from zero).
// 9985 when more than 32 digits would be needed, 9986 when the text is no number.
void EncodeBcd(const std::string& text, int decimals, uint8_t* p);

}  // namespace paradox
