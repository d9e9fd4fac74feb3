// StatusCode: the one result of every library entry point and the value of every command.
// 0 success, -1 nothing to do, 1..11 compile/interface errors, 100..104 and 888 execution
// errors, 201..205 driver/engine errors, 8448 and above engine error codes passed through.
#pragma once
#include <cstdint>

namespace vortab {

using StatusCode = std::int32_t;

namespace status {
inline constexpr StatusCode kSuccess = 0;
inline constexpr StatusCode kAlreadyUpdated = -1;
inline constexpr StatusCode kEmptyOperand = 1;
inline constexpr StatusCode kNoMatch = 2;
inline constexpr StatusCode kTooManyArguments = 3;
inline constexpr StatusCode kArgumentTypes = 4;
inline constexpr StatusCode kUnopenedParenthesis = 5;
inline constexpr StatusCode kUnclosedParenthesis = 6;
inline constexpr StatusCode kOddQuotes = 7;
inline constexpr StatusCode kNestingTooDeep = 8;
inline constexpr StatusCode kNotACommand = 9;
inline constexpr StatusCode kWrongDriver = 10;
inline constexpr StatusCode kNotSupportedByDriver = 11;
inline constexpr StatusCode kExecutionFailure = 100;
inline constexpr StatusCode kVariantError = 101;
inline constexpr StatusCode kOverflow = 102;
inline constexpr StatusCode kZeroDivide = 103;
inline constexpr StatusCode kInvalidOperation = 104;
inline constexpr StatusCode kNotParadoxTable = 201;
inline constexpr StatusCode kNotDbaseTable = 202;
inline constexpr StatusCode kNotAsciiTable = 203;
inline constexpr StatusCode kEngineNotInitialised = 204;
inline constexpr StatusCode kEngineTooOld = 205;
inline constexpr StatusCode kUnsupported = 888;
inline constexpr StatusCode kFirstEngineCode = 8448;
inline constexpr StatusCode kLibraryNotLoaded = 999;
inline constexpr StatusCode kStoppedByUser = 1001;
}  // namespace status

}  // namespace vortab
