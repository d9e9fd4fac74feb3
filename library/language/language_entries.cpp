// The identifier entries of the language, group by group in registration order.
#include <array>
#include <cstring>

#include "library/commands/check_commands.h"
#include "library/commands/field_commands.h"
#include "library/commands/index_commands.h"
#include "library/commands/link_commands.h"
#include "library/commands/password_commands.h"
#include "library/commands/table_commands.h"
#include "library/language/builtin_handlers.h"
#include "library/language/environment_functions.h"
#include "library/language/identifier_table.h"

namespace vortab {
namespace {

constexpr std::uint8_t N = vtNumber, S = vtString, D = vtDate, B = vtBoolean,
                       CV = vtCheckValue, IX = vtIndexOptions, TA = vtTableAttribute,
                       TO = vtTableOption, IO = vtIntegrityOption, CMD = vtCommand,
                       FT = vtFieldType, FST = vtFieldSubtype, BAT = vtBatchMode,
                       RR = vtRegistryRoot, RI = vtRiModifier, PRV = vtRights, SIMPLE = vtSimple,
                       ANY = vtAny;

}  // namespace

std::span<IdentifierEntry> EnvironmentEntries() {
    using namespace group;
    static std::array<IdentifierEntry, 13> entries{
        MakeEntry("DIR_EXE", 0, DirectoryHandler, kDirectories, 12015, S, {B}),
        MakeEntry("DIR_DLL", 0, DirectoryHandler, kDirectories, 12016, S, {B}),
        MakeEntry("DIR_TMP", 0, DirectoryHandler, kDirectories, 12017, S, {B}),
        MakeEntry("DIR_SYS", 0, DirectoryHandler, kDirectories, 12018, S, {B}),
        MakeEntry("DIR_WIN", 0, DirectoryHandler, kDirectories, 12019, S, {B}),
        MakeEntry("DIR_CURRDB", 0, DirectoryHandler, kDirectories, 12020, S, {B}),
        MakeEntry("DIR_DB", 0, DirectoryHandler, kDirectories, 12021, S, {B, S}),
        MakeEntry("INI_BOOL", 0, IniHandler, kIniFiles, 12023, B, {S, S, S}),
        MakeEntry("INI_NUM", 0, IniHandler, kIniFiles, 12024, N, {S, S, S}),
        MakeEntry("INI_STR", 0, IniHandler, kIniFiles, 12025, S, {S, S, S}),
        MakeEntry("REG_BOOL", 0, RegistryHandler, kRegistry, 12026, B, {RR, S, S}),
        MakeEntry("REG_NUM", 0, RegistryHandler, kRegistry, 12027, N, {RR, S, S}),
        MakeEntry("REG_STR", 0, RegistryHandler, kRegistry, 12028, S, {RR, S, S}),
    };
    return entries;
}

// Auxiliary passwords exist only in Paradox tables.
bool IsParadoxOnly(const IdentifierEntry& entry) {
    return std::strcmp(entry.name, "TBL_AUXPSWD") == 0;
}

std::span<IdentifierEntry> CommandEntries() {
    using namespace group;
    static std::array<IdentifierEntry, 24> entries{
        MakeEntry("ERROR", 0, ErrorHandler, kCommands, 11999, CMD, {N}),
        MakeEntry("RI_ADD", 0, LinkCommandHandler, kCommands, 12000, CMD, {S, S, S, S, S, RI}),
        MakeEntry("RI_DROP", 0, LinkCommandHandler, kCommands, 12001, CMD, {S, S}),
        MakeEntry("VCHK_ADD", 0, CheckCommandHandler, kCommands, 12002, CMD,
                  {S, S, CV, CV, CV, SIMPLE, SIMPLE, SIMPLE, S, B}),
        MakeEntry("VCHK_DROP", 0, CheckCommandHandler, kCommands, 12003, CMD, {S, S}),
        MakeEntry("OR", 3, IndexOptionOrHandler, kCommands, 12004, IX, {IX, IX}),
        MakeEntry("IX_ADD", 0, IndexCommandHandler, kCommands, 12005, CMD, {S, S, S, S, IX}),
        MakeEntry("IX_DROP", 0, IndexCommandHandler, kCommands, 12006, CMD, {S, S}),
        MakeEntry("TBL_SETATTR", 0, SetAttributeHandler, kCommands, 12007, CMD, {S, TA, S}),
        MakeEntry("TBL_AUXPSWD", 0, AuxPasswordHandler, kCommands, 12007, CMD, {S, S, S}),
        MakeEntry("TBL_AUXPSWD", 0, AuxPasswordHandler, kCommands, 12007, CMD, {S, S, S, PRV}),
        MakeEntry("TBL_AUXPSWD", 0, AuxPasswordHandler, kCommands, 12007, CMD, {S, S, S, PRV, S}),
        MakeEntry("TBL_AUXPSWD", 0, AuxPasswordHandler, kCommands, 12007, CMD,
                  {S, S, S, PRV, S, S}),
        MakeEntry("TBL_SETATTR", 0, SetAttributeHandler, kCommands, 12007, CMD, {S, TO, N}),
        MakeEntry("TBL_SETATTR", 0, SetAttributeHandler, kCommands, 12007, CMD, {S, IO, B}),
        MakeEntry("TBL_CREATE", 0, CreateTableHandler, kCommands, 12011, CMD,
                  {S, S, N, S, FT, FST, N, N}),
        MakeEntry("TBL_DROP", 0, DropTableHandler, kCommands, 12012, CMD, {S}),
        MakeEntry("TBL_BMOVE", 0, BatchMoveHandler, kCommands, 12014, CMD, {S, S, S, S, B, BAT}),
        MakeEntry("FLD_CHANGE", 0, FieldCommandHandler, kCommands, 12008, CMD, {S, S, S, FT, FST, N, N}),
        MakeEntry("FLD_ADD", 0, FieldCommandHandler, kCommands, 12009, CMD, {S, S, FT, FST, N, N}),
        MakeEntry("FLD_DROP", 0, FieldCommandHandler, kCommands, 12010, CMD, {S, S}),
        MakeEntry("FLD_MOVE", 0, FieldCommandHandler, kCommands, 12013, CMD, {S, S, N}),
        MakeEntry("EXISTS_TABLE", 0, ExistsTableHandler, kMiscellaneous, 12509, B, {S}),
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
