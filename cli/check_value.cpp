// Native check values: integers and doubles in host byte order, text zero-terminated, BCD as
// precision byte, sign|decimals byte and 32 packed decimal digits.
#include "cli/check_value.h"

#include <cstring>
#include <optional>
#include <string>

#include "paradox/format/val_value.h"

namespace vortab::cli {
namespace {

template <typename T>
T Read(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

paradox::Value BcdValue(const std::uint8_t* native) {
    const std::optional<std::string> text = paradox::NativeBcdText(native);
    return text ? paradox::Value::bcd(*text) : paradox::Value::null();
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
