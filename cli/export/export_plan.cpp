// Planning a SQL export: structure, link resolution, audit, order and names.
#include "cli/export/export_plan.h"

#include <strings.h>
#include <algorithm>
#include <iostream>
#include <map>
#include <set>

#include "cli/export/constraint_audit.h"
#include "cli/export/sql_names.h"
#include "cli/table_access.h"
#include "cli/table_info.h"

namespace vortab::cli::sqlexport {
namespace {

constexpr std::size_t kPostgresNameBytes = 63;

bool SameTable(const std::string& a, const std::string& b) {
    return strcasecmp(TableTitle(a).c_str(), TableTitle(b).c_str()) == 0;
}

int FindTable(const std::vector<SqlTable>& tables, const std::string& file) {
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (SameTable(tables[i].file, file)) return static_cast<int>(i);
    return -1;
}

int FindColumn(const SqlTable& table, const std::string& name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (strcasecmp(table.columns[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

// The link's master among tables, and its columns there; a reason when it has none. SQL's foreign
// keys need the master's whole key (or a unique index) on the other side.
void ResolveLink(const ExportPlan& plan, SqlLink& link) {
    const std::vector<SqlTable>& tables = plan.tables;
    link.master = -1;
    link.masterColumnIndexes.clear();
    if (!link.unavailable.empty()) return;
    link.master = FindTable(tables, link.masterFile);
    if (link.master < 0) {
        const bool unreadable = std::any_of(plan.unreadable.begin(), plan.unreadable.end(),
                                            [&](const std::string& file) { return SameTable(file, link.masterFile); });
        link.unavailable =
            unreadable ? "the master table cannot be read" : "the master table is not among the exported tables";
        return;
    }
    const SqlTable& master = tables[static_cast<std::size_t>(link.master)];
    for (const std::string& name : link.masterColumns) {
        const int column = FindColumn(master, name);
        if (column < 0) {
            link.unavailable = "the master has no field " + name;
            link.master = -1;
            return;
        }
        link.masterColumnIndexes.push_back(column);
    }
    std::vector<int> wanted = link.masterColumnIndexes;
    std::sort(wanted.begin(), wanted.end());
    const auto sameSet = [&wanted](std::vector<int> columns) {
        std::sort(columns.begin(), columns.end());
        return columns == wanted;
    };
    bool keyed = sameSet(master.primaryKey);
    for (const SqlIndex& index : master.indexes) keyed = keyed || (index.unique && sameSet(index.columns));
    if (!keyed) {
        link.unavailable = "its fields in the master are not the master's whole key";
        link.master = -1;
    }
}

void ResolveLinks(ExportPlan& plan) {
    for (SqlTable& table : plan.tables)
        for (SqlLink& link : table.links) ResolveLink(plan, link);
}

// Masters before their dependents (depth first; a cycle is cut where it closes).
void OrderMastersFirst(std::vector<SqlTable>& tables) {
    std::vector<int> order, state(tables.size(), 0);  // 0 new, 1 visiting, 2 done
    const auto visit = [&](auto&& self, int t) -> void {
        if (state[static_cast<std::size_t>(t)] != 0) return;
        state[static_cast<std::size_t>(t)] = 1;
        for (const SqlLink& link : tables[static_cast<std::size_t>(t)].links)
            if (link.master >= 0) self(self, link.master);
        state[static_cast<std::size_t>(t)] = 2;
        order.push_back(t);
    };
    for (std::size_t t = 0; t < tables.size(); ++t) visit(visit, static_cast<int>(t));
    std::vector<SqlTable> sorted;
    for (const int t : order) sorted.push_back(std::move(tables[static_cast<std::size_t>(t)]));
    tables = std::move(sorted);
}

// Counts what breaks each table's constraints; false when the table's records cannot be read.
bool AuditTable(ExportPlan& plan, std::size_t t, std::map<std::string, KeySet>& masterKeys) {
    SqlTable& table = plan.tables[t];
    const bool checkKey = KeyNeedsAudit(plan.dialect, table);
    if (!NeedsAudit(table, checkKey)) return true;
    std::vector<const KeySet*> masters;
    for (SqlLink& link : table.links) {
        masters.push_back(nullptr);
        if (link.master < 0) continue;
        const SqlTable& master = plan.tables[static_cast<std::size_t>(link.master)];
        std::string id = master.file;
        for (const int c : link.masterColumnIndexes) id += "/" + std::to_string(c);
        auto found = masterKeys.find(id);
        if (found == masterKeys.end()) {
            try {
                const paradox::api::Table source = paradox::api::Table::Open(plan.directory, master.file, plan.passwords.options());
                found = masterKeys.emplace(id, ReadKeys(source, link.masterColumnIndexes, master.codePage)).first;
            } catch (const paradox::api::EngineError&) {
                link.unavailable = "the master table cannot be read";
                link.master = -1;
                continue;
            }
        }
        masters.back() = &found->second;
    }
    try {
        const paradox::api::Table source = paradox::api::Table::Open(plan.directory, table.file, plan.passwords.options());
        AuditRecords(source, table, masters, checkKey);
    } catch (const paradox::api::EngineError& e) {
        plan.exitCode = ReportEngineError("export", e, table.file);
        plan.unreadable.push_back(table.file);
        return false;
    }
    return true;
}

}  // namespace

void ReportBroken(const std::string& table, const std::string& what, long records) {
    std::cerr << "vortab export: " << table << ": " << what << " is broken by " << records << " record"
              << (records == 1 ? "" : "s") << "; written as a comment\n";
}

namespace {

void ReportBrokenConstraints(const ExportPlan& plan) {
    for (const SqlTable& table : plan.tables) {
        if (table.primaryKeyBroken > 0) ReportBrokenKey(table);
        for (const SqlRule& rule : table.rules)
            if (rule.broken > 0) ReportBroken(table.name, RuleText(table, rule), rule.broken);
        for (const SqlLink& link : table.links)
            if (link.broken > 0) ReportBroken(table.name, LinkText(link), link.broken);
    }
}

}  // namespace

void ReportBrokenKey(const SqlTable& table) {
    ReportBroken(table.name, "the primary key (a blank key field)", table.primaryKeyBroken);
}

RememberedPasswords::RememberedPasswords(paradox::api::OpenOptions given) : given_(std::move(given)) {}

paradox::api::OpenOptions RememberedPasswords::options() const {
    paradox::api::OpenOptions options = given_;
    options.passwords.insert(options.passwords.end(), typed_->begin(), typed_->end());
    if (given_.askPassword)
        options.askPassword = [ask = given_.askPassword, typed = typed_](const std::string& table) {
            std::optional<std::string> password = ask(table);
            if (password) typed->push_back(*password);
            return password;
        };
    return options;
}

ExportPlan PlanExport(Dialect dialect, const std::string& directory, const std::vector<std::string>& names,
                      const paradox::api::OpenOptions& options) {
    ExportPlan plan;
    plan.dialect = dialect;
    plan.directory = directory;
    plan.passwords = RememberedPasswords(options);
    for (const std::string& name : names) {
        try {
            plan.tables.push_back(DescribeTable(ReadTableInfo(directory, name, plan.passwords.options())));
        } catch (const paradox::api::EngineError& e) {
            plan.exitCode = ReportEngineError("export", e, name);
            plan.unreadable.push_back(name);
        }
    }
    ResolveLinks(plan);
    std::map<std::string, KeySet> masterKeys;
    std::vector<SqlTable> readable;
    for (std::size_t t = 0; t < plan.tables.size(); ++t)
        if (AuditTable(plan, t, masterKeys)) readable.push_back(plan.tables[t]);
    masterKeys.clear();
    plan.tables = std::move(readable);
    ResolveLinks(plan);
    OrderMastersFirst(plan.tables);
    ResolveLinks(plan);
    ReportBrokenConstraints(plan);
    plan.renamed = AssignSqlNames(plan.tables, dialect == Dialect::Postgres ? kPostgresNameBytes : 0);
    plan.written.assign(plan.tables.size(), false);
    return plan;
}

bool KeyNeedsAudit(Dialect dialect, const SqlTable& table) {
    // A primary key is NOT NULL in PostgreSQL. SQLite's rowid key finds its blanks as it is
    // written (BlankKeyField), which saves a pass over the records of most keyed tables.
    return dialect == Dialect::Postgres && !table.primaryKey.empty();
}

bool KeyIsRowid(const SqlTable& table) {
    return table.primaryKey.size() == 1 &&
           TypeName(Dialect::Sqlite, table.columns[static_cast<std::size_t>(table.primaryKey[0])]) == "INTEGER";
}

bool KeyWritten(const ExportPlan&, const SqlTable& table) {
    return !table.primaryKey.empty() && table.primaryKeyBroken == 0;
}

bool AutoIncKeyWritten(const ExportPlan& plan, const SqlTable& table) {
    return table.autoIncKey() && table.primaryKeyBroken == 0 && KeyWritten(plan, table);
}

std::string WhyKeyNotWritten(const SqlTable& table) {
    return "a key field is blank in " + std::to_string(table.primaryKeyBroken) + " record" +
           (table.primaryKeyBroken == 1 ? "" : "s");
}

bool RuleWritten(const SqlRule& rule) {
    return rule.broken == 0;
}

std::string WhyNotWritten(const SqlRule& rule) {
    return std::to_string(rule.broken) + " record" + (rule.broken == 1 ? " breaks" : "s break") + " it";
}

bool LinkWritten(const ExportPlan& plan, const SqlLink& link) {
    if (!link.unavailable.empty() || link.broken > 0 || link.master < 0) return false;
    const auto m = static_cast<std::size_t>(link.master);
    return plan.written[m] && KeyWritten(plan, plan.tables[m]);
}

std::string WhyNotWritten(const ExportPlan& plan, const SqlLink& link) {
    if (!link.unavailable.empty()) return link.unavailable;
    if (link.broken > 0)
        return std::to_string(link.broken) + " record" + (link.broken == 1 ? " holds" : "s hold") +
               " values the master does not";
    if (link.master < 0 || !plan.written[static_cast<std::size_t>(link.master)])
        return "the master table was not written";
    return "the master's key is not a key (blank key fields)";
}

}  // namespace vortab::cli::sqlexport
