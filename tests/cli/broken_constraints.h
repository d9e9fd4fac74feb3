// The database both SQL export tests use for constraints old records break: the joins fixture's
// A, B and C, with a check on C.B (required, minimum 5, maximum 100) added and two records that
// break it afterwards (one without B, one below the minimum).
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "cli_process.h"
#include "cli_tables.h"

namespace cli_test {

inline void MakeBrokenConstraintsDatabase(const std::string& dir) {
    for (const char* stem : {"A", "B", "C"}) CopyFamily("paradoxdriver/joins", stem, dir);
    ASSERT_EQ(RunVortab({"exec", dir, "VCHK_ADD(\"C\", \"B\", VCHKTRUE, VCHKTRUE, VCHKFALSE, 5, 100, 0, \"\", FALSE)"}).exitCode, 0);
    InsertRows(dir, "C",
               {{paradox::Value::integer(10), paradox::Value::null(), paradox::Value::integer(6)},
                {paradox::Value::integer(11), paradox::Value::integer(99), paradox::Value::integer(5)}});
}

}  // namespace cli_test
