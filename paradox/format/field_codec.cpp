// Field encodings of Paradox records (all big-endian, sign bit flipped so that the bytes sort).
#include "paradox/format/field_codec.h"
#include "paradox/format/field_view.h"

#include <cmath>
#include <cstring>

#include "paradox/format/byte_order.h"
#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {

[[noreturn]] void BadKind(const Field& f, const Value& v) {
    throw EngineError(err::kInvalidParam, "value of kind " + std::to_string(int(v.kind())) +
                                               " does not suit field " + f.name);
}
[[noreturn]] void OutOfRange(const Field& f) { throw EngineError(err::kOutOfRange, "value out of range for field " + f.name); }

int64_t IntegerOf(const Field& f, const Value& v) {
    switch (v.kind()) {
    case ValueKind::Integer: return v.asInt();
    case ValueKind::Bool: return v.asInt();
    case ValueKind::Float: {
        const double d = v.asDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.2e18) OutOfRange(f);
        return static_cast<int64_t>(d);
    }
    default: BadKind(f, v);
    }
}

double DoubleOf(const Field& f, const Value& v) {
    switch (v.kind()) {
    case ValueKind::Integer: return static_cast<double>(v.asInt());
    case ValueKind::Float: {
        if (!std::isfinite(v.asDouble())) OutOfRange(f);
        return v.asDouble();
    }
    default: BadKind(f, v);
    }
}

}  // namespace

bool IsBlankField(const Field& f, const uint8_t* record) {
    const uint8_t* p = record + f.offset;
    switch (f.type) {
    case PxType::Alpha:
    case PxType::Logical:
    case PxType::Bcd: return p[0] == 0;
    case PxType::Memo:
    case PxType::Blob:
    case PxType::FmtMemo:
    case PxType::Ole:
    case PxType::Graphic: return DecodeBlobRef(f, record).length == 0;
    default: return AllZero(p, f.width);
    }
}

void CopyCanonicalField(const Field& f, const uint8_t* record, uint8_t* out) {
    const uint8_t* p = record + f.offset;
    std::size_t meaningful = f.width;
    if (f.type == PxType::Alpha) {
        const void* nul = std::memchr(p, 0, f.width);
        if (nul) meaningful = static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - p);
    } else if ((f.type == PxType::Bcd || f.type == PxType::Logical) && p[0] == 0) {
        meaningful = 0;
    }
    std::memcpy(out, p, meaningful);
    std::memset(out + meaningful, 0, f.width - meaningful);
}

Value DecodeField(const Field& f, const uint8_t* record) {
    std::string bcdText;
    ValueView view;
    ViewField(f, record, bcdText, view);
    return Value(view);
}

void EncodeField(const Field& f, const Value& v, uint8_t* record) {
    uint8_t* p = record + f.offset;
    if (IsBlobType(f.type)) throw EngineError(err::kInvalidParam, "blob field needs the blob writer");
    if (v.isNull()) {
        std::memset(p, 0, f.width);
        return;
    }
    switch (f.type) {
    case PxType::Alpha:
    case PxType::Bytes: {
        if (v.kind() != ValueKind::Text && v.kind() != ValueKind::Bytes) BadKind(f, v);
        const std::string& s = v.asString();
        if (s.size() > f.width) OutOfRange(f);
        std::memset(p, 0, f.width);
        std::memcpy(p, s.data(), s.size());
        if (f.type == PxType::Alpha && s.empty()) return;  // empty text is blank
        return;
    }
    case PxType::Short: {
        const int64_t i = IntegerOf(f, v);
        if (i < -32767 || i > 32767) OutOfRange(f);
        PutSortableInt(p, static_cast<int32_t>(i), 2);
        return;
    }
    case PxType::Long:
    case PxType::AutoInc: {
        const int64_t i = IntegerOf(f, v);
        if (i < -2147483647 || i > 2147483647) OutOfRange(f);
        PutSortableInt(p, static_cast<int32_t>(i), 4);
        return;
    }
    case PxType::Date:
    case PxType::Time: {
        const ValueKind want = f.type == PxType::Date ? ValueKind::Date : ValueKind::Time;
        if (v.kind() != want) BadKind(f, v);
        const int64_t i = v.asInt();
        if (f.type == PxType::Date ? (i < 1 || i > 3652059) : (i < 0 || i >= 86400000)) OutOfRange(f);
        PutSortableInt(p, static_cast<int32_t>(i), 4);
        return;
    }
    case PxType::Number:
    case PxType::Money: PutSortableDouble(p, DoubleOf(f, v)); return;
    case PxType::Timestamp: {
        if (v.kind() != ValueKind::Timestamp) BadKind(f, v);
        const double ms = v.asDouble();
        if (!std::isfinite(ms) || ms < 86400000.0) OutOfRange(f);
        PutSortableDouble(p, ms);
        return;
    }
    case PxType::Logical:
        if (v.kind() != ValueKind::Bool) BadKind(f, v);
        p[0] = v.asBool() ? 0x81 : 0x80;
        return;
    case PxType::Bcd: {
        std::string text;
        if (v.kind() == ValueKind::Bcd || v.kind() == ValueKind::Text) text = v.asString();
        else if (v.kind() == ValueKind::Integer) text = std::to_string(v.asInt());
        else if (v.kind() == ValueKind::Float) {
            if (!std::isfinite(v.asDouble())) OutOfRange(f);
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*f", f.sizeByte, v.asDouble());
            text = buf;
        } else BadKind(f, v);
        EncodeBcd(text, f.sizeByte, p);
        return;
    }
    default: BadKind(f, v);
    }
}

