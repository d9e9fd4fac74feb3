// What differs between the SQL targets of an export: the column types that keep every Paradox
// value, the literal form of a value in DEFAULT and CHECK, and the condition a rule becomes.
// SQLite keeps dates, times and BCD as text and logicals as 0/1; PostgreSQL has the types.
#pragma once
#include <optional>
#include <string>

#include "cli/export/sql_schema.h"
#include "shared/text/code_pages.h"

namespace vortab::cli::sqlexport {

enum class Dialect { Sqlite, Postgres };

// The column's type ("TEXT", "varchar(20)", "numeric(32,2)" ...).
std::string TypeName(Dialect dialect, const SqlColumn& column);
// The value as a SQL literal for this column; nullopt when it has none (NaN, bytes).
std::optional<std::string> Literal(Dialect dialect, const SqlColumn& column, const paradox::api::Value& value,
                                   const TextDecoder& decoder);
// The column's DEFAULT expression, or empty when it has none.
std::string DefaultExpression(Dialect dialect, const SqlColumn& column, const TextDecoder& decoder);
// The condition a rule checks ("\"Qty\" >= 1"); nullopt when the bound has no literal.
std::optional<std::string> RuleCondition(Dialect dialect, const SqlTable& table, const SqlRule& rule,
                                         const TextDecoder& decoder);
// The checks a SQLite column carries by its type: alpha length and logical 0/1 (empty: none).
std::string SqliteTypeCheck(const SqlColumn& column);
// "FOREIGN KEY (...) REFERENCES master (...) ON UPDATE ... ON DELETE ...".
std::string ForeignKeyClause(const SqlLink& link, const SqlTable& table, const SqlTable& master);

}  // namespace vortab::cli::sqlexport
