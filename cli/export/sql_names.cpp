// Unique, length-limited SQL names.
#include "cli/export/sql_names.h"

#include <set>

namespace vortab::cli::sqlexport {
namespace {

std::string AsciiFolded(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The longest prefix of at most maxBytes bytes that ends at a character boundary.
std::string CutAt(const std::string& utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) return utf8;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    return utf8.substr(0, end);
}

class Namespace {
  public:
    explicit Namespace(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    // A unique name as close to wanted as the limit allows; a change is listed as "where: old ->
    // new".
    std::string claim(const std::string& wanted, const std::string& where, std::vector<std::string>& changes) {
        std::string name = maxBytes_ ? CutAt(wanted, maxBytes_) : wanted;
        for (int n = 2; used_.count(AsciiFolded(name)); ++n) {
            const std::string suffix = "_" + std::to_string(n);
            name = (maxBytes_ ? CutAt(wanted, maxBytes_ - suffix.size()) : wanted) + suffix;
        }
        used_.insert(AsciiFolded(name));
        if (name != wanted) changes.push_back(where + wanted + " -> " + name);
        return name;
    }

  private:
    std::size_t maxBytes_;
    std::set<std::string> used_;
};

// text between two quote characters, the quote character doubled inside.
std::string Quoted(std::string_view text, char quote) {
    std::string out(1, quote);
    for (const char c : text) {
        if (c == quote) out += quote;
        out += c;
    }
    return out + quote;
}

}  // namespace

std::string QuoteIdentifier(std::string_view utf8) {
    return Quoted(utf8, '"');
}

std::string QuoteText(std::string_view utf8) {
    return Quoted(utf8, '\'');
}

std::vector<std::string> AssignSqlNames(std::vector<SqlTable>& tables, std::size_t maxBytes) {
    std::vector<std::string> changes;
    Namespace global(maxBytes);
    for (SqlTable& table : tables) table.name = global.claim(table.name, "table ", changes);
    for (SqlTable& table : tables) {
        Namespace columns(maxBytes);
        for (SqlColumn& column : table.columns)
            column.name = columns.claim(column.name, "column " + table.name + ".", changes);
        for (SqlIndex& index : table.indexes)
            index.name = global.claim(table.name + "_" + index.name, "index ", changes);
    }
    return changes;
}

}  // namespace vortab::cli::sqlexport
