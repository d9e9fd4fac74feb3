// A strict little JSON reader for the tests: parses a whole document into a tree (objects keep
// member order) and fails on anything RFC 8259 does not allow, including invalid UTF-8.
#pragma once
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace cli_test {

struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string numberText;  // the number as written
    std::string text;
    std::vector<Json> items;                            // Array
    std::vector<std::pair<std::string, Json>> members;  // Object, in order

    bool isNull() const { return kind == Kind::Null; }
    const Json& operator[](std::size_t i) const { return items.at(i); }
    // Member by name; throws std::out_of_range when absent.
    const Json& operator[](const std::string& name) const {
        for (const auto& m : members)
            if (m.first == name) return m.second;
        throw std::out_of_range("no member " + name);
    }
    bool has(const std::string& name) const {
        for (const auto& m : members)
            if (m.first == name) return true;
        return false;
    }
    std::size_t size() const { return kind == Kind::Array ? items.size() : members.size(); }
};

class JsonParser {
public:
    explicit JsonParser(const std::string& s) : s_(s) {}

    // The document, or nullopt with error() set.
    std::optional<Json> parse() {
        Json v;
        ws();
        if (!value(v, 0)) return std::nullopt;
        ws();
        if (pos_ != s_.size()) return fail("trailing characters");
        return v;
    }
    const std::string& error() const { return error_; }

private:
    std::nullopt_t fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at offset " + std::to_string(pos_);
        return std::nullopt;
    }
    bool failed(const std::string& what) {
        fail(what);
        return false;
    }
    void ws() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t')) ++pos_;
    }
    bool literal(const char* word) {
        const std::string w(word);
        if (s_.compare(pos_, w.size(), w) != 0) return failed("bad literal");
        pos_ += w.size();
        return true;
    }
    bool value(Json& v, int depth) {
        if (depth > 64) return failed("too deep");
        if (pos_ >= s_.size()) return failed("unexpected end");
        const char c = s_[pos_];
        if (c == '{') return object(v, depth);
        if (c == '[') return array(v, depth);
        if (c == '"') {
            v.kind = Json::Kind::String;
            return string(v.text);
        }
        if (c == 't') { v.kind = Json::Kind::Bool; v.boolean = true; return literal("true"); }
        if (c == 'f') { v.kind = Json::Kind::Bool; return literal("false"); }
        if (c == 'n') return literal("null");
        return number(v);
    }
    bool number(Json& v) {
        const std::size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
        if (pos_ >= s_.size() || !isdigit(s_[pos_])) return failed("bad number");
        if (s_[pos_] == '0') ++pos_; else while (pos_ < s_.size() && isdigit(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            if (pos_ >= s_.size() || !isdigit(s_[pos_])) return failed("bad fraction");
            while (pos_ < s_.size() && isdigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (pos_ >= s_.size() || !isdigit(s_[pos_])) return failed("bad exponent");
            while (pos_ < s_.size() && isdigit(s_[pos_])) ++pos_;
        }
        v.kind = Json::Kind::Number;
        v.numberText = s_.substr(start, pos_ - start);
        v.number = std::strtod(v.numberText.c_str(), nullptr);
        return true;
    }
    static bool isdigit(char c) { return c >= '0' && c <= '9'; }
    bool string(std::string& out) {
        ++pos_;  // opening quote
        while (pos_ < s_.size()) {
            const auto c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') { ++pos_; return true; }
            if (c < 0x20) return failed("control character in string");
            if (c == '\\') {
                if (++pos_ >= s_.size()) return failed("bad escape");
                const char e = s_[pos_++];
                switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    if (pos_ + 4 > s_.size()) return failed("bad \\u");
                    const unsigned cp = static_cast<unsigned>(std::strtoul(s_.substr(pos_, 4).c_str(), nullptr, 16));
                    pos_ += 4;
                    if (cp < 0x80) out += static_cast<char>(cp);
                    else return failed("non-ASCII \\u escape not expected from vortab");
                    break;
                }
                default: return failed("bad escape");
                }
                continue;
            }
            // One UTF-8 sequence, checked.
            const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
            if (extra < 0 || pos_ + static_cast<std::size_t>(extra) >= s_.size()) return failed("invalid UTF-8");
            for (int k = 1; k <= extra; ++k)
                if ((static_cast<unsigned char>(s_[pos_ + static_cast<std::size_t>(k)]) & 0xC0) != 0x80)
                    return failed("invalid UTF-8");
            out.append(s_, pos_, static_cast<std::size_t>(extra) + 1);
            pos_ += static_cast<std::size_t>(extra) + 1;
        }
        return failed("unterminated string");
    }
    bool array(Json& v, int depth) {
        v.kind = Json::Kind::Array;
        ++pos_;
        ws();
        if (pos_ < s_.size() && s_[pos_] == ']') { ++pos_; return true; }
        for (;;) {
            Json item;
            ws();
            if (!value(item, depth + 1)) return false;
            v.items.push_back(std::move(item));
            ws();
            if (pos_ < s_.size() && s_[pos_] == ',') { ++pos_; continue; }
            if (pos_ < s_.size() && s_[pos_] == ']') { ++pos_; return true; }
            return failed("expected , or ]");
        }
    }
    bool object(Json& v, int depth) {
        v.kind = Json::Kind::Object;
        ++pos_;
        ws();
        if (pos_ < s_.size() && s_[pos_] == '}') { ++pos_; return true; }
        for (;;) {
            ws();
            std::string name;
            if (pos_ >= s_.size() || s_[pos_] != '"' || !string(name)) return failed("expected member name");
            ws();
            if (pos_ >= s_.size() || s_[pos_] != ':') return failed("expected :");
            ++pos_;
            ws();
            Json item;
            if (!value(item, depth + 1)) return false;
            v.members.emplace_back(std::move(name), std::move(item));
            ws();
            if (pos_ < s_.size() && s_[pos_] == ',') { ++pos_; continue; }
            if (pos_ < s_.size() && s_[pos_] == '}') { ++pos_; return true; }
            return failed("expected , or }");
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace cli_test
