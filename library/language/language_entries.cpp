// The identifier entries of the language, group by group in registration order. Environment
// functions and database commands join their groups when they are built.
#include <array>

#include "library/commands/field_commands.h"
#include "library/commands/link_commands.h"
#include "library/language/builtin_handlers.h"
#include "library/language/identifier_table.h"

namespace vortab {
namespace {

constexpr std::uint8_t N = vtNumber, S = vtString, D = vtDate, B = vtBoolean,
                       IX = vtIndexOptions, CMD = vtCommand, FT = vtFieldType,
                       FST = vtFieldSubtype, RI = vtRiModifier, SIMPLE = vtSimple, ANY = vtAny;

}  // namespace

std::span<IdentifierEntry> EnvironmentEntries() { return {}; }

// The auxiliary-password command joins this list when it is built.
bool IsParadoxOnly(const IdentifierEntry&) { return false; }

std::span<IdentifierEntry> CommandEntries() {
    using namespace group;
    static std::array<IdentifierEntry, 9> entries{
        MakeEntry("ERROR", 0, ErrorHandler, kCommands, 11999, CMD, {N}),
        MakeEntry("RI_ADD", 0, LinkCommandHandler, kCommands, 12000, CMD, {S, S, S, S, S, RI}),
        MakeEntry("RI_DROP", 0, LinkCommandHandler, kCommands, 12001, CMD, {S, S}),
        MakeEntry("OR", 3, IndexOptionOrHandler, kCommands, 12004, IX, {IX, IX}),
        MakeEntry("FLD_CHANGE", 0, FieldCommandHandler, kCommands, 12008, CMD, {S, S, S, FT, FST, N, N}),
        MakeEntry("FLD_ADD", 0, FieldCommandHandler, kCommands, 12009, CMD, {S, S, FT, FST, N, N}),
        MakeEntry("FLD_DROP", 0, FieldCommandHandler, kCommands, 12010, CMD, {S, S}),
        MakeEntry("FLD_MOVE", 0, FieldCommandHandler, kCommands, 12013, CMD, {S, S, N}),
        MakeEntry("EXISTS_FIELD", 0, ExistsFieldHandler, kMiscellaneous, 12510, B, {S, S}),
    };
    return entries;
}

std::span<IdentifierEntry> OperatorAndFunctionEntries() {
    using namespace group;
    static std::array<IdentifierEntry, 41> entries{
        MakeEntry("+", 3, ArithmeticHandler, kArithmetic, 11001, N, {N, N}),
        MakeEntry("+", 3, ArithmeticHandler, kArithmetic, 11001, D, {N, D}),
        MakeEntry("+", 3, ArithmeticHandler, kArithmetic, 11001, D, {D, N}),
        MakeEntry("+", 3, ArithmeticHandler, kArithmetic, 11001, S, {S, S}),
        MakeEntry("-", 1, ArithmeticHandler, kArithmetic, 11002, N, {N}),
        MakeEntry("-", 3, ArithmeticHandler, kArithmetic, 11002, N, {N, N}),
        MakeEntry("-", 3, ArithmeticHandler, kArithmetic, 11002, D, {D, N}),
        MakeEntry("-", 3, ArithmeticHandler, kArithmetic, 11002, N, {D, D}),
        MakeEntry("*", 2, ArithmeticHandler, kArithmetic, 11003, N, {N, N}),
        MakeEntry("/", 2, ArithmeticHandler, kArithmetic, 11004, N, {N, N}),
        MakeEntry("MIN", 0, ArithmeticHandler, kArithmetic, 11008, N, {N, N}),
        MakeEntry("MAX", 0, ArithmeticHandler, kArithmetic, 11009, N, {N, N}),
        MakeEntry("MOD", 2, ArithmeticHandler, kArithmetic, 11011, N, {N, N}),
        MakeEntry("DIV", 2, ArithmeticHandler, kArithmetic, 11010, N, {N, N}),
        MakeEntry("ROUND", 0, ArithmeticHandler, kArithmetic, 11012, N, {N, N}),
        MakeEntry("SQR", 0, ArithmeticHandler, kArithmetic, 11005, N, {N}),
        MakeEntry("SQRT", 0, ArithmeticHandler, kArithmetic, 11006, N, {N}),
        MakeEntry("ABS", 0, ArithmeticHandler, kArithmetic, 11007, N, {N}),
        MakeEntry("=", 4, ComparisonHandler, kComparison, 11013, B, {ANY, ANY}),
        MakeEntry("<", 4, ComparisonHandler, kComparison, 11013, B, {SIMPLE, SIMPLE}),
        MakeEntry(">", 4, ComparisonHandler, kComparison, 11013, B, {SIMPLE, SIMPLE}),
        MakeEntry("<=", 4, ComparisonHandler, kComparison, 11013, B, {SIMPLE, SIMPLE}),
        MakeEntry(">=", 4, ComparisonHandler, kComparison, 11013, B, {SIMPLE, SIMPLE}),
        MakeEntry("<>", 4, ComparisonHandler, kComparison, 11013, B, {ANY, ANY}),
        MakeEntry("NOT", 1, BooleanHandler, kBoolean, 11014, B, {B}),
        MakeEntry("AND", 0x22, BooleanHandler, kBoolean, 11015, B, {B, B}),
        MakeEntry("OR", 0x13, BooleanHandler, kBoolean, 11016, B, {B, B}),
        MakeEntry("NUM$", 0, TextHandler, kText, 11023, S, {N, N, N}),
        MakeEntry("STR", 0, TextHandler, kText, 11017, S, {N, N, N}),
        MakeEntry("STR$", 0, TextHandler, kText, 11022, S, {N}),
        MakeEntry("STR$", 0, TextHandler, kText, 11022, S, {S}),
        MakeEntry("STR$", 0, TextHandler, kText, 11022, S, {D}),
        MakeEntry("STR$", 0, TextHandler, kText, 11022, S, {B}),
        MakeEntry("UPPER", 0, TextHandler, kText, 11018, S, {S}),
        MakeEntry("LEN", 0, TextHandler, kText, 11021, N, {S}),
        MakeEntry("POS", 0, TextHandler, kText, 11019, N, {S, S}),
        MakeEntry("COPY", 0, TextHandler, kText, 11020, S, {S, N, N}),
        MakeEntry("TODAY", 0, DateHandler, kDate, 11024, D, {}),
        MakeEntry("YEAR", 0, DateHandler, kDate, 11027, N, {D}),
        MakeEntry("MONTH", 0, DateHandler, kDate, 11028, N, {D}),
        MakeEntry("DAY", 0, DateHandler, kDate, 11029, N, {D}),
    };
    return entries;
}

// One IF entry per type code except 16 and 17: IF(boolean, T, T) gives T.
std::span<IdentifierEntry> IfEntries() {
    static std::array<IdentifierEntry, 17> entries = [] {
        std::array<IdentifierEntry, 17> list{};
        std::size_t i = 0;
        for (std::uint8_t t = 0; t <= 18; ++t) {
            if (t == vtSimple || t == vtAny) continue;
            list[i++] = MakeEntry("IF", 0x30, IfHandler, group::kIf, 11034, t, {B, t, t});
        }
        return list;
    }();
    return entries;
}

std::span<IdentifierEntry> LateDateEntries() {
    static std::array<IdentifierEntry, 4> entries{
        MakeEntry("DAYOFWEEK", 0, DateHandler, group::kDate, 11035, N, {D}),
        MakeEntry("DATE", 0, DateHandler, group::kDate, 11036, D, {N, N, N}),
        MakeEntry("MONTHTEXT", 0, DateHandler, group::kDate, 11037, S, {N}),
        MakeEntry("DAYTEXT", 0, DateHandler, group::kDate, 11037, S, {N}),
    };
    return entries;
}

}  // namespace vortab
