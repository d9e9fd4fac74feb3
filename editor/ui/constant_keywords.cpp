#include "editor/ui/constant_keywords.h"

#include <initializer_list>

#include "editor/dbinfo/keyword_rendering.h"

namespace vortab::ui {
namespace {

// The keywords a rendering function gives for the listed codes, so that the highlighter spells
// every constant as the script generators write it.
template <typename Render>
std::vector<std::string> Rendered(Render render, std::initializer_list<int> codes) {
    std::vector<std::string> words;
    for (int code : codes) words.push_back(render(code));
    return words;
}

}  // namespace

const std::vector<KeywordFamily>& ConstantKeywordFamilies() {
    using namespace dbinfo;
    static const std::vector<KeywordFamily> families = {
        {kFieldType, Rendered(FieldTypeKeyword, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15})},
        {kFieldSubtype, Rendered(FieldSubtypeKeyword, {-1, 0, 21, 22, 23, 24, 25, 26, 28, 29})},
        {kLinkQualifier, Rendered([](int code) { return RIQualifierKeyword(code); }, {0, 1})},
        {kIndexOption, Rendered([](int bits) { return IndexOptionsText(bits); }, {0, 1, 2, 4, 8, 16, 32})},
        {kBoolean, Rendered(BoolKeyword, {0, 1})},
        {kCheckQualifier, Rendered(VchkKindKeyword, {0, 1, 2, 3})},
        {kBatchMode, Rendered(BatchModeKeyword, {0, 1, 2, 3, 4})},
        {kTableAttribute, {"LEVEL", "BLOCK_SIZE", "FILL_FACTOR", "LANGDRIVER", "NAME", "PASSWORD", "STRICT_REFINT"}},
        {kRegistryRoot,
         {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_PERFORMANCE_DATA",
          "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"}},
        {kPrivilege, {"PRVREADONLY", "PRVMODIFY", "PRVINSERT", "PRVINSDEL", "PRVFULL"}},
    };
    return families;
}

}  // namespace vortab::ui
