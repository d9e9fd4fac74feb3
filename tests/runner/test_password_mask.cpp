// Password arguments never reach the log or the terminal in clear; everything else of the line
// does, unchanged.
#include <gtest/gtest.h>

#include "editor/runner/password_mask.h"

namespace vortab {
namespace {

TEST(PasswordMask, Lines) {
    const std::pair<const char*, const char*> cases[] = {
        {R"x(TBL_SETATTR("T", PASSWORD, "secret"))x", R"x(TBL_SETATTR("T", PASSWORD, "***"))x"},
        {R"x(tbl_setattr("T",password,"a""b"))x", R"x(tbl_setattr("T",password,"***"))x"},
        {R"x(TBL_SETATTR("T", BLOCK_SIZE, 2048))x", R"x(TBL_SETATTR("T", BLOCK_SIZE, 2048))x"},
        {R"x(TBL_SETATTR("T", PASSWORD, ""))x", R"x(TBL_SETATTR("T", PASSWORD, "***"))x"},
        {R"x(TBL_AUXPSWD("T", "master", "aux", PRVREADONLY, "A;B"))x",
         R"x(TBL_AUXPSWD("T", "***", "***", PRVREADONLY, "A;B"))x"},
        {R"x(IF(EXISTS_TABLE("T"), TBL_AUXPSWD("T", "m", ""), ERROR(0)))x",
         R"x(IF(EXISTS_TABLE("T"), TBL_AUXPSWD("T", "***", "***"), ERROR(0)))x"},
        {R"x(TBL_SETATTR "T", PASSWORD, "s,x")x", R"x(TBL_SETATTR "T", PASSWORD, "***")x"},
        {R"x(TBL_SETATTR("T", PASSWORD, INI_STR("a.ini", "s", "k")))x", R"x(TBL_SETATTR("T", PASSWORD, "***"))x"},
        {R"x(TBL_SETATTR("T", PASSWORD, "unclosed)x", R"x(TBL_SETATTR("T", PASSWORD, "***")x"},
        {R"x(TBL_AUXPSWD("T", "m)x", R"x(TBL_AUXPSWD("T", "***")x"},
        {R"x(ERROR(LEN("TBL_SETATTR(x, PASSWORD, y)"))x", R"x(ERROR(LEN("TBL_SETATTR(x, PASSWORD, y)"))x"},
        {R"x(MY_TBL_AUXPSWD("a", "b", "c"))x", R"x(MY_TBL_AUXPSWD("a", "b", "c"))x"},
    };
    for (const auto& [line, masked] : cases) EXPECT_EQ(MaskPasswords(line), masked) << line;
}

}  // namespace
}  // namespace vortab
