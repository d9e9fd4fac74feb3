// A SQLite database opened read-only for the export tests: rows of a query as typed cells, and
// the texts of a one-column query (the schema, PRAGMA results).
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace cli_test {

struct SqlCell {
    int type = SQLITE_NULL;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;  // text or blob
};

class SqliteFile {
  public:
    explicit SqliteFile(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            error_ = sqlite3_errmsg(db_);
    }
    ~SqliteFile() { sqlite3_close(db_); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    const std::string& error() const { return error_; }

    std::vector<std::vector<SqlCell>> rows(const std::string& sql) {
        std::vector<std::vector<SqlCell>> out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            error_ = sqlite3_errmsg(db_);
            return out;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<SqlCell> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                SqlCell cell;
                cell.type = sqlite3_column_type(stmt, i);
                if (cell.type == SQLITE_INTEGER) cell.integer = sqlite3_column_int64(stmt, i);
                if (cell.type == SQLITE_FLOAT) cell.real = sqlite3_column_double(stmt, i);
                if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB) {
                    const void* data =
                        cell.type == SQLITE_BLOB ? sqlite3_column_blob(stmt, i) : sqlite3_column_text(stmt, i);
                    cell.bytes.assign(static_cast<const char*>(data),
                                      static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
                }
                row.push_back(std::move(cell));
            }
            out.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        return out;
    }

    // The first column of every row as text (integers in decimal), joined by newlines.
    std::string text(const std::string& sql) {
        std::string out;
        for (const auto& row : rows(sql)) {
            if (!out.empty()) out += "\n";
            if (!row.empty()) out += row[0].type == SQLITE_INTEGER ? std::to_string(row[0].integer) : row[0].bytes;
        }
        return out;
    }

  private:
    sqlite3* db_ = nullptr;
    std::string error_;
};

}  // namespace cli_test
