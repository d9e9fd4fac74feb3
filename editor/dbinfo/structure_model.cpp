// Reading tables into the structure model and ordering them by their links. The engine's face
// reports a table in plain types; they become the model's packed records here, as it is read.
#include "editor/dbinfo/structure_model.h"

#include <algorithm>
#include <set>

#include "paradox/api/database.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/interface_records.h"
#include "paradox/api/session.h"
#include "paradox/api/suspended_links.h"
#include "shared/text/case_fold.h"

namespace vortab::dbinfo {

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool HasScriptableParts(const ValidityCheckDescriptor& check) {
    return check.required || check.minimumKind || check.maximumKind || check.defaultKind || check.picture[0] != '\0';
}

namespace {

namespace records = paradox::api::records;

// The name a table goes by in scripts: its file name without ".DB", unless what remains holds
// a dot of its own (then the file name stays whole, so that no reader takes a part for the
// extension).
std::string ScriptTableName(const std::string& fileName) {
    const std::string base = paradox::api::TableBaseName(fileName);
    return base.find('.') == std::string::npos ? base : fileName;
}

// Keeps the engine session started for as long as a model is being read.
class SessionUse {
public:
    SessionUse() { paradox::api::Session::Default().start(); }
    ~SessionUse() { paradox::api::Session::Default().stop(); }
    SessionUse(const SessionUse&) = delete;
    SessionUse& operator=(const SessionUse&) = delete;
};

}  // namespace

tTbl_Structure::tTbl_Structure(tdatabase_Structure& owner, const std::string& directory, const std::string& fileName)
    : owner(&owner) {
    ReadTable(directory, fileName);
}

void tTbl_Structure::ReadTable(const std::string& directory, const std::string& file) {
    fields.clear();
    indexes.clear();
    checks.clear();
    links.clear();
    warnings.clear();
    missingMasters.clear();
    RenameMap.clear();
    properties = paradox::api::TableProperties{};

    SessionUse session;
    paradox::api::Database database(paradox::api::Session::Default(), {}, paradox::api::DatabaseAccess::ReadOnly);
    database.setDirectory(directory);
    const paradox::api::OpenedTable opened = database.openTable(file);
    properties = opened.table.properties();
    fileName = properties.name;
    properties.name = ScriptTableName(fileName);
    for (const paradox::api::Field& f : opened.table.fields()) {
        fields.push_back(records::FieldRecord<FieldDescriptor>(f));
        fields.back().unused[0] = static_cast<std::uint16_t>(fields.size());
    }
    for (const paradox::api::Index& x : opened.table.indexes()) indexes.push_back(records::IndexRecord<IndexDescriptor>(x));
    if (const auto val = opened.table.validity()) {
        for (const paradox::api::Check& c : val->checks) checks.push_back(records::CheckRecord<ValidityCheckDescriptor>(c));
        for (const paradox::api::Link& l : val->links) links.push_back(records::LinkRecord<RILinkDescriptor>(l));
    }
    warnings = opened.table.warnings();
}

std::string tTbl_Structure::FieldNameByNumber(int n) const {
    if (n < 1 || n > static_cast<int>(fields.size())) throw GenerationError("Invalid field number");
    return fixedText(fields[static_cast<std::size_t>(n - 1)].name);
}

int tTbl_Structure::FieldPosition(const std::string& name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (SameNameNoCase(fixedText(fields[i].name), name)) return static_cast<int>(i + 1);
    return -1;
}

const ValidityCheckDescriptor* tTbl_Structure::VchkForField(const std::string& name) const {
    const int position = FieldPosition(name);
    if (position <= 0) return nullptr;
    for (const auto& check : checks)
        if (check.fieldNumber == position && HasScriptableParts(check)) return &check;
    return nullptr;
}

bool tTbl_Structure::DependsOn(const tTbl_Structure& other) const {
    // Depth first over the masters; a table met before is not entered again, so self-links
    // and cycles end.
    std::set<const tTbl_Structure*> visited;
    std::vector<const tTbl_Structure*> pending{this};
    while (!pending.empty()) {
        const tTbl_Structure* t = pending.back();
        pending.pop_back();
        if (t == &other) return true;
        if (!visited.insert(t).second) continue;
        for (auto it = t->DependsOnList.rbegin(); it != t->DependsOnList.rend(); ++it) pending.push_back(*it);
    }
    return false;
}

std::vector<const RILinkDescriptor*> tTbl_Structure::LinksOfKind(LinkKind kind) const {
    std::vector<const RILinkDescriptor*> result;
    for (const auto& link : links)
        if (link.kind == static_cast<std::uint32_t>(kind)) result.push_back(&link);
    return result;
}

TableFigures tTbl_Structure::Figures() const {
    TableFigures f;
    f.physicalRecordSize = properties.recordBufferSize;
    f.logicalRecordSize = properties.recordSize;
    const int blockBytes = properties.blockSizeKb * 1024;
    const int usable = blockBytes - 6;
    if (f.physicalRecordSize > 0 && usable > 0) {
        f.recordsPerBlock = usable / f.physicalRecordSize;
        f.wastedBytes = usable % f.physicalRecordSize;
        f.wastedPercent = f.wastedBytes * 100.0 / blockBytes;
    }
    return f;
}

tdatabase_Structure::tdatabase_Structure(const IdentifierEntry* identifiers, const std::string& driver)
    : identifiers(identifiers),
      driver(driver),
      DriverKind(vortab::DriverKindOf(driver)),
      DefaultExtension(vortab::DefaultExtension(driver, true)) {}

std::string tdatabase_Structure::NormalizedName(const std::string& name) const {
    std::string upper = vortab::UpperCase1252(paradox::api::FileNamePart(name));
    const std::string ext = vortab::UpperCase1252(DefaultExtension);
    if (upper.size() < ext.size() || upper.compare(upper.size() - ext.size(), ext.size(), ext) != 0) upper += ext;
    return upper;
}

tTbl_Structure* tdatabase_Structure::FindTable(const std::string& name) const {
    const std::string sought = NormalizedName(name);
    for (const auto& t : tables)
        if (NormalizedName(t->name()) == sought) return t.get();
    return nullptr;
}

void tdatabase_Structure::ResolveDependencies(tTbl_Structure& t) {
    for (const RILinkDescriptor* link : t.LinksOfKind(LinkKind::Dependent)) {
        const std::string master = paradox::api::FileNamePart(fixedText(link->otherTable));
        if (tTbl_Structure* found = FindTable(master)) {
            t.DependsOnList.push_back(found);
            continue;
        }
        if (FindUnread(master)) {
            t.missingMasters.push_back(NormalizedName(master));
            continue;
        }
        tTbl_Structure* added = nullptr;
        try {
            added = ReadInto(master);
        } catch (const paradox::api::EngineError& e) {
            // A master that is not in the database: its links cannot be written as steps.
            if (e.code() != paradox::api::err::kNoSuchTable) throw;
        }
        if (!added) {
            t.missingMasters.push_back(NormalizedName(master));
            continue;
        }
        t.DependsOnList.push_back(added);
        ResolveDependencies(*added);
    }
}

tTbl_Structure* tdatabase_Structure::ReadInto(const std::string& fileName) {
    try {
        tables.push_back(std::make_unique<tTbl_Structure>(*this, directory, fileName));
    } catch (const paradox::api::EngineError& e) {
        // A missing table is the caller's to judge (a master outside the database, a name not found).
        if (onUnread == UnreadTables::EndLoad || e.code() == paradox::api::err::kNoSuchTable) throw;
        unread.push_back({fileName, e.code(), e.what()});
        return nullptr;
    }
    return tables.back().get();
}

const UnreadTable* tdatabase_Structure::FindUnread(const std::string& name) const {
    const std::string sought = NormalizedName(name);
    for (const UnreadTable& u : unread)
        if (NormalizedName(u.fileName) == sought) return &u;
    return nullptr;
}

void tdatabase_Structure::SortByDependencies() {
    // Each table's masters, direct and indirect, found once: the exchange pass asks for every pair.
    std::map<const tTbl_Structure*, std::set<const tTbl_Structure*>> reachable;
    for (const auto& t : tables) {
        std::set<const tTbl_Structure*>& seen = reachable[t.get()];
        std::vector<const tTbl_Structure*> pending{t.get()};
        while (!pending.empty()) {
            const tTbl_Structure* u = pending.back();
            pending.pop_back();
            if (seen.insert(u).second) pending.insert(pending.end(), u->DependsOnList.begin(), u->DependsOnList.end());
        }
    }
    const std::size_t n = tables.size();
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = n - 1; j > i; --j)
            if (reachable[tables[i].get()].count(tables[j].get())) std::swap(tables[i], tables[j]);
}

