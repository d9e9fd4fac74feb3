#include "library/commands/check_values.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "library/engine/table_engine.h"
#include "library/language/integer_conversion.h"

namespace vortab {
namespace {

// Day number of 30 December 1899, the language's date 0.
constexpr std::int64_t kDayOfDateZero = 693594;
constexpr double kMillisecondsPerDay = 86400000.0;

[[noreturn]] void InvalidValue(const std::string& what) {
    throw engine::EngineError(engine::err::kInvalidParam, what);
}

template <typename T>
void Store(std::uint8_t (&out)[kCheckValueSize], T value) {
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

void StoreBcd(const FieldDescriptor& field, const Value& value,
              std::uint8_t (&out)[kCheckValueSize]) {
    // A currency amount keeps four decimals.
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", std::round(value.toNumber() * 10000.0) / 10000.0);
    NativeBcdCheckValue(text, field.units2, out);
    out[0] = static_cast<std::uint8_t>(field.units1);
}

}  // namespace

void NativeCheckValue(const FieldDescriptor& field, const Value& value,
                      std::uint8_t (&out)[kCheckValueSize]) {
    std::memset(out, 0, sizeof out);
    switch (field.type) {
    case FLDZSTRING: {
        const std::string text = value.toText();
        if (text.size() >= sizeof out) InvalidValue("check text longer than 255 bytes");
        std::memcpy(out, text.data(), text.size());
        return;
    }
    case FLDDATE: return Store(out, DayNumber(value.toDate()));
    case FLDBOOL: return Store(out, static_cast<std::int16_t>(value.toBoolean() ? 1 : 0));
    case FLDINT16: return Store(out, WholeIn<std::int16_t>(value));
    case FLDUINT16: return Store(out, WholeIn<std::uint16_t>(value));
    case FLDINT32: return Store(out, WholeIn<std::int32_t>(value));
    case FLDUINT32: return Store(out, static_cast<std::uint32_t>(RoundToInt32(value.toNumber())));
    case FLDFLOAT: return Store(out, value.toNumber());
    case FLDBCD: return StoreBcd(field, value, out);
    case FLDTIME: return Store(out, Milliseconds(value.toDate()));
    case FLDTIMESTAMP: {
        const double date = value.toDate();
        return Store(out, DayNumber(date) * kMillisecondsPerDay + Milliseconds(date));
    }
    default: InvalidValue("no check value for this field type");
    }
}

}  // namespace vortab
