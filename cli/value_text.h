// The text forms of field values in the tool's output: dates "YYYY-MM-DD", times
// "HH:MM:SS.mmm", timestamps "YYYY-MM-DDTHH:MM:SS.mmm", numbers in the shortest round-trip
// form, text decoded to UTF-8, bytes as base64; and a value as a JSON value or a CSV cell.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/api/value.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {

std::string DateText(std::int64_t days);    // day 1 = 0001-01-01
std::string TimeText(std::int64_t ms);      // milliseconds since midnight; empty outside a day
// Timestamp in the engine's milliseconds; empty when the number is not a valid instant.
std::string TimestampText(double ms);

// Values are taken as views: a record reader's view or a Value, whichever the caller holds.
// Appends v's content as plain text (no quoting); false (nothing appended) for null and for
// values that have no valid form.
bool AppendPlainText(std::string& out, const paradox::api::ValueView& v, const TextDecoder& decoder);

// Appends v as a JSON value: null, number, true/false, or a string.
void AppendJsonValue(std::string& out, const paradox::api::ValueView& v, const TextDecoder& decoder);

// Appends v as one CSV cell (RFC 4180): empty for null, quoted when it holds a comma, a quote,
// CR or LF (quotes doubled).
void AppendCsvCell(std::string& out, const paradox::api::ValueView& v, const TextDecoder& decoder);
// Appends a record's cells as one CSV row: the cells, commas between them, CRLF.
void AppendCsvRow(std::string& out, const std::vector<paradox::api::ValueView>& row, const TextDecoder& decoder);
// Appends a UTF-8 text as one CSV cell with the same quoting rule.
void AppendCsvText(std::string& out, std::string_view utf8);

}  // namespace vortab::cli
