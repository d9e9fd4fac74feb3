// Masks the password arguments of a script line before it is shown or logged: the new master
// password of TBL_SETATTR(table, PASSWORD, new) and the master and auxiliary passwords of
// TBL_AUXPSWD(table, master, auxiliary, ...) become "***", wherever the command stands in the
// line (also inside IF). Everything else of the line stays as it is; a line that does not
// compile (an unclosed parenthesis) is masked as far as its arguments reach.
#pragma once
#include <string>
#include <string_view>

namespace vortab {

inline constexpr const char* kMaskedPassword = "\"***\"";

std::string MaskPasswords(std::string_view line);

}  // namespace vortab
