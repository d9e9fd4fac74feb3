// JSON string escaping, shortest number form and the nesting bookkeeping of JsonWriter.
#include "cli/json_writer.h"

#include <charconv>
#include <cmath>

#include "cli/append_in_place.h"
#include "cli/shortest_number.h"

namespace vortab::cli {

void AppendJsonString(std::string& out, std::string_view utf8) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    AppendInPlace(out, kShortestNumberRoom, [value](char* p) { return PutNumberText(p, value); });
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back()) out_ += ',';
        hasItems_.back() = true;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    out_ += '{';
    hasItems_.push_back(false);
}

void JsonWriter::endObject() {
    hasItems_.pop_back();
    out_ += '}';
}

void JsonWriter::beginArray() {
    beforeValue();
    out_ += '[';
    hasItems_.push_back(false);
}

void JsonWriter::endArray() {
    hasItems_.pop_back();
    out_ += ']';
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    AppendJsonString(out_, name);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    AppendJsonString(out_, utf8);
}

void JsonWriter::number(double value) {
    beforeValue();
    AppendJsonNumber(out_, value);
}

void JsonWriter::integer(std::int64_t value) {
    beforeValue();
    char buf[24];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, result.ptr);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    out_ += "null";
}

void JsonWriter::member(std::string_view name, std::string_view utf8) {
    key(name);
    string(utf8);
}

void JsonWriter::memberInteger(std::string_view name, std::int64_t value) {
    key(name);
    integer(value);
}

void JsonWriter::memberInteger(std::string_view name, std::optional<std::int64_t> value) {
    key(name);
    if (value) integer(*value);
    else null();
}

void JsonWriter::memberNumber(std::string_view name, double value) {
    key(name);
    number(value);
}

void JsonWriter::memberBoolean(std::string_view name, bool value) {
    key(name);
    boolean(value);
}

void JsonWriter::raw(std::string_view json) {
    beforeValue();
    out_ += json;
}

}  // namespace vortab::cli
