// The PostgreSQL target: a script for psql. Each table is created bare and filled by a
// COPY ... FROM stdin block (text format); after all data come the NOT NULLs, checks, keys,
// identity columns with their next value, indexes and, last, the foreign keys. All of it runs
// in one transaction.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "cli/export/sql_names.h"
#include "cli/export/sql_target.h"
#include "cli/value_text.h"
#include "shared/text/code_pages.h"

namespace vortab::cli::sqlexport {
namespace {

using paradox::api::Value;
using paradox::api::ValueKind;

constexpr std::size_t kFlushAt = 1 << 16;

// Appends text to a COPY field: backslash, tab, newline and carriage return escaped; a NUL
// character, which PostgreSQL's text cannot hold, left out.
void AppendCopyText(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\0': break;
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

// PostgreSQL reads a year before 1 as "YYYY-MM-DD BC" (year 0 is 1 BC), not in ISO's "-YYYY" form.
std::string PostgresYears(const std::string& iso) {
    const bool negative = !iso.empty() && iso[0] == '-';
    const std::size_t dash = iso.find('-', negative ? 1 : 0);
    if (dash == std::string::npos) return iso;
    const int year = std::atoi(iso.c_str() + (negative ? 1 : 0)) * (negative ? -1 : 1);
    if (year >= 1) return iso;
    char bc[16];
    std::snprintf(bc, sizeof bc, "%04d", 1 - year);
    return bc + iso.substr(dash) + " BC";
}

void AppendCopyBytes(std::string& out, std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\\\x";
    for (const char c : bytes) {
        out += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
        out += kHex[static_cast<unsigned char>(c) & 0xF];
    }
}

void AppendCopyValue(std::string& out, const SqlColumn& column, const Value& v, const TextDecoder& decoder,
                     std::string& scratch) {
    switch (v.kind()) {
    case ValueKind::Null: out += "\\N"; return;
    case ValueKind::Bool: out += v.asBool() ? 't' : 'f'; return;
    case ValueKind::Bytes: AppendCopyBytes(out, v.asString()); return;
    case ValueKind::Text:
        if (column.kind == ColumnKind::FormattedMemo) {
            AppendCopyBytes(out, v.asString());
            return;
        }
        break;
    default: break;
    }
    scratch.clear();
    if (!AppendPlainText(scratch, v, decoder)) {
        out += "\\N";
        return;
    }
    if (v.kind() == ValueKind::Text)
        AppendCopyText(out, scratch);
    else if (v.kind() == ValueKind::Date || v.kind() == ValueKind::Timestamp)
        out += PostgresYears(scratch);
    else
        out += scratch;
}

std::string ColumnList(const SqlTable& table, const std::vector<int>& columns) {
    std::string out;
    for (const int c : columns)
        out += (out.empty() ? "" : ", ") + QuoteIdentifier(table.columns[static_cast<std::size_t>(c)].name);
    return out;
}

class PostgresTarget final : public SqlTarget {
  public:
    PostgresTarget(const ExportPlan& plan, const std::string& path)
        : plan_(plan), path_(path), temporary_(TemporaryPathFor(path)) {
        file_ = std::fopen(temporary_.c_str(), "wb");
        if (!file_) throw std::runtime_error("cannot create " + temporary_);
        out_ =
            "-- PostgreSQL script written by vortab export; load it into an empty database with\n"
            "--   psql -v ON_ERROR_STOP=1 -f FILE\n";
        if (!plan_.renamed.empty()) {
            out_ += "-- Names made shorter (63 bytes at most) or unique:\n";
            for (const std::string& change : plan_.renamed) out_ += "--   " + OneLine(change) + "\n";
        }
        out_ += "SET client_encoding = 'UTF8';\nSET standard_conforming_strings = on;\nBEGIN;\n";
    }

    ~PostgresTarget() override {
        if (file_) std::fclose(file_);
        if (!finished_) std::remove(temporary_.c_str());
    }

    void beginTable(std::size_t t) override {
        flush(true);
        tableStart_ = std::ftell(file_);
        table_ = &plan_.tables[t];
        decoder_ = TextDecoder(table_->codePage);
        out_ += "\nCREATE TABLE " + QuoteIdentifier(table_->name) + " (\n";
        for (std::size_t c = 0; c < table_->columns.size(); ++c) {
            const SqlColumn& column = table_->columns[c];
            out_ += "  " + QuoteIdentifier(column.name) + " " + TypeName(Dialect::Postgres, column);
            const std::string fallback = DefaultExpression(Dialect::Postgres, column, decoder_);
            if (!fallback.empty()) out_ += " DEFAULT " + fallback;
            out_ += c + 1 < table_->columns.size() ? "," : "";
            for (std::size_t n = 0; n < column.notes.size(); ++n)
                out_ += (n ? "; " : " -- ") + OneLine(column.notes[n]);
            out_ += "\n";
        }
        for (const std::string& note : table_->notes) out_ += "  -- " + OneLine(note) + "\n";
        out_ += ");\nCOPY " + QuoteIdentifier(table_->name) + " FROM stdin;\n";
    }

    void addRecord(const paradox::api::RecordReader& record) override {
        for (std::size_t c = 0; c < table_->columns.size(); ++c) {
            if (c) out_ += '\t';
            AppendCopyValue(out_, table_->columns[c], record.value(static_cast<int>(c)), decoder_, scratch_);
        }
        out_ += '\n';
        flush(false);
    }

    void endTable() override { out_ += "\\.\n"; }

    void abandonTable() override {
        out_.clear();
        if (std::fflush(file_) != 0 || ::ftruncate(::fileno(file_), tableStart_) != 0 ||
            std::fseek(file_, tableStart_, SEEK_SET) != 0)
            throw std::runtime_error("cannot write " + temporary_);
    }

    void finish() override {
        out_ += "\n-- Checks, keys and indexes, then the links\n";
        for (std::size_t t = 0; t < plan_.tables.size(); ++t)
            if (plan_.written[t]) writeConstraints(plan_.tables[t]);
        for (std::size_t t = 0; t < plan_.tables.size(); ++t)
            if (plan_.written[t]) writeLinks(plan_.tables[t]);
        out_ += "COMMIT;\n";
        flush(true);
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!closed) throw std::runtime_error("cannot write " + temporary_);
        PutInPlace(temporary_, path_);
        finished_ = true;
    }

  private:
    static std::string OneLine(std::string text) {
        for (char& c : text)
            if (c == '\n' || c == '\r') c = ' ';
        return text;
    }

    void flush(bool force) {
        if (!force && out_.size() < kFlushAt) return;
        if (!out_.empty() && std::fwrite(out_.data(), 1, out_.size(), file_) != out_.size())
            throw std::runtime_error("cannot write " + temporary_);
        out_.clear();
    }

    void statement(const SqlTable& table, const std::string& clause) {
        out_ += "ALTER TABLE " + QuoteIdentifier(table.name) + " " + clause + ";\n";
    }

    void writeConstraints(const SqlTable& table) {
        const TextDecoder decoder(table.codePage);
        for (const SqlRule& rule : table.rules) {
            const std::optional<std::string> condition = RuleCondition(Dialect::Postgres, table, rule, decoder);
            if (!condition) continue;
            const std::string column = QuoteIdentifier(table.columns[static_cast<std::size_t>(rule.column)].name);
            const std::string clause = rule.kind == RuleKind::Required ? "ALTER COLUMN " + column + " SET NOT NULL"
                                                                       : "ADD CHECK (" + *condition + ")";
            if (RuleWritten(rule))
                statement(table, clause);
            else
                out_ += "-- " + OneLine(RuleText(table, rule)) + " left out (" + WhyNotWritten(rule) +
                        "): ALTER TABLE " + QuoteIdentifier(table.name) + " " + OneLine(clause) + ";\n";
        }
        if (KeyWritten(plan_, table))
            statement(table, "ADD PRIMARY KEY (" + ColumnList(table, table.primaryKey) + ")");
        else if (!table.primaryKey.empty())
            out_ += "-- " + QuoteIdentifier(table.name) + ": primary key (" + ColumnList(table, table.primaryKey) +
                    ") left out: " + WhyKeyNotWritten(table) + "\n";
        if (AutoIncKeyWritten(plan_, table)) {
            const std::string column = table.columns[static_cast<std::size_t>(table.primaryKey[0])].name;
            statement(table, "ALTER COLUMN " + QuoteIdentifier(column) + " ADD GENERATED BY DEFAULT AS IDENTITY");
            // The identity goes on where the Paradox header's counter does.
            out_ += "SELECT setval(pg_get_serial_sequence(" + QuoteText(QuoteIdentifier(table.name)) + ", " +
                    QuoteText(column) + "), " + std::to_string(table.nextAutoInc()) + ", false);\n";
        }
        for (const SqlIndex& index : table.indexes) writeIndex(table, index);
    }

    void writeIndex(const SqlTable& table, const SqlIndex& index) {
        std::string parts;
        for (std::size_t i = 0; i < index.columns.size(); ++i) {
            const SqlColumn& column = table.columns[static_cast<std::size_t>(index.columns[i])];
            const std::string name = QuoteIdentifier(column.name);
            parts += (i ? ", " : "") + (index.caseInsensitive && IsTextColumn(column) ? "lower(" + name + ")" : name);
            if (index.descending[i]) parts += " DESC";
        }
        if (FoldsCase(table, index))
            out_ += "-- " + OneLine(index.name) + ": case-insensitive in Paradox, here on lower()\n";
        out_ += std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " + QuoteIdentifier(index.name) +
                " ON " + QuoteIdentifier(table.name) + " (" + parts + ");\n";
    }

    void writeLinks(const SqlTable& table) {
        for (const SqlLink& link : table.links) {
            if (LinkWritten(plan_, link))
                statement(table,
                          "ADD " + ForeignKeyClause(link, table, plan_.tables[static_cast<std::size_t>(link.master)]));
            else
                out_ += "-- " + QuoteIdentifier(table.name) + ": " + OneLine(LinkText(link)) +
                        " left out: " + OneLine(WhyNotWritten(plan_, link)) + "\n";
        }
    }

    const ExportPlan& plan_;
    std::string path_, temporary_;
    std::FILE* file_ = nullptr;
    long tableStart_ = 0;
    std::string out_, scratch_;
    const SqlTable* table_ = nullptr;
    TextDecoder decoder_{0};
    bool finished_ = false;
};

}  // namespace

std::unique_ptr<SqlTarget> OpenPostgresTarget(const ExportPlan& plan, const std::string& path) {
    return std::make_unique<PostgresTarget>(plan, path);
}

}  // namespace vortab::cli::sqlexport
