// Native check values: integers and doubles in host byte order, text zero-terminated, BCD as
// precision byte, sign|decimals byte and 32 packed decimal digits.
#include "cli/check_value.h"

#include <cstring>
#include <string>

namespace vortab::cli {
namespace {

template <typename T>
T Read(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

paradox::Value BcdValue(const std::uint8_t* native) {
    const bool negative = (native[1] & 0x80) != 0;
    const int decimals = native[1] & 0x3F;
    if (decimals > 32) return paradox::Value::null();
    std::string digits;
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t b = native[2 + i];
        if ((b >> 4) > 9 || (b & 15) > 9) return paradox::Value::null();
        digits += static_cast<char>('0' + (b >> 4));
        digits += static_cast<char>('0' + (b & 15));
    }
    std::string whole = digits.substr(0, static_cast<std::size_t>(32 - decimals));
    const std::size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);
    std::string text = (negative ? "-" : "") + whole;
    if (decimals > 0) text += "." + digits.substr(static_cast<std::size_t>(32 - decimals));
    return paradox::Value::bcd(text);
}

}  // namespace

paradox::Value NativeCheckValue(const paradox::Field& field, const std::uint8_t (&native)[paradox::kCheckValueSize]) {
    using paradox::PxType;
    using paradox::Value;
    switch (field.type) {
    case PxType::Alpha: {
        const auto* text = reinterpret_cast<const char*>(native);
        return Value::text(std::string(text, strnlen(text, paradox::kCheckValueSize)));
    }
    case PxType::Short: return Value::integer(Read<std::int16_t>(native));
    case PxType::Long:
    case PxType::AutoInc: return Value::integer(Read<std::int32_t>(native));
    case PxType::Date: return Value::date(Read<std::int32_t>(native));
    case PxType::Time: return Value::time(Read<std::int32_t>(native));
    case PxType::Number:
    case PxType::Money: return Value::number(Read<double>(native));
    case PxType::Timestamp: return Value::timestamp(Read<double>(native));
    case PxType::Logical: return Value::boolean(Read<std::int16_t>(native) != 0);
    case PxType::Bcd: return BcdValue(native);
    default: {
        const std::size_t n = field.sizeByte < paradox::kCheckValueSize ? field.sizeByte : paradox::kCheckValueSize;
        return Value::bytes(std::string(reinterpret_cast<const char*>(native), n));
    }
    }
}

}  // namespace vortab::cli
