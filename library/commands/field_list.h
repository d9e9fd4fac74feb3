// Field lists: one text of field names separated by ";" (blanks belong to the names); empty
// names are skipped.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vortab {

std::vector<std::string> SplitFieldList(std::string_view list);

}  // namespace vortab
