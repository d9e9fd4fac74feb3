#include "library/commands/check_values.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "library/language/integer_conversion.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/val_value.h"
#include "paradox/storage/engine_error.h"

namespace vortab {
namespace {

// Day number of 30 December 1899, the language's date 0.
constexpr std::int64_t kDayOfDateZero = 693594;
constexpr double kMillisecondsPerDay = 86400000.0;
constexpr std::uint8_t kBcdType = 0x17;
constexpr std::size_t kBcdRecordSize = 17;

[[noreturn]] void InvalidValue(const std::string& what) {
    throw paradox::EngineError(paradox::err::kInvalidParam, what);
}

template <typename T>
void Store(std::uint8_t (&out)[paradox::kCheckValueSize], T value) {
    std::memcpy(out, &value, sizeof value);
}

template <typename T>
T WholeIn(const Value& value) {
    const std::int64_t n = RoundToInt32(value.toNumber());
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
        InvalidValue("check value out of the field's range");
    return static_cast<T>(n);
}

std::int32_t DayNumber(double date) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(std::trunc(date)) + kDayOfDateZero);
}

std::int32_t Milliseconds(double date) {
    const double fraction = std::fabs(date - std::trunc(date));
    return static_cast<std::int32_t>(std::llround(fraction * kMillisecondsPerDay)) %
           static_cast<std::int32_t>(kMillisecondsPerDay);
}

void StoreBcd(const paradox::FieldDescriptor& field, const Value& value,
              std::uint8_t (&out)[paradox::kCheckValueSize]) {
    // A currency amount keeps four decimals.
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", std::round(value.toNumber() * 10000.0) / 10000.0);
    std::uint8_t record[kBcdRecordSize] = {};
    paradox::EncodeBcd(text, field.units2, record);
    paradox::DecodeCheckValue(kBcdType, static_cast<std::uint8_t>(field.units2), record,
                              sizeof record, out, sizeof out);
    out[0] = static_cast<std::uint8_t>(field.units1);
}

}  // namespace

void NativeCheckValue(const paradox::FieldDescriptor& field, const Value& value,
                      std::uint8_t (&out)[paradox::kCheckValueSize]) {
    std::memset(out, 0, sizeof out);
    switch (field.type) {
    case paradox::FLDZSTRING: {
        const std::string text = value.toText();
        if (text.size() >= sizeof out) InvalidValue("check text longer than 255 bytes");
        std::memcpy(out, text.data(), text.size());
        return;
    }
    case paradox::FLDDATE: return Store(out, DayNumber(value.toDate()));
    case paradox::FLDBOOL: return Store(out, static_cast<std::int16_t>(value.toBoolean() ? 1 : 0));
    case paradox::FLDINT16: return Store(out, WholeIn<std::int16_t>(value));
    case paradox::FLDUINT16: return Store(out, WholeIn<std::uint16_t>(value));
    case paradox::FLDINT32: return Store(out, WholeIn<std::int32_t>(value));
    case paradox::FLDUINT32: return Store(out, static_cast<std::uint32_t>(RoundToInt32(value.toNumber())));
    case paradox::FLDFLOAT: return Store(out, value.toNumber());
    case paradox::FLDBCD: return StoreBcd(field, value, out);
    case paradox::FLDTIME: return Store(out, Milliseconds(value.toDate()));
    case paradox::FLDTIMESTAMP: {
        const double date = value.toDate();
        return Store(out, DayNumber(date) * kMillisecondsPerDay + Milliseconds(date));
    }
    default: InvalidValue("no check value for this field type");
    }
}

}  // namespace vortab
