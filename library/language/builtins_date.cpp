// Date functions on date values (days since 30 December 1899); month and day names come from
// the process's locale settings.
#include "library/language/builtin_functions.h"
#include "library/language/builtin_handlers.h"
#include "library/language/date_calc.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"
#include "library/language/locale_settings.h"

namespace vortab {

Value EvaluateDate(std::string_view name, int argCount, const Value* args) {
    const auto arg = [&](int i) -> const Value& { return builtin_detail::Arg(argCount, args, i); };
    if (name == "TODAY") return Value::Date(Today());
    if (name == "YEAR") return Value::Number(DecodeDate(arg(0).toDate()).year);
    if (name == "MONTH") return Value::Number(DecodeDate(arg(0).toDate()).month);
    if (name == "DAY") return Value::Number(DecodeDate(arg(0).toDate()).day);
    if (name == "DAYOFWEEK") return Value::Number(DayOfWeek(arg(0).toDate()));
    if (name == "DATE") {
        const int day = RoundToInt32(arg(0).toNumber());
        const int month = RoundToInt32(arg(1).toNumber());
        const int year = RoundToInt32(arg(2).toNumber());
        double date = 0;
        if (!EncodeDate(year, month, day, date)) throw EExecution("Invalid date");
        return Value::Date(date);
    }
    if (name == "MONTHTEXT") {
        const int n = RoundToInt32(arg(0).toNumber());
        if (n < 1 || n > 12) return Value();
        return Value::Text(Locale().monthNames[n - 1]);
    }
    if (name == "DAYTEXT") {
        const int n = RoundToInt32(arg(0).toNumber());
        if (n < 1 || n > 7) return Value();
        return Value::Text(Locale().dayNames[n - 1]);
    }
    throw EExecution("Unknown date function " + std::string(name));
}

void DateHandler(const IdentifierEntry& entry, TExpression&, int argCount, Value& result,
                 Value* args) {
    result = EvaluateDate(entry.name ? entry.name : "", argCount, args);
}

}  // namespace vortab
