#include "library/language/keywords.h"

#include <array>

#include "shared/identifier_entry.h"

namespace vortab {
namespace {

constexpr Keyword kRiModifiers[] = {{"RESTRICT", 0, nullptr}, {"CASCADE", 1, nullptr}};
constexpr Keyword kCheckValues[] = {{"VCHKFALSE", 0, nullptr},
                                    {"VCHKTRUE", 1, nullptr},
                                    {"VCHKTODAY", 2, nullptr},
                                    {"VCHKNOW", 3, nullptr}};
constexpr Keyword kIndexOptions[] = {{"IXOPTDEFAULT", 0, nullptr}, {"PRI", 1, nullptr},
                                     {"UNQ", 2, nullptr},          {"DES", 4, nullptr},
                                     {"CIS", 8, nullptr},          {"NMT", 16, nullptr},
                                     {"XPR", 32, nullptr}};
constexpr Keyword kTableAttributes[] = {{"PASSWORD", 0, "PASSWORD"},
                                        {"LANGDRIVER", 0, "LANGDRIVER"},
                                        {"NAME", 0, "NAME"}};
constexpr Keyword kTableOptions[] = {{"LEVEL", 0, "LEVEL"},
                                     {"BLOCK_SIZE", 0, "BLOCK SIZE"},
                                     {"FILL_FACTOR", 0, "FILL FACTOR"}};
constexpr Keyword kIntegrityOptions[] = {{"STRICT_REFINT", 0, "STRICTINTEGRTY"}};
constexpr Keyword kFieldTypes[] = {
    {"FLDNOCHANGE", -1, nullptr}, {"FLDZSTRING", 1, nullptr},    {"FLDDATE", 2, nullptr},
    {"FLDBLOB", 3, nullptr},      {"FLDBOOL", 4, nullptr},       {"FLDINT16", 5, nullptr},
    {"FLDINT32", 6, nullptr},     {"FLDFLOAT", 7, nullptr},      {"FLDBCD", 8, nullptr},
    {"FLDBYTES", 9, nullptr},     {"FLDTIME", 10, nullptr},      {"FLDTIMESTAMP", 11, nullptr},
    {"FLDUINT16", 12, nullptr},   {"FLDUINT32", 13, nullptr},    {"FLDVARBYTES", 15, nullptr}};
constexpr Keyword kFieldSubtypes[] = {
    {"FLDSTNOCHANGE", -1, nullptr},   {"FLDSTDEFAULT", 0, nullptr},
    {"FLDSTMONEY", 21, nullptr},      {"FLDSTMEMO", 22, nullptr},
    {"FLDSTBINARY", 23, nullptr},     {"FLDSTFMTMEMO", 24, nullptr},
    {"FLDSTOLEOBJ", 25, nullptr},     {"FLDSTGRAPHIC", 26, nullptr},
    {"FLDSTTYPEDBINARY", 28, nullptr}, {"FLDSTAUTOINC", 29, nullptr}};
constexpr Keyword kBatchModes[] = {{"BATAPPEND", 0, nullptr},
                                   {"BATUPDATE", 1, nullptr},
                                   {"BATAPPENDUPDATE", 2, nullptr},
                                   {"BATDELETE", 3, nullptr},
                                   {"BATCOPY", 4, nullptr}};
constexpr Keyword kRegistryRoots[] = {{"HKEY_CLASSES_ROOT", -2147483648.0, nullptr},
                                      {"HKEY_CURRENT_USER", -2147483647.0, nullptr},
                                      {"HKEY_LOCAL_MACHINE", -2147483646.0, nullptr},
                                      {"HKEY_USERS", -2147483645.0, nullptr},
                                      {"HKEY_PERFORMANCE_DATA", -2147483644.0, nullptr},
                                      {"HKEY_CURRENT_CONFIG", -2147483643.0, nullptr},
                                      {"HKEY_DYN_DATA", -2147483642.0, nullptr}};
constexpr Keyword kRights[] = {{"PRVREADONLY", 1, nullptr},
                               {"PRVMODIFY", 3, nullptr},
                               {"PRVINSERT", 7, nullptr},
                               {"PRVINSDEL", 15, nullptr},
                               {"PRVFULL", 31, nullptr}};

constexpr std::array<KeywordFamily, 11> kFamilies{{
    {vtRiModifier, kRiModifiers},
    {vtCheckValue, kCheckValues},
    {vtIndexOptions, kIndexOptions},
    {vtTableAttribute, kTableAttributes},
    {vtTableOption, kTableOptions},
    {vtIntegrityOption, kIntegrityOptions},
    {vtFieldType, kFieldTypes},
    {vtFieldSubtype, kFieldSubtypes},
    {vtBatchMode, kBatchModes},
    {vtRegistryRoot, kRegistryRoots},
    {vtRights, kRights},
}};

}  // namespace

std::span<const KeywordFamily> KeywordFamilies() { return kFamilies; }

const Keyword* FindKeyword(const KeywordFamily& family, std::string_view word) {
    for (const Keyword& k : family.keywords) {
        if (word == k.word) return &k;
    }
    return nullptr;
}

}  // namespace vortab
