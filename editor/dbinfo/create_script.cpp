// Writing the script that reproduces a database.
#include "editor/dbinfo/create_script.h"

#include <cstdio>
#include <ctime>

#include "editor/dbinfo/command_texts.h"
#include "editor/dbinfo/keyword_rendering.h"
#include "paradox/api/database.h"
#include "shared/text/cp1252.h"

namespace vortab::dbinfo {

namespace {

constexpr std::size_t kWidth = 78;

std::string Printf(const char* format, auto... values) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

void WriteHeaderRemarks(const tTbl_Structure& t, ScriptLines& lines) {
    const bool paradoxDriver = t.owner->DriverKind == DriverKind::Paradox;
    lines.push_back(":" + std::string(kWidth, '_'));
    if (paradoxDriver)
        lines.push_back(Printf(": Fields: %d, Indexes: %d, Validity checks: %d, Referential integrity: %d",
                               static_cast<int>(t.fields.size()), static_cast<int>(t.indexes.size()),
                               static_cast<int>(t.checks.size()), static_cast<int>(t.links.size())));
    else
        lines.push_back(Printf(": Fields: %d, Indexes: %d", static_cast<int>(t.fields.size()), static_cast<int>(t.indexes.size())));
    const TableFigures f = t.Figures();
    lines.push_back(Printf(": Record size: Physical  %d b.  Logical  %d b.", f.physicalRecordSize, f.logicalRecordSize));
    if (paradoxDriver) {
        lines.push_back(Printf(": Records per block: %d,   Wasted space per block: %d b. ( %.2f ", f.recordsPerBlock,
                               f.wastedBytes, f.wastedPercent) + "%)");
        lines.push_back(Printf(": Restructure version: %d", static_cast<int>(t.properties.restructureVersion)));
    }
    const auto listLinks = [&](LinkKind kind, const std::string& heading) {
        const auto links = t.LinksOfKind(kind);
        if (links.empty()) return;
        lines.push_back(OnOneLine(heading));
        for (const auto* link : links)
            lines.push_back(":" + std::string(21, ' ') + OnOneLine(paradox::api::FileNamePart(fixedText(link->otherTable))));
    };
    listLinks(LinkKind::Master, ": The following tables depend on table " + t.name() + ":");
    listLinks(LinkKind::Dependent, ": Table " + t.name() + " depends on the following tables:");
    if (paradoxDriver) {
        if (t.properties.isProtected) lines.push_back(": table is password protected");
        if (t.properties.auxPasswords > 0) lines.push_back(": table has auxiliary passwords");
    }
    lines.push_back(":" + std::string(kWidth, '='));
}

const IdentifierEntry* Identifiers(const tTbl_Structure& t) { return t.owner->identifiers; }

void WriteCreateStep(const tTbl_Structure& t, int& stepCounter, ScriptLines& lines) {
    if (t.fields.empty()) {
        WriteRemark(lines, "Table " + t.name() + " has no fields and cannot be created");
        return;
    }
    const FieldDescriptor& first = t.fields.front();
    const std::string firstName = fixedText(first.name);
    WriteStep(stepCounter, lines, "Create table \"" + t.name() + "\" with first field \"" + firstName + "\"",
              RenderCommand("tbl_create", Identifiers(t),
                            {QuoteString(t.name()), QuoteString(t.properties.languageDriver),
                             std::to_string(t.properties.level), QuoteString(firstName), FieldTypeKeyword(first.type),
                             FieldSubtypeKeyword(first.subType), std::to_string(first.units1),
                             std::to_string(first.units2)}));
}

void WriteAttributeSteps(const tTbl_Structure& t, int& stepCounter, ScriptLines& lines) {
    if (t.properties.blockSizeKb != 0)
        WriteStep(stepCounter, lines, "Adjust block size",
                  RenderCommand("TBL_SETATTR", Identifiers(t),
                                {TableArgument(t), "BLOCK_SIZE", std::to_string(t.properties.blockSizeKb * 1024)}));
    // Also a table with the flag but no link of its own keeps it (a master may carry it).
    if (t.owner->DriverKind == DriverKind::Paradox &&
        (t.properties.strictIntegrity || !t.LinksOfKind(LinkKind::Dependent).empty()))
        WriteStep(stepCounter, lines, "Adjust strict referential integrity",
                  RenderCommand("TBL_SETATTR", Identifiers(t),
                                {TableArgument(t), "STRICT_REFINT", BoolKeyword(t.properties.strictIntegrity)}));
}

void WriteIndexAdd(const tTbl_Structure& t, const IndexDescriptor& index, int& stepCounter, ScriptLines& lines) {
    if (const std::string why = IndexNotExpressible(t, index); !why.empty()) return WriteRemark(lines, why);
    WriteStep(stepCounter, lines, IndexAddDescription(t, index), IxAddText(t, index));
}

void WriteCheckAdd(const tTbl_Structure& t, const ValidityCheckDescriptor& check, int& stepCounter, ScriptLines& lines) {
    if (HasScriptableParts(check)) WriteStep(stepCounter, lines, VchkAddDescription(t, check), VchkAddText(t, check));
    if (const std::string lost = VchkLostParts(t, check); !lost.empty()) WriteRemark(lines, lost);
}

}  // namespace

bool FitsOnOneLine(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32) return false;
    return true;
}

std::string OnOneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32) c = '?';
    return text;
}

void WriteStep(int& stepCounter, ScriptLines& lines, const std::string& description, const std::string& command) {
    if (!FitsOnOneLine(command)) return WriteUnwritableStep(lines, command);
    ++stepCounter;
    WriteStepNote(stepCounter, lines, description);
    lines.push_back(" " + command);
}

