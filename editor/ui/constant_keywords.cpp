#include "editor/ui/constant_keywords.h"

namespace vortab::ui {

const std::vector<KeywordFamily>& ConstantKeywordFamilies() {
    static const std::vector<KeywordFamily> families = {
        {kFieldType,
         {"FLDNOCHANGE", "FLDZSTRING", "FLDDATE", "FLDBLOB", "FLDBOOL", "FLDINT16", "FLDINT32", "FLDFLOAT",
          "FLDBCD", "FLDBYTES", "FLDTIME", "FLDTIMESTAMP", "FLDUINT16", "FLDUINT32", "FLDVARBYTES"}},
        {kFieldSubtype,
         {"FLDSTNOCHANGE", "FLDSTDEFAULT", "FLDSTMONEY", "FLDSTMEMO", "FLDSTBINARY", "FLDSTFMTMEMO",
          "FLDSTOLEOBJ", "FLDSTGRAPHIC", "FLDSTTYPEDBINARY", "FLDSTAUTOINC"}},
        {kLinkQualifier, {"RESTRICT", "CASCADE"}},
        {kIndexOption, {"IXOPTDEFAULT", "PRI", "UNQ", "DES", "CIS", "NMT", "XPR"}},
        {kBoolean, {"FALSE", "TRUE"}},
        {kCheckQualifier, {"VCHKFALSE", "VCHKTRUE", "VCHKTODAY", "VCHKNOW"}},
        {kBatchMode, {"BATAPPEND", "BATUPDATE", "BATAPPENDUPDATE", "BATDELETE", "BATCOPY"}},
        {kTableAttribute, {"LEVEL", "BLOCK_SIZE", "FILL_FACTOR", "LANGDRIVER", "NAME", "PASSWORD", "STRICT_REFINT"}},
        {kRegistryRoot,
         {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_PERFORMANCE_DATA",
          "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"}},
        {kPrivilege, {"PRVREADONLY", "PRVMODIFY", "PRVINSERT", "PRVINSDEL", "PRVFULL"}},
    };
    return families;
}

}  // namespace vortab::ui
