// Native check values: integers and doubles in host byte order, text zero-terminated, BCD as
// precision byte, sign|decimals byte and 32 packed decimal digits.
#include "cli/check_value.h"

#include <cstring>
#include <optional>
#include <string>


namespace vortab::cli {
namespace {

template <typename T>
T Read(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

paradox::api::Value BcdValue(const paradox::api::NativeValue& native) {
    const std::optional<std::string> text = paradox::api::NativeBcdText(native);
    return text ? paradox::api::Value::bcd(*text) : paradox::api::Value::null();
}

}  // namespace

paradox::api::Value NativeCheckValue(const paradox::api::Field& field, const paradox::api::NativeValue& native) {
    using paradox::api::kCheckValueSize;
    using paradox::api::ParadoxType;
    using paradox::api::Value;
    const std::uint8_t* bytes = native.data();
    switch (field.paradoxType) {
    case ParadoxType::Alpha: {
        const auto* text = reinterpret_cast<const char*>(bytes);
        return Value::text(std::string(text, strnlen(text, kCheckValueSize)));
    }
    case ParadoxType::Short: return Value::integer(Read<std::int16_t>(bytes));
    case ParadoxType::Long:
    case ParadoxType::AutoInc: return Value::integer(Read<std::int32_t>(bytes));
    case ParadoxType::Date: return Value::date(Read<std::int32_t>(bytes));
    case ParadoxType::Time: return Value::time(Read<std::int32_t>(bytes));
    case ParadoxType::Number:
    case ParadoxType::Money: return Value::number(Read<double>(bytes));
    case ParadoxType::Timestamp: return Value::timestamp(Read<double>(bytes));
    case ParadoxType::Logical: return Value::boolean(Read<std::int16_t>(bytes) != 0);
    case ParadoxType::Bcd: return BcdValue(native);
    default: {
        const std::size_t n = field.sizeByte < kCheckValueSize ? field.sizeByte : kCheckValueSize;
        return Value::bytes(std::string(reinterpret_cast<const char*>(bytes), n));
    }
    }
}

}  // namespace vortab::cli