void WriteUnwritableStep(ScriptLines& lines, const std::string& command) {
    WriteRemark(lines, "Not written, a name in it holds a control character: " + command);
}

void WriteStepNote(int stepCounter, ScriptLines& lines, const std::string& text) {
    lines.push_back(":#" + std::to_string(stepCounter) + " " + OnOneLine(text));
}

void WriteRemark(ScriptLines& lines, const std::string& text) { lines.push_back(": " + OnOneLine(text)); }

void WriteBanner(const std::string& text, ScriptLines& lines, bool ruleBefore, bool ruleAfter) {
    const std::string rule = ":" + std::string(kWidth, '=');
    if (ruleBefore) lines.push_back(rule);
    const std::string shown = text.substr(0, kWidth);
    const std::size_t before = (kWidth - shown.size()) / 2;
    lines.push_back(":" + std::string(before, ' ') + OnOneLine(shown) + std::string(kWidth - before - shown.size(), ' '));
    if (ruleAfter) lines.push_back(rule);
}

void WriteUnreadTables(const tdatabase_Structure& model, ScriptLines& lines, const std::string& prefix) {
    for (const UnreadTable& u : model.unread) {
        WriteBanner("Table " + u.fileName + " not read", lines, true, true);
        WriteRemark(lines, prefix + "Table " + u.fileName + " cannot be read and is left out: " + std::to_string(u.code) + " " +
                               u.message);
    }
}

std::string CreationStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return std::string("Script created ") + buffer;
}

void WriteLinkAdd(const tTbl_Structure& t, const RILinkDescriptor& link, int& stepCounter, ScriptLines& lines,
                  const std::string& descriptionPrefix) {
    if (const std::string why = LinkNotExpressible(t, link); !why.empty()) return WriteRemark(lines, why);
    WriteStep(stepCounter, lines, descriptionPrefix + RiDescription(t, link), RiAddText(t, link));
}

void WriteTableBlock(const tTbl_Structure& t, int& stepCounter, ScriptLines& lines, bool detailed,
                     const std::string& titleSuffix, LinkDeferral* deferral) {
    if (IsUtf8Beyond1252(t.name())) {
        // Its file name on disk holds letters a Windows-1252 script cannot carry: a step would
        // name some other table.
        WriteBanner("TABLE " + t.name() + " " + titleSuffix, lines, true, true);
        return WriteRemark(lines, "Table " + t.name() + " is not written: its name has letters Windows-1252 cannot hold");
    }
    WriteBanner("TABLE " + t.name() + " " + titleSuffix, lines, true, !detailed);
    if (detailed) WriteHeaderRemarks(t, lines);
    WriteCreateStep(t, stepCounter, lines);
    if (t.fields.empty()) return;
    WriteAttributeSteps(t, stepCounter, lines);
    for (std::size_t i = 1; i < t.fields.size(); ++i)
        WriteStep(stepCounter, lines, "Add field \"" + fixedText(t.fields[i].name) + "\"", FldAddText(t, t.fields[i]));
    for (const auto& index : t.indexes) WriteIndexAdd(t, index, stepCounter, lines);
    for (const auto& warning : t.warnings) WriteRemark(lines, warning);
    for (const auto& check : t.checks) WriteCheckAdd(t, check, stepCounter, lines);
    if (deferral) deferral->notYetCreated.erase(&t);
    for (const auto* link : t.LinksOfKind(LinkKind::Dependent)) {
        const tTbl_Structure* master = t.owner->FindTable(paradox::api::FileNamePart(fixedText(link->otherTable)));
        if (deferral && master && deferral->notYetCreated.count(master)) {
            deferral->links.emplace_back(&t, link);
            continue;
        }
        WriteLinkAdd(t, *link, stepCounter, lines, "Add ");
    }
}

void WriteCreateScript(const tdatabase_Structure& model, const std::vector<std::string>& tableNames, ScriptLines& lines,
                       Progress& progress, const std::string& libraryVersion) {
    std::vector<const tTbl_Structure*> chosen;
    for (const auto& t : model.tables) {
        bool wanted = tableNames.empty();
        for (const std::string& name : tableNames) wanted = wanted || model.NormalizedName(name) == model.NormalizedName(t->name());
        if (wanted) chosen.push_back(t.get());
    }
    ProgressScope scope(progress, "creating script", static_cast<int>(chosen.size()));
    if (tableNames.empty()) {
        WriteBanner(CreationStamp(), lines, true, false);
        WriteBanner("This script reproduces database structure of", lines, false, false);
        WriteBanner(Printf("%s,   %d table(s) found", model.databaseName.c_str(),
                           static_cast<int>(model.tables.size() + model.unread.size())),
                    lines, false, false);
        WriteBanner(libraryVersion + ",   Driver: " + model.driver, lines, false, false);
    }
    WriteUnreadTables(model, lines);
    LinkDeferral deferral;
    deferral.notYetCreated.insert(chosen.begin(), chosen.end());
    int stepCounter = 0;
    for (const tTbl_Structure* t : chosen) {
        WriteTableBlock(*t, stepCounter, lines, true, "", &deferral);
        scope.Step();
    }
    if (deferral.links.empty()) return;
    WriteBanner("Links to tables created after their dependents", lines, true, true);
    for (const auto& [t, link] : deferral.links) WriteLinkAdd(*t, *link, stepCounter, lines, "Add ");
}

std::string JoinScriptLines(const ScriptLines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace vortab::dbinfo
