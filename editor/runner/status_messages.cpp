#include "editor/runner/status_messages.h"

#include <utility>

#include "paradox/api/engine_error.h"

namespace vortab {
namespace {

constexpr std::pair<StatusCode, const char*> kTexts[] = {
    {-1, "Success - Database already updated"},
    {0, "Success"},
    {1, "Missing operand"},
    {2, "Unknown operation"},
    {3, "Incorrect number of operands"},
    {4, "Type mismatch in arguments"},
    {5, "\"(\" expected"},
    {6, "\")\" expected"},
    {7, "Unterminated string"},
    {8, "Command too complicated"},
    {9, "Script line is not database upgrade command"},
    {10, "Driver type not supported"},
    {11, "Operation not supported by selected driver"},
    {101, "Invalid operand type"},
    {102, "Numeric Over/Underflow"},
    {103, "Division by zero"},
    {104, "Invalid argument value"},
    {105, "Out of memory"},
    {106, "Unsupported type in command"},
    {201, "Not a Paradox table"},
    {202, "Not a DBase table"},
    {203, "Not an Ascii table"},
    {204, "BDE not installed or interface version mismatch"},
    {205, "Higher version of BDE (at least 3.5.0.21) needed"},
    {999, "VORTAB.DLL not loaded"},
};

std::string BaseText(StatusCode code) {
    if (code >= status::kFirstEngineCode) return paradox::api::ErrorText(code);
    for (const auto& [c, text] : kTexts)
        if (c == code) return text;
    return "Unknown error (" + std::to_string(code) + ")";
}

}  // namespace

std::string StatusMessage(StatusCode code) {
    std::string text = BaseText(code);
    if (code >= 100) return "Error in executing command: " + text;
    if (code >= 1) return "Error in parsing command: " + text;
    return text;
}

}  // namespace vortab