BlobRef DecodeBlobRef(const Field& f, const uint8_t* record) {
    const uint8_t* p = record + f.offset + f.leader();
    BlobRef r;
    r.ref = GetLE32(p);
    r.length = GetLE32(p + 4);
    r.modNr = GetLE16(p + 8);
    return r;
}

void EncodeBlobRef(const Field& f, const BlobRef& r, uint8_t* record) {
    uint8_t* p = record + f.offset + f.leader();
    PutLE32(p, r.ref);
    PutLE32(p + 4, r.length);
    PutLE16(p + 8, r.modNr);
}

std::string DecodeBcd(const uint8_t* p) {
    if (p[0] == 0) return {};
    const bool positive = (p[0] & 0x80) != 0;
    int decimals = p[0] & 0x3F;
    if (decimals > 32) decimals = 32;
    char digits[32];
    bool garbage = false;
    for (int i = 0; i < 32; ++i) {
        uint8_t nib = (i % 2 == 0) ? (p[1 + i / 2] >> 4) : (p[1 + i / 2] & 0x0F);
        if (!positive) nib ^= 0x0F;
        // Values converted from floating point can end in non-decimal nibbles: from the first
        // such nibble on, the digits carry no information and read as 0.
        garbage = garbage || nib > 9;
        digits[i] = static_cast<char>('0' + (garbage ? 0 : nib));
    }
    const int intDigits = 32 - decimals;
    std::string out;
    int first = 0;
    while (first < intDigits - 1 && digits[first] == '0') ++first;
    out.assign(digits + first, digits + intDigits);
    if (intDigits == 0) out = "0";
    if (decimals > 0) {
        out += '.';
        out.append(digits + intDigits, digits + 32);
    }
    bool zero = true;
    for (int i = 0; i < 32; ++i) zero = zero && digits[i] == '0';
    if (!positive && !zero) out.insert(out.begin(), '-');
    return out;
}

void EncodeBcd(const std::string& text, int decimals, uint8_t* p) {
    if (decimals < 0 || decimals > 32) throw EngineError(err::kInvalidParam, "BCD decimals out of range");
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::string intPart, fracPart;
    bool seenDot = false, anyDigit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            (seenDot ? fracPart : intPart) += c;
            anyDigit = true;
        } else if ((c == '.' || c == ',') && !seenDot) {
            seenDot = true;
        } else if (c == ' ') {
            break;
        } else {
            throw EngineError(err::kInvalidParam, "not a decimal number: " + text);
        }
    }
    for (; i < text.size(); ++i)
        if (text[i] != ' ') throw EngineError(err::kInvalidParam, "not a decimal number: " + text);
    if (!anyDigit) throw EngineError(err::kInvalidParam, "not a decimal number: " + text);
    // Round the fraction to `decimals` digits, half away from zero.
    bool roundUp = fracPart.size() > static_cast<std::size_t>(decimals) && fracPart[decimals] >= '5';
    fracPart.resize(decimals, '0');
    std::size_t lead = 0;
    while (lead + 1 < intPart.size() && intPart[lead] == '0') ++lead;
    intPart.erase(0, lead);
    std::string all = intPart + fracPart;
    if (roundUp) {
        int k = static_cast<int>(all.size()) - 1;
        while (k >= 0 && all[k] == '9') all[k--] = '0';
        if (k >= 0) ++all[k];
        else all.insert(all.begin(), '1');
    }
    if (all.size() > 32) {
        // Leading zeros of an empty integer part do not count.
        std::size_t z = 0;
        while (all.size() - z > 32 && all[z] == '0') ++z;
        all.erase(0, z);
        if (all.size() > 32) throw EngineError(err::kOutOfRange, "BCD value has too many digits: " + text);
    }
    char digits[32];
    std::memset(digits, 0, sizeof digits);
    const std::size_t pad = 32 - all.size();
    for (std::size_t k = 0; k < all.size(); ++k) digits[pad + k] = static_cast<char>(all[k] - '0');
    bool zero = true;
    for (char d : digits) zero = zero && d == 0;
    if (zero) negative = false;
    p[0] = static_cast<uint8_t>((negative ? 0x00 : 0x80) | 0x40 | decimals);
    for (int k = 0; k < 16; ++k) {
        uint8_t b = static_cast<uint8_t>((digits[2 * k] << 4) | digits[2 * k + 1]);
        if (negative) b ^= 0xFF;
        p[1 + k] = b;
    }
}

}  // namespace paradox
