// From a table's structure to its SQL description: field types to column kinds, checks to
// rules, defaults and comments, indexes and links by field number to columns.
#include "cli/export/sql_schema.h"

#include "cli/info_terms.h"
#include "cli/table_access.h"
#include "shared/text/code_pages.h"

namespace vortab::cli::sqlexport {
namespace {

using paradox::api::CheckValueKind;
using paradox::api::ParadoxType;

ColumnKind KindOf(ParadoxType type) {
    switch (type) {
    case ParadoxType::Alpha: return ColumnKind::Alpha;
    case ParadoxType::Short: return ColumnKind::Short;
    case ParadoxType::Long: return ColumnKind::Long;
    case ParadoxType::AutoInc: return ColumnKind::AutoInc;
    case ParadoxType::Money:
    case ParadoxType::Number: return ColumnKind::Number;
    case ParadoxType::Bcd: return ColumnKind::Bcd;
    case ParadoxType::Date: return ColumnKind::Date;
    case ParadoxType::Time: return ColumnKind::Time;
    case ParadoxType::Timestamp: return ColumnKind::Timestamp;
    case ParadoxType::Logical: return ColumnKind::Logical;
    case ParadoxType::Memo: return ColumnKind::Memo;
    case ParadoxType::FmtMemo: return ColumnKind::FormattedMemo;
    case ParadoxType::Blob:
    case ParadoxType::Ole:
    case ParadoxType::Graphic:
    case ParadoxType::Bytes: return ColumnKind::Binary;
    }
    return ColumnKind::Binary;
}

bool ValidNumber(const TableInfo& info, int number) {
    return number >= 1 && number <= static_cast<int>(info.fields.size());
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// A minimum or maximum: a rule when it is a fixed value, a comment when it is "today"/"now"
// (a check against the day of entry, which no later check can repeat).
void AddBound(const TableInfo& info, const paradox::api::Check& check, CheckPart part, SqlTable& table) {
    const CheckValueKind kind = CheckPartKind(check, part);
    if (kind == CheckValueKind::None) return;
    const int column = check.fieldNumber - 1;
    const char* word = part == CheckPart::Minimum ? "minimum" : "maximum";
    const paradox::api::Value bound = CheckPartValue(info, check, part);
    if (kind != CheckValueKind::Value || bound.isNull() || bound.kind() == paradox::api::ValueKind::Bytes) {
        table.columns[static_cast<std::size_t>(column)].notes.push_back(
            std::string(word) + " " + CheckValueKindName(kind) + " (not a fixed value)");
        return;
    }
    table.rules.push_back({part == CheckPart::Minimum ? RuleKind::Minimum : RuleKind::Maximum, column, bound, 0});
}

void AddChecks(const TableInfo& info, SqlTable& table) {
    const TextDecoder decoder(table.codePage);
    for (const paradox::api::Check& check : info.checks) {
        if (!ValidNumber(info, check.fieldNumber)) continue;
        const int column = check.fieldNumber - 1;
        SqlColumn& col = table.columns[static_cast<std::size_t>(column)];
        if (check.required) table.rules.push_back({RuleKind::Required, column, {}, 0});
        AddBound(info, check, CheckPart::Minimum, table);
        AddBound(info, check, CheckPart::Maximum, table);
        col.defaultKind = check.defaultKind;
        if (check.defaultKind == CheckValueKind::Value) {
            col.defaultValue = CheckPartValue(info, check, CheckPart::Default);
            if (col.defaultValue.isNull()) col.defaultKind = CheckValueKind::None;
        }
        if (!check.picture.empty()) col.notes.push_back("picture \"" + OneLine(decoder.toUtf8(check.picture)) + "\"");
        if (check.lookupKind != paradox::api::LookupKind::None)
            col.notes.push_back(std::string("lookup in ") + OneLine(NameToUtf8(check.lookupTable)) + " (" +
                                LookupKindName(check.lookupKind) + ")");
    }
}

void AddIndexes(const TableInfo& info, SqlTable& table) {
    const TextDecoder decoder(table.codePage);
    for (const paradox::api::Index& index : info.indexes) {
        if (index.expression || index.keyFields.empty()) continue;
        bool valid = true;
        for (const std::uint16_t number : index.keyFields) valid = valid && ValidNumber(info, number);
        if (!valid) continue;
        if (index.primary) {
            for (const std::uint16_t number : index.keyFields) table.primaryKey.push_back(number - 1);
            continue;
        }
        SqlIndex out;
        out.name = decoder.toUtf8(index.name.empty() ? index.tagName : index.name);
        for (std::size_t i = 0; i < index.keyFields.size(); ++i) {
            out.columns.push_back(index.keyFields[i] - 1);
            out.descending.push_back(i < index.keyDescending.size() ? index.keyDescending[i] : index.descending);
        }
        out.unique = index.unique;
        out.caseInsensitive = index.caseInsensitive;
        table.indexes.push_back(std::move(out));
    }
    // Keyed tables read without their .PX: the key is the first keyFields fields.
    if (table.primaryKey.empty())
        for (int i = 0; i < info.properties.keyFields && i < static_cast<int>(table.columns.size()); ++i)
            table.primaryKey.push_back(i);
}

void AddLinks(const TableInfo& info, SqlTable& table) {
    const TextDecoder decoder(table.codePage);
    for (std::size_t n = 0; n < info.links.size(); ++n) {
        const paradox::api::Link& link = info.links[n];
        if (link.kind != paradox::api::LinkKind::Dependent) continue;  // written with the dependent table
        SqlLink out;
        out.name = decoder.toUtf8(link.name);
        out.masterFile = link.otherTable;
        out.cascadeUpdate = link.updateRule == paradox::api::LinkRule::Cascade;
        out.cascadeDelete = link.deleteRule == paradox::api::LinkRule::Cascade;
        bool valid = !link.thisFields.empty() && link.thisFields.size() == link.otherFields.size();
        for (const std::uint16_t number : link.thisFields) {
            valid = valid && ValidNumber(info, number);
            out.columns.push_back(number - 1);
        }
        out.masterColumns = OtherFieldNamesOf(info, n);
        if (!valid)
            out.unavailable = "its fields do not fit the table";
        else if (out.masterColumns.empty())
            out.unavailable = "the master table cannot be read";
        table.links.push_back(std::move(out));
    }
}

}  // namespace

SqlTable DescribeTable(const TableInfo& info) {
    SqlTable table;
    table.file = info.properties.name;
    table.name = NameToUtf8(TableTitle(info.properties.name));
    table.codePage = TextCodePage(info.properties);
    table.autoIncHighest = info.properties.autoIncValue;
    table.recordCount = info.properties.recordCount;
    const TextDecoder decoder(table.codePage);
    for (const paradox::api::Field& f : info.fields) {
        SqlColumn col;
        col.name = decoder.toUtf8(f.name);
        col.kind = KindOf(f.paradoxType);
        if (col.kind == ColumnKind::Alpha) col.length = f.sizeByte;
        if (col.kind == ColumnKind::Bcd) {
            col.precision = 32;
            col.scale = f.sizeByte;
        }
        table.columns.push_back(std::move(col));
    }
    AddIndexes(info, table);
    AddChecks(info, table);
    AddLinks(info, table);
    for (const std::string& warning : info.warnings) table.notes.push_back(OneLine(warning));
    if (info.checksStale) table.notes.push_back("the .VAL was written for an older version of the table");
    return table;
}

bool FoldsCase(const SqlTable& table, const SqlIndex& index) {
    if (!index.caseInsensitive) return false;
    for (const int c : index.columns)
        if (IsTextColumn(table.columns[static_cast<std::size_t>(c)])) return true;
    return false;
}

std::string RuleText(const SqlTable& table, const SqlRule& rule) {
    const std::string& column = table.columns[static_cast<std::size_t>(rule.column)].name;
    switch (rule.kind) {
    case RuleKind::Required: return column + " required";
    case RuleKind::Minimum: return "minimum of " + column;
    case RuleKind::Maximum: return "maximum of " + column;
    }
    return column;
}

std::string LinkText(const SqlLink& link) {
    return "link \"" + link.name + "\" to " + NameToUtf8(TableTitle(link.masterFile));
}

}  // namespace vortab::cli::sqlexport
