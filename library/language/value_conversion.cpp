// Conversions between the kinds of Value, in place of the platform's variant conversions.
// Empty converts to 0, FALSE or ""; null converts to nothing; every failure is EVariantError,
// and no conversion hands out a number that is not finite.
#include <cmath>
#include <string_view>

#include "library/language/date_text.h"
#include "library/language/errors.h"
#include "library/language/locale_settings.h"
#include "library/language/number_format.h"
#include "library/language/value.h"
#include "shared/text/case_fold.h"

namespace vortab {

namespace {

double Finite(double v) {
    if (!std::isfinite(v)) throw EVariantError();
    return v;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

double NumberFromText(const std::string& text) {
    double out = 0;
    if (!ParseNumber(text, Locale(), out)) throw EVariantError();
    return out;
}

}  // namespace

double Value::toNumber() const {
    switch (kind_) {
        case ValueKind::Empty: return 0;
        case ValueKind::Number:
        case ValueKind::Date: return Finite(number_);
        case ValueKind::Boolean: return boolean_ ? -1 : 0;
        case ValueKind::Text: return NumberFromText(text_);
        case ValueKind::Null: break;
    }
    throw EVariantError();
}

double Value::toDate() const {
    if (kind_ != ValueKind::Text) return toNumber();
    double out = 0;
    if (!ParseDateText(text_, Locale(), CurrentDateOrder(), out)) throw EVariantError();
    return out;
}

bool Value::toBoolean() const {
    switch (kind_) {
        case ValueKind::Empty: return false;
        case ValueKind::Number:
        case ValueKind::Date: return Finite(number_) != 0;
        case ValueKind::Boolean: return boolean_;
        case ValueKind::Text: {
            const std::string_view word = Trim(text_);
            if (SameNameNoCase(word, "TRUE")) return true;
            if (SameNameNoCase(word, "FALSE")) return false;
            return NumberFromText(text_) != 0;
        }
        case ValueKind::Null: break;
    }
    throw EVariantError();
}

std::string Value::toText() const {
    switch (kind_) {
        case ValueKind::Empty: return {};
        case ValueKind::Number: return FormatGeneral(Finite(number_), Locale());
        case ValueKind::Date: return FormatDateValue(number_, Locale());
        case ValueKind::Boolean: return boolean_ ? "True" : "False";
        case ValueKind::Text: return text_;
        case ValueKind::Null: break;
    }
    throw EVariantError();
}

}  // namespace vortab
