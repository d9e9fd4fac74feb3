// A non-blob field's value seen where it lies in the record, without copying. Inline: it runs
// for every field of every record read, and a call per field costs as much as the decoding.
// The same blank tests and values as DecodeField (field_codec.h), which is built on it.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "paradox/format/byte_order.h"
#include "paradox/format/field_codec.h"

namespace paradox {

// Eight, then four bytes at a time: numbers and dates are tested for blank in every record read.
inline bool AllZero(const uint8_t* p, uint16_t n) {
    uint16_t i = 0;
    for (uint64_t word; i + 8 <= n; i += 8) {
        std::memcpy(&word, p + i, 8);
        if (word != 0) return false;
    }
    if (uint32_t word; i + 4 <= n) {
        std::memcpy(&word, p + i, 4);
        if (word != 0) return false;
        i += 4;
    }
    for (; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

// Sets `into` to f's value in the record: texts and bytes are views of the record; a BCD
// value's text is written to bcdText and viewed there. It writes straight into the caller's view
// (a view returned and then copied stalls the copy on the stores just made).
inline void ViewField(const Field& f, const uint8_t* record, std::string& bcdText, ValueView& into) {
    const uint8_t* p = record + f.offset;
    const auto set = [&into](ValueKind kind, int64_t integer, double number, std::string_view bytes) {
        into.kind = kind;
        into.integer = integer;
        into.number = number;
        into.bytes = bytes;
    };
    const auto bytes = [p](std::size_t n) { return std::string_view(reinterpret_cast<const char*>(p), n); };
    const bool blank = f.type == PxType::Alpha || f.type == PxType::Logical || f.type == PxType::Bcd ? p[0] == 0
                                                                                                       : AllZero(p, f.width);
    if (blank || IsBlobType(f.type)) {  // blobs are decoded with their .MB
        set(ValueKind::Null, 0, 0.0, {});
        return;
    }
    switch (f.type) {
    case PxType::Alpha: {
        const void* nul = std::memchr(p, 0, f.width);
        set(ValueKind::Text, 0, 0.0, bytes(nul ? static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - p) : f.width));
        return;
    }
    case PxType::Short:
    case PxType::Long:
    case PxType::AutoInc: set(ValueKind::Integer, GetSortableInt(p, f.width), 0.0, {}); return;
    case PxType::Date: set(ValueKind::Date, GetSortableInt(p, 4), 0.0, {}); return;
    case PxType::Time: set(ValueKind::Time, GetSortableInt(p, 4), 0.0, {}); return;
    case PxType::Number:
    case PxType::Money: set(ValueKind::Float, 0, GetSortableDouble(p), {}); return;
    case PxType::Timestamp: set(ValueKind::Timestamp, 0, GetSortableDouble(p), {}); return;
    case PxType::Logical: set(ValueKind::Bool, p[0] != 0x80, 0.0, {}); return;
    case PxType::Bcd:
        bcdText = DecodeBcd(p);
        set(ValueKind::Bcd, 0, 0.0, bcdText);
        return;
    case PxType::Bytes: set(ValueKind::Bytes, 0, 0.0, bytes(f.width)); return;
    default: set(ValueKind::Null, 0, 0.0, {}); return;
    }
}

}  // namespace paradox
