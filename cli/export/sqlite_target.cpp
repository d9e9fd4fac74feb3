// The SQLite target: one database file written through libsqlite3 in one transaction. Tables
// carry their keys, checks and foreign keys in CREATE TABLE; indexes are made after the data
// (faster than keeping them in step); the autoincrement sequence is set from the header.
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "cli/export/sql_names.h"
#include "cli/export/sql_target.h"
#include "cli/value_text.h"
#include "shared/text/code_pages.h"

namespace vortab::cli::sqlexport {
namespace {

using paradox::api::Value;
using paradox::api::ValueKind;

// One line of a CREATE TABLE: a definition and the comment that follows it.
struct SchemaLine {
    std::string definition, comment;
};

std::string JoinLines(const std::vector<SchemaLine>& lines, const std::vector<std::string>& trailing) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += "  " + lines[i].definition + (i + 1 < lines.size() ? "," : "");
        if (!lines[i].comment.empty()) out += " -- " + lines[i].comment;
        out += "\n";
    }
    for (const std::string& comment : trailing) out += "  -- " + comment + "\n";
    return out;
}

class SqliteTarget final : public SqlTarget {
  public:
    SqliteTarget(const ExportPlan& plan, const std::string& path)
        : plan_(plan), path_(path), temporary_(TemporaryPathFor(path)) {
        std::remove(temporary_.c_str());
        try {
            const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
            if (sqlite3_open_v2(temporary_.c_str(), &db_, flags, nullptr) != SQLITE_OK)
                fail("cannot create " + temporary_);
            // A new file written in one go: the journal only has to undo a table (kept in
            // memory), and the file is synced once, before it is put in place.
            exec("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF; PRAGMA foreign_keys = OFF; BEGIN");
        } catch (...) {
            sqlite3_close(db_);  // the destructor does not run for a constructor that throws
            std::remove(temporary_.c_str());
            throw;
        }
    }

    ~SqliteTarget() override {
        sqlite3_finalize(insert_);
        if (db_) sqlite3_close(db_);
        if (!finished_) std::remove(temporary_.c_str());
    }

