// Reading the optional parameters of a TableDescriptor.
#include "paradox/table/table_options.h"

#include <cstring>
#include <string>

#include "paradox/storage/engine_error.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

std::string OptionValue(const TableDescriptor& d, int i) {
    const OptionalParameter& o = d.options[i];
    if (!d.optionData || o.length == 0) throw EngineError(err::kInvalidOptParam, "option without a value");
    const char* v = d.optionData + o.offset;
    return std::string(v, strnlen(v, o.length));
}

long Digits(const std::string& v) {
    if (v.empty() || v.size() > 6 || v.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stol(v);
}

}  // namespace

TableOptions ReadTableOptions(const TableDescriptor& d) {
    TableOptions r;
    if (d.optionCount > 0 && !d.options) throw EngineError(err::kInvalidParam, "option list missing");
    for (int i = 0; i < d.optionCount; ++i) {
        const std::string name(d.options[i].name, strnlen(d.options[i].name, sizeof d.options[i].name));
        const std::string value = OptionValue(d, i);
        if (vortab::SameNameNoCase(name, "LEVEL")) {
            if (value == "3" || value == "4" || value == "5" || value == "7") r.level = value[0] - '0';
            else throw EngineError(err::kInvalidOptParam, "LEVEL " + value);
        } else if (vortab::SameNameNoCase(name, "BLOCK SIZE")) {
            const long v = Digits(value);
            if (v != 1024 && v != 2048 && v != 4096 && v != 8192 && v != 16384 && v != 32768)
                throw EngineError(err::kInvalidOptParam, "BLOCK SIZE " + value);
            r.blockSize = static_cast<uint32_t>(v);
        } else if (vortab::SameNameNoCase(name, "FILL FACTOR")) {
            const long v = Digits(value);
            if (v < 1 || v > 100) throw EngineError(err::kInvalidOptParam, "FILL FACTOR " + value);
            r.fillFactor = static_cast<int>(v);
        } else if (vortab::SameNameNoCase(name, "LANGDRIVER")) {
            r.driver = FindLanguageDriver(value);
            if (!r.driver) throw EngineError(err::kInvalidLangDriver, value);
        } else if (vortab::SameNameNoCase(name, "STRICTINTEGRTY")) {
            const std::string v = vortab::UpperCase1252(value);
            if (v == "TRUE" || v == "1" || v == "YES") r.strictIntegrity = true;
            else if (v == "FALSE" || v == "0" || v == "NO") r.strictIntegrity = false;
            else throw EngineError(err::kInvalidOptParam, "STRICTINTEGRTY " + value);
        } else {
            throw EngineError(err::kInvalidOptParam, name);
        }
    }
    return r;
}

}  // namespace paradox