std::unique_ptr<tdatabase_Structure> LoadDatabase(const std::string& databaseName, const std::vector<std::string>& tableNames,
                                                  const IdentifierEntry* identifiers, Progress& progress,
                                                  const std::string& driver, UnreadTables onUnread) {
    auto model = std::make_unique<tdatabase_Structure>(identifiers, driver);
    model->onUnread = onUnread;
    if (!identifiers) return model;
    SessionUse session;
    model->databaseName = databaseName;
    model->directory = paradox::api::Session::Default().resolveDatabaseDirectory(databaseName);

    std::vector<std::string> names;
    for (const std::string& name : tableNames) names.push_back(paradox::api::FileNamePart(name));
    if (names.empty()) {
        paradox::api::RecoverDirectory(model->directory);  // no table listed under two names
        names = paradox::api::ListTables(model->directory, "*" + model->DefaultExtension);
    }
    if (names.empty()) return model;

    {
        ProgressScope scope(progress, "retrieving database info", static_cast<int>(names.size()));
        for (const std::string& name : names) {
            if (!model->FindTable(name) && !model->FindUnread(name)) model->ReadInto(name);
            scope.Step();
        }
    }
    // Resolving may append masters; those are resolved as they are read.
    const std::size_t chosen = model->tables.size();
    for (std::size_t i = 0; i < chosen; ++i) model->ResolveDependencies(*model->tables[i]);
    model->SortByDependencies();
    return model;
}

std::string SuspendedLinksWarning(const std::string& databaseName) {
    try {
        const std::string dir = paradox::api::Session::Default().resolveDatabaseDirectory(databaseName);
        return paradox::api::SuspendedLinksWarning(dir, paradox::api::QuerySuspendedLinks(dir).state);
    } catch (const std::exception&) {
        return {};  // a database that does not resolve is reported by whatever reads it
    }
}

}  // namespace vortab::dbinfo