    void beginTable(std::size_t t) override {
        table_ = &plan_.tables[t];
        decoder_ = TextDecoder(table_->codePage);
        exec("SAVEPOINT export_table");
        exec(CreateTable(*table_));
        std::string sql = "INSERT INTO " + QuoteIdentifier(table_->name) + " VALUES (";
        for (std::size_t i = 0; i < table_->columns.size(); ++i) sql += i ? ", ?" : "?";
        sql += ")";
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &insert_, nullptr) != SQLITE_OK) fail(sql);
        cells_.assign(table_->columns.size(), std::string());
        rowidKey_ = KeyWritten(plan_, *table_) && KeyIsRowid(*table_) ? table_->primaryKey[0] : -1;
    }

    void addRecord(const paradox::api::RecordReader& record) override {
        // The rowid would fill a blank key with a number of its own.
        if (rowidKey_ >= 0 && record.value(rowidKey_).isNull()) throw BlankKeyField{};
        for (std::size_t i = 0; i < table_->columns.size(); ++i)
            bind(static_cast<int>(i), record.value(static_cast<int>(i)));
        if (sqlite3_step(insert_) != SQLITE_DONE) fail("inserting into " + table_->name);
        sqlite3_reset(insert_);
    }

    void endTable() override {
        sqlite3_finalize(insert_);
        insert_ = nullptr;
        for (const SqlIndex& index : table_->indexes) createIndex(index);
        if (AutoIncKeyWritten(plan_, *table_) && table_->nextAutoInc() > 1) {
            // The sequence goes on where the Paradox header's counter does.
            exec("DELETE FROM sqlite_sequence WHERE name = " + QuoteText(table_->name) +
                 "; INSERT INTO sqlite_sequence (name, seq) VALUES (" + QuoteText(table_->name) + ", " +
                 std::to_string(table_->nextAutoInc() - 1) + ")");
        }
        exec("RELEASE export_table");
    }

    void abandonTable() override {
        sqlite3_finalize(insert_);
        insert_ = nullptr;
        exec("ROLLBACK TO export_table; RELEASE export_table");
    }

    void finish() override {
        exec("COMMIT");
        if (sqlite3_close(db_) != SQLITE_OK) fail("closing " + temporary_);
        db_ = nullptr;
        PutInPlace(temporary_, path_);
        finished_ = true;
    }

  private:
    [[noreturn]] void fail(const std::string& what) {
        throw std::runtime_error(what + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory"));
    }

    void exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "failed";
            sqlite3_free(message);
            throw std::runtime_error(text + " in: " + sql.substr(0, 200));
        }
    }

    void bind(int index, const Value& v) {
        switch (v.kind()) {
        case ValueKind::Null: sqlite3_bind_null(insert_, index + 1); return;
        case ValueKind::Integer:
        case ValueKind::Bool: sqlite3_bind_int64(insert_, index + 1, v.asInt()); return;
        case ValueKind::Float:
            if (std::isfinite(v.asDouble()))
                sqlite3_bind_double(insert_, index + 1, v.asDouble());
            else
                sqlite3_bind_null(insert_, index + 1);
            return;
        default: break;
        }
        // Each column keeps its own buffer, valid until the row is inserted: SQLite need not copy.
        std::string& cell = cells_[static_cast<std::size_t>(index)];
        cell.clear();
        if (v.kind() == ValueKind::Bytes) {
            cell = v.asString();
            sqlite3_bind_blob(insert_, index + 1, cell.data(), static_cast<int>(cell.size()), SQLITE_STATIC);
        } else if (AppendPlainText(cell, v, decoder_)) {
            sqlite3_bind_text(insert_, index + 1, cell.data(), static_cast<int>(cell.size()), SQLITE_STATIC);
        } else {
            sqlite3_bind_null(insert_, index + 1);
        }
    }

    std::string ColumnDefinition(const SqlColumn& column, std::size_t c, std::string& comment) {
        const SqlTable& table = *table_;
        std::string def = QuoteIdentifier(column.name) + " " + TypeName(Dialect::Sqlite, column);
        if (AutoIncKeyWritten(plan_, table) && table.primaryKey[0] == static_cast<int>(c))
            def += " PRIMARY KEY AUTOINCREMENT";
        std::vector<std::string> notes = column.notes;
        for (const SqlRule& rule : table.rules) {
            if (rule.column != static_cast<int>(c)) continue;
            const std::optional<std::string> condition = RuleCondition(Dialect::Sqlite, table, rule, decoder_);
            if (!condition) continue;
            if (!RuleWritten(rule))
                notes.push_back(RuleText(table, rule) + " left out (" + WhyNotWritten(rule) + "): CHECK (" +
                                *condition + ")");
            else if (rule.kind == RuleKind::Required)
                def += " NOT NULL";
            else
                def += " CHECK (" + *condition + ")";
        }
        const std::string fallback = DefaultExpression(Dialect::Sqlite, column, decoder_);
        if (!fallback.empty()) def += " DEFAULT " + fallback;
        const std::string typeCheck = SqliteTypeCheck(column);
        if (!typeCheck.empty()) def += " CHECK (" + typeCheck + ")";
        if (column.kind == ColumnKind::AutoInc && !AutoIncKeyWritten(plan_, table))
            notes.push_back("autoincrement, next value " + std::to_string(table.nextAutoInc()));
        for (const std::string& note : notes) comment += (comment.empty() ? "" : "; ") + note;
        return def;
    }

    std::string CreateTable(const SqlTable& table) {
        std::vector<SchemaLine> lines;
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            SchemaLine line;
            line.definition = ColumnDefinition(table.columns[c], c, line.comment);
            lines.push_back(std::move(line));
        }
        if (KeyWritten(plan_, table) && !AutoIncKeyWritten(plan_, table)) {
            std::string key;
            for (const int c : table.primaryKey)
                key += (key.empty() ? "" : ", ") + QuoteIdentifier(table.columns[static_cast<std::size_t>(c)].name);
            lines.push_back({"PRIMARY KEY (" + key + ")", {}});
        }
        std::vector<std::string> trailing = table.notes;
        if (!table.primaryKey.empty() && !KeyWritten(plan_, table))
            trailing.push_back("primary key left out: " + WhyKeyNotWritten(table));
        for (const SqlLink& link : table.links) {
            if (LinkWritten(plan_, link))
                lines.push_back({ForeignKeyClause(link, table, plan_.tables[static_cast<std::size_t>(link.master)]),
                                 LinkText(link)});
            else
                trailing.push_back(LinkText(link) + " left out: " + WhyNotWritten(plan_, link));
        }
        return "CREATE TABLE " + QuoteIdentifier(table.name) + " (\n" + JoinLines(lines, trailing) + ")";
    }

    std::string IndexSql(const SqlIndex& index, bool unique) {
        std::string sql = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + QuoteIdentifier(index.name) +
                          " ON " + QuoteIdentifier(table_->name) + " (\n";
        for (std::size_t i = 0; i < index.columns.size(); ++i) {
            const SqlColumn& column = table_->columns[static_cast<std::size_t>(index.columns[i])];
            sql += "  " + QuoteIdentifier(column.name);
            if (index.caseInsensitive && IsTextColumn(column)) sql += " COLLATE NOCASE";
            if (index.descending[i]) sql += " DESC";
            sql += i + 1 < index.columns.size() ? ",\n" : "\n";
        }
        if (FoldsCase(*table_, index)) sql += "  -- case-insensitive in Paradox; NOCASE folds ASCII letters only\n";
        return sql + ")";
    }

    // A unique index that the records break (its index file was stale, or the records were
    // written without it) is made without UNIQUE, and said so.
    void createIndex(const SqlIndex& index) {
        if (!index.unique) {
            exec(IndexSql(index, false));
            return;
        }
        try {
            exec(IndexSql(index, true));
        } catch (const std::runtime_error&) {
            std::cerr << "vortab export: " << table_->name << ": index " << index.name
                      << " is not unique over the records; written without UNIQUE\n";
            exec(IndexSql(index, false));
        }
    }

    const ExportPlan& plan_;
    std::string path_, temporary_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    const SqlTable* table_ = nullptr;
    TextDecoder decoder_{0};
    std::vector<std::string> cells_;  // per column: the text or bytes bound to the insert
    int rowidKey_ = -1;               // the key column that is SQLite's rowid, or -1
    bool finished_ = false;
};

}  // namespace

std::unique_ptr<SqlTarget> OpenSqliteTarget(const ExportPlan& plan, const std::string& path) {
    return std::make_unique<SqliteTarget>(plan, path);
}

}  // namespace vortab::cli::sqlexport
