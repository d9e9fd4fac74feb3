// Streaming JSON output: a writer that keeps track of nesting and commas and appends to a
// buffer, which the caller flushes to its stream whenever it likes (memory stays bounded).
// Strings given to it must already be UTF-8; numbers use the shortest round-trip form.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortab::cli {

// Appends text as a quoted JSON string (quotes, backslashes and control characters escaped).
void AppendJsonString(std::string& out, std::string_view utf8);
// Appends the shortest decimal form that reads back as the same double; NaN and infinities,
// which JSON cannot hold, become null.
void AppendJsonNumber(std::string& out, double value);

class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // Inside an object: the member name for the next value.
    void key(std::string_view name);

    void string(std::string_view utf8);
    void number(double value);
    void integer(std::int64_t value);
    void boolean(bool value);
    void null();
    // A value already in JSON form (e.g. from AppendJsonString).
    void raw(std::string_view json);

    // Inside an object: a member name and its value in one call; nullopt writes null.
    void member(std::string_view name, std::string_view utf8);
    void memberInteger(std::string_view name, std::int64_t value);
    void memberInteger(std::string_view name, std::optional<std::int64_t> value);
    void memberNumber(std::string_view name, double value);
    void memberBoolean(std::string_view name, bool value);

    int depth() const { return static_cast<int>(hasItems_.size()); }

private:
    void beforeValue();

    std::string& out_;
    std::vector<bool> hasItems_;  // per open container: something written already
    bool afterKey_ = false;
};

}  // namespace vortab::cli
