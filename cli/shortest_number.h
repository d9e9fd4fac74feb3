// The shortest decimal text that reads back as the same double, exactly as std::to_chars(double)
// writes it (fixed or scientific, whichever is shorter, fixed on a tie), with a fast path for
// the values tables mostly hold: whole numbers and numbers of a few decimals.
#pragma once

namespace vortab::cli {

// Room PutShortestNumber may use at p.
inline constexpr int kShortestNumberRoom = 32;

// Writes value's shortest form at p (at most kShortestNumberRoom chars); returns the end.
char* PutShortestNumber(char* p, double value);
// The same for a number the tool prints: -0 is written as 0.
inline char* PutNumberText(char* p, double value) { return PutShortestNumber(p, value == 0 ? 0.0 : value); }

}  // namespace vortab::cli
