// Types, literals and conditions of the two SQL targets.
#include "cli/export/sql_dialect.h"

#include <cmath>

#include "cli/export/sql_names.h"
#include "cli/json_writer.h"
#include "cli/value_text.h"

namespace vortab::cli::sqlexport {
namespace {

using paradox::api::CheckValueKind;
using paradox::api::Value;
using paradox::api::ValueKind;

std::string ColumnList(const std::vector<int>& columns, const SqlTable& table) {
    std::string out;
    for (std::size_t i = 0; i < columns.size(); ++i)
        out += (i ? ", " : "") + QuoteIdentifier(table.columns[static_cast<std::size_t>(columns[i])].name);
    return out;
}

}  // namespace

std::string TypeName(Dialect dialect, const SqlColumn& column) {
    const bool pg = dialect == Dialect::Postgres;
    switch (column.kind) {
    case ColumnKind::Alpha: return pg ? "varchar(" + std::to_string(column.length) + ")" : "TEXT";
    case ColumnKind::Short: return pg ? "smallint" : "INTEGER";
    case ColumnKind::Long:
    case ColumnKind::AutoInc: return pg ? "integer" : "INTEGER";
    case ColumnKind::Number: return pg ? "double precision" : "REAL";
    case ColumnKind::Bcd:
        return pg ? "numeric(" + std::to_string(column.precision) + "," + std::to_string(column.scale) + ")" : "TEXT";
    case ColumnKind::Date: return pg ? "date" : "TEXT";
    case ColumnKind::Time: return pg ? "time" : "TEXT";
    case ColumnKind::Timestamp: return pg ? "timestamp" : "TEXT";
    case ColumnKind::Logical: return pg ? "boolean" : "INTEGER";
    case ColumnKind::Memo: return pg ? "text" : "TEXT";
    // PostgreSQL's text holds no NUL character, which formatting runs are full of: its bytes.
    case ColumnKind::FormattedMemo: return pg ? "bytea" : "TEXT";
    case ColumnKind::Binary: return pg ? "bytea" : "BLOB";
    }
    return "BLOB";
}

std::optional<std::string> Literal(Dialect dialect, const SqlColumn& column, const Value& value,
                                   const TextDecoder& decoder) {
    switch (value.kind()) {
    case ValueKind::Null:
    case ValueKind::Bytes: return std::nullopt;
    case ValueKind::Integer: return std::to_string(value.asInt());
    case ValueKind::Float: {
        if (!std::isfinite(value.asDouble())) return std::nullopt;
        std::string out;
        AppendJsonNumber(out, value.asDouble());
        return out;
    }
    case ValueKind::Bool:
        return dialect == Dialect::Postgres ? (value.asBool() ? "true" : "false") : (value.asBool() ? "1" : "0");
    case ValueKind::Bcd:
        // SQLite keeps BCD as its exact text.
        return dialect == Dialect::Sqlite && column.kind == ColumnKind::Bcd ? QuoteText(value.asString())
                                                                            : value.asString();
    default: break;
    }
    std::string text;
    if (!AppendPlainText(text, value, decoder)) return std::nullopt;
    return QuoteText(text);
}

std::string DefaultExpression(Dialect dialect, const SqlColumn& column, const TextDecoder& decoder) {
    const bool pg = dialect == Dialect::Postgres;
    switch (column.defaultKind) {
    case CheckValueKind::None: return {};
    case CheckValueKind::Value: return Literal(dialect, column, column.defaultValue, decoder).value_or("");
    case CheckValueKind::Today:
        if (column.kind != ColumnKind::Date) return {};
        return pg ? "CURRENT_DATE" : "(date('now', 'localtime'))";
    case CheckValueKind::Now:
        if (column.kind == ColumnKind::Time) return pg ? "LOCALTIME" : "(strftime('%H:%M:%f', 'now', 'localtime'))";
        if (column.kind == ColumnKind::Timestamp)
            return pg ? "LOCALTIMESTAMP" : "(strftime('%Y-%m-%dT%H:%M:%f', 'now', 'localtime'))";
        if (column.kind == ColumnKind::Date) return pg ? "CURRENT_DATE" : "(date('now', 'localtime'))";
        return {};
    }
    return {};
}

std::optional<std::string> RuleCondition(Dialect dialect, const SqlTable& table, const SqlRule& rule,
                                         const TextDecoder& decoder) {
    const SqlColumn& column = table.columns[static_cast<std::size_t>(rule.column)];
    std::string ref = QuoteIdentifier(column.name);
    if (rule.kind == RuleKind::Required) return ref + " IS NOT NULL";
    const std::optional<std::string> bound = Literal(dialect, column, rule.bound, decoder);
    if (!bound) return std::nullopt;
    std::string boundText = *bound;
    if (column.kind == ColumnKind::Bcd && dialect == Dialect::Sqlite) {
        ref = "CAST(" + ref + " AS REAL)";
        boundText = rule.bound.asString();
    }
    if (IsTextColumn(column) && dialect == Dialect::Postgres)
        ref += " COLLATE \"C\"";  // byte order of UTF-8, as the records were checked
    return ref + (rule.kind == RuleKind::Minimum ? " >= " : " <= ") + boundText;
}

std::string SqliteTypeCheck(const SqlColumn& column) {
    const std::string ref = QuoteIdentifier(column.name);
    if (column.kind == ColumnKind::Alpha) return "length(" + ref + ") <= " + std::to_string(column.length);
    if (column.kind == ColumnKind::Logical) return ref + " IN (0, 1)";
    return {};
}

std::string ForeignKeyClause(const SqlLink& link, const SqlTable& table, const SqlTable& master) {
    return "FOREIGN KEY (" + ColumnList(link.columns, table) + ") REFERENCES " + QuoteIdentifier(master.name) + " (" +
           ColumnList(link.masterColumnIndexes, master) + ") ON UPDATE " +
           (link.cascadeUpdate ? "CASCADE" : "RESTRICT") + " ON DELETE " +
           (link.cascadeDelete ? "CASCADE" : "RESTRICT");
}

}  // namespace vortab::cli::sqlexport
