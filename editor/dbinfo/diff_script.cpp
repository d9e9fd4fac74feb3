// Comparing two tables' structures and writing the steps between them.
#include "editor/dbinfo/diff_script.h"

#include <algorithm>
#include <cstdlib>

#include "editor/dbinfo/command_texts.h"
#include "editor/dbinfo/keyword_rendering.h"
#include "paradox/api/database.h"
#include "shared/text/cp1252.h"
#include "shared/text/case_fold.h"

namespace vortab::dbinfo {

namespace {


// Placeholder for the table argument when definitions of two tables are compared.
const std::string kAnyTable = "\"\"";

class TableComparison {
public:
    TableComparison(tTbl_Structure& c, tTbl_Structure& o, const DiffSettings& settings, int& stepCounter, ScriptLines& lines)
        : c_(c), o_(o), settings_(settings), steps_(stepCounter), lines_(lines) {}

    void Write() {
        WriteBanner("TABLE " + c_.name(), lines_, true, true);
        DropLinks();
        CompareAttributes();
        CompareFields();
        for (const auto& warning : o_.warnings) WriteRemark(lines_, "Original: " + warning);
        for (const auto& warning : c_.warnings) WriteRemark(lines_, warning);
        CompareIndexes();
        CompareChecks();
        AddLinks();
    }

private:
    bool Equal(const std::string& a, const std::string& b) const {
        return settings_.ignoreCase ? SameNameNoCase(a, b) : a == b;
    }
    const IdentifierEntry* Identifiers() const { return c_.owner->identifiers; }
    std::string Command(const std::string& name, const std::vector<std::string>& args) const {
        return RenderCommand(name, Identifiers(), args);
    }
    void SetAttribute(const std::string& description, const std::string& attribute, const std::string& value) {
        WriteStep(steps_, lines_, description, Command("tbl_setattr", {TableArgument(c_), attribute, value}));
    }
    // A step that shows the old and the new definition before its own description (if any).
    void WriteNotedStep(const std::string& what, const std::string& original, const std::string& current,
                        const std::string& description, const std::string& command) {
        if (!FitsOnOneLine(command)) return WriteUnwritableStep(lines_, command);
        ++steps_;
        WriteStepNote(steps_, lines_, what);
        WriteStepNote(steps_, lines_, "Original: " + original);
        WriteStepNote(steps_, lines_, "Current : " + current);
        if (!description.empty()) WriteStepNote(steps_, lines_, description);
        lines_.push_back(" " + command);
    }

    // The current link of the same name as an original one, and whether its definition changed.
    const RILinkDescriptor* MatchingLink(const RILinkDescriptor& l) const {
        for (const auto* m : c_.LinksOfKind(LinkKind::Dependent))
            if (Equal(fixedText(m->name), fixedText(l.name))) return m;
        return nullptr;
    }
    bool LinkChanged(const RILinkDescriptor& l, const RILinkDescriptor& m) const {
        return !Equal(RiAddText(o_, l, settings_.invariant, kAnyTable), RiAddText(c_, m, settings_.invariant, kAnyTable));
    }

    void DropLinks() {
        for (const auto* l : o_.LinksOfKind(LinkKind::Dependent)) {
            const RILinkDescriptor* m = MatchingLink(*l);
            if (m && !LinkChanged(*l, *m)) continue;
            const std::string name = fixedText(l->name);
            const std::string drop = Command("ri_drop", {TableArgument(c_), QuoteString(name)});
            if (m) {
                WriteNotedStep("Referential integrity \"" + name + "\" changed", RiAddText(o_, *l), RiAddText(c_, *m),
                               "Drop ref.int. \"" + name + "\"", drop);
            } else {
                WriteStep(steps_, lines_, "Drop ref.int. \"" + name + "\"", drop);
            }
        }
    }

    void AddLinks() {
        for (const auto* l : o_.LinksOfKind(LinkKind::Dependent))
            if (const auto* m = MatchingLink(*l); m && LinkChanged(*l, *m)) WriteLinkAdd(c_, *m, steps_, lines_, "Re-Add ");
        for (const auto* m : c_.LinksOfKind(LinkKind::Dependent)) {
            bool inOriginal = false;
            for (const auto* l : o_.LinksOfKind(LinkKind::Dependent))
                inOriginal = inOriginal || Equal(fixedText(l->name), fixedText(m->name));
            if (!inOriginal) WriteLinkAdd(c_, *m, steps_, lines_, "Add ");
        }
    }

    void CompareAttributes() {
        const auto& op = o_.properties;
        const auto& cp = c_.properties;
        if (!Equal(op.languageDriver, cp.languageDriver))
            SetAttribute("Change lang. driver from \"" + op.languageDriver + "\" to \"" + cp.languageDriver + "\"", "LANGDRIVER",
                         QuoteString(cp.languageDriver));
        if (op.level != cp.level)
            SetAttribute("Change table level from \"" + std::to_string(op.level) + "\" to " + std::to_string(cp.level), "LEVEL",
                         std::to_string(cp.level));
        if (op.blockSizeKb != cp.blockSizeKb)
            SetAttribute("Change block size from " + std::to_string(op.blockSizeKb * 1024) + " to " +
                             std::to_string(cp.blockSizeKb * 1024),
                         "BLOCK_SIZE", std::to_string(cp.blockSizeKb * 1024));
        if (op.strictIntegrity != cp.strictIntegrity)
            SetAttribute("Adjust strict referential integrity", "STRICT_REFINT", BoolKeyword(cp.strictIntegrity));
    }

    const FieldDescriptor* MatchingField(const FieldDescriptor& f) const {
        for (const auto& g : c_.fields)
            if (settings_.invariant ? g.fieldNumber == f.fieldNumber : Equal(fixedText(g.name), fixedText(f.name))) return &g;
        return nullptr;
    }

    void CompareFields() {
        // Drops come first: a field renamed under field matching by number may take the name of
        // one that goes.
        std::vector<std::pair<const FieldDescriptor*, const FieldDescriptor*>> matched;
        for (const auto& f : o_.fields) {
            if (const auto* g = MatchingField(f)) {
                matched.emplace_back(&f, g);
                continue;
            }
            WriteStep(steps_, lines_, "Drop field \"" + std::string(fixedText(f.name)) + "\"",
                      Command("fld_drop", {TableArgument(c_), QuoteString(fixedText(f.name))}));
        }
        std::vector<const FieldDescriptor*> working;
        for (const auto& match : matched) working.push_back(match.second);
        ChangeFields(matched);
        for (const auto& g : c_.fields) {
            bool listed = false;
            for (const auto* w : working) listed = listed || w == &g;
            if (listed) continue;
            working.push_back(&g);
            WriteStep(steps_, lines_, "Add field \"" + std::string(fixedText(g.name)) + "\"", FldAddText(c_, g));
        }
        MoveFields(working);
    }

    // The matched fields' changes in the original order, except that a field never takes a name
    // another field still holds (fields matched by number can trade names): such a change waits
    // until the name is free, and where fields wait for each other one goes by a spare name.
    void ChangeFields(const std::vector<std::pair<const FieldDescriptor*, const FieldDescriptor*>>& matched) {
        std::vector<std::string> held;
        for (const auto& match : matched) held.push_back(fixedText(match.first->name));
        const auto blocked = [&](std::size_t i) {
            for (std::size_t k = 0; k < held.size(); ++k)
                if (k != i && SameNameNoCase(held[k], fixedText(matched[i].second->name))) return true;
            return false;
        };
        std::vector<bool> done(matched.size(), false);
        for (std::size_t pending = matched.size(); pending > 0;) {
            bool moved = false;
            for (std::size_t i = 0; i < matched.size(); ++i) {
                if (done[i] || blocked(i)) continue;
                ChangeField(*matched[i].first, *matched[i].second, held[i]);
                held[i] = fixedText(matched[i].second->name);
                done[i] = true;
                moved = true;
                --pending;
            }
            if (moved) continue;
            const std::size_t i = static_cast<std::size_t>(std::find(done.begin(), done.end(), false) - done.begin());
            const std::string spare = SpareName(held);
            WriteStep(steps_, lines_, "Field \"" + held[i] + "\" renamed to \"" + spare + "\" for a while",
                      Command("fld_change", {TableArgument(c_), QuoteString(held[i]), QuoteString(spare), "FLDNOCHANGE",
                                             "FLDSTNOCHANGE", "-1", "-1"}));
            held[i] = spare;
        }
    }

    // A field name that neither the table now nor the current table uses.
    std::string SpareName(const std::vector<std::string>& held) const {
        for (int n = 1;; ++n) {
            const std::string name = "RENAMED_" + std::to_string(n);
            bool used = c_.FieldPosition(name) > 0;
            for (const std::string& h : held) used = used || SameNameNoCase(h, name);
            if (!used) return name;
        }
    }

    // from: the name the field holds in the table when the step runs.
    void ChangeField(const FieldDescriptor& f, const FieldDescriptor& g, const std::string& from) {
        const std::string oldName = fixedText(f.name), newName = fixedText(g.name);
        const bool renamed = !Equal(oldName, newName);
        if (renamed) {
            c_.RenameMap[UpperAscii(oldName)] = &g;
            o_.RenameMap[UpperAscii(newName)] = &f;
        }
        const bool sameType = f.type == g.type, sameSub = f.subType == g.subType;
        const bool rename = renamed || from != oldName;
        if (!rename && sameType && sameSub && f.units1 == g.units1 && f.units2 == g.units2) return;
        WriteNotedStep("Field \"" + newName + "\" attributes changed", FldAddText(o_, f), FldAddText(c_, g), "",
                       Command("fld_change", {TableArgument(c_), QuoteString(from), rename ? QuoteString(newName) : "\"\"",
                                              sameType ? "FLDNOCHANGE" : FieldTypeKeyword(g.type),
                                              sameSub ? "FLDSTNOCHANGE" : FieldSubtypeKeyword(g.subType),
                                              f.units1 == g.units1 ? "-1" : std::to_string(g.units1),
                                              f.units2 == g.units2 ? "-1" : std::to_string(g.units2)}));
    }

    // Moves the field farthest from its place until every field stands where the current table
    // has it; of two equally far, the one whose target lies farther from the middle goes first.
    void MoveFields(std::vector<const FieldDescriptor*>& working) {
        const int middle = static_cast<int>(c_.fields.size()) / 2;
        const std::size_t limit = working.size() * working.size() + 1;
        for (std::size_t round = 0;; ++round) {
            int best = -1, bestDistance = 0;
            for (int k = 1; k <= static_cast<int>(working.size()); ++k) {
                const int target = OriginalPosition(*working[static_cast<std::size_t>(k - 1)]);
                const int distance = std::abs(k - target);
                if (distance == 0) continue;
                if (best < 0 || distance > bestDistance) {
                    best = k;
                    bestDistance = distance;
                } else if (distance == bestDistance) {
                    const int bestTarget = OriginalPosition(*working[static_cast<std::size_t>(best - 1)]);
                    if (std::abs(bestTarget - middle) < std::abs(target - middle)) best = k;
                }
            }
            if (best < 0) return;
            if (round == limit) throw GenerationError("Cannot order the fields of table " + c_.name());
            const FieldDescriptor* field = working[static_cast<std::size_t>(best - 1)];
            const int target = OriginalPosition(*field);
            WriteStep(steps_, lines_,
                      "Change field \"" + std::string(fixedText(field->name)) + "\" position from " + std::to_string(best) +
                          " to " + std::to_string(target),
                      Command("fld_move", {TableArgument(c_), QuoteString(fixedText(field->name)), std::to_string(target)}));
            working.erase(working.begin() + (best - 1));
            working.insert(working.begin() + (target - 1), field);
        }
    }

    const IndexDescriptor* IndexNamed(const tTbl_Structure& t, const std::string& name) const {
        for (const auto& x : t.indexes)
            if (Equal(fixedText(x.name), name)) return &x;
        return nullptr;
    }

    void AddIndex(const IndexDescriptor& y) {
        if (const std::string why = IndexNotExpressible(c_, y); !why.empty()) return WriteRemark(lines_, why);
        WriteStep(steps_, lines_, IndexAddDescription(c_, y), IxAddText(c_, y));
    }

    void CompareIndexes() {
        for (const auto& x : o_.indexes) {
            const std::string label = IndexLabel(x);
            const auto drop = [&] { return Command("ix_drop", {TableArgument(c_), QuoteString(fixedText(x.name))}); };
            const IndexDescriptor* y = IndexNamed(c_, fixedText(x.name));
            if (!y) {
                WriteStep(steps_, lines_, "Drop " + label, drop());
                continue;
            }
            if (Equal(IndexDefinition(o_, x, settings_.invariant), IndexDefinition(c_, *y, settings_.invariant))) continue;
            WriteNotedStep(label + " attributes changed", IxAddText(o_, x), IxAddText(c_, *y), "Drop " + label, drop());
            AddIndex(*y);
        }
        for (const auto& y : c_.indexes)
            if (!IndexNamed(o_, fixedText(y.name))) AddIndex(y);
    }

    // A check's field name on the other side of a rename.
    static std::string Renamed(const tTbl_Structure& renames, const std::string& name) {
        const auto it = renames.RenameMap.find(UpperAscii(name));
        return it == renames.RenameMap.end() ? name : fixedText(it->second->name);
    }

    void AddCheck(const ValidityCheckDescriptor& w) {
        if (!HasScriptableParts(w)) return;
        WriteStep(steps_, lines_, VchkAddDescription(c_, w), VchkAddText(c_, w));
        if (const std::string lost = VchkLostParts(c_, w); !lost.empty()) WriteRemark(lines_, lost);
    }

    void CompareChecks() {
        for (const auto& v : o_.checks) {
            if (!HasScriptableParts(v)) continue;
            const std::string name = Renamed(c_, o_.FieldNameByNumber(v.fieldNumber));
            if (c_.FieldPosition(name) <= 0) continue;  // the field went, and its check with it
            const auto drop = [&] { return Command("vchk_drop", {TableArgument(c_), QuoteString(name)}); };
            const std::string dropDescription = "Drop validity check for field \"" + name + "\"";
            const ValidityCheckDescriptor* w = c_.VchkForField(name);
            if (!w) {
                WriteStep(steps_, lines_, dropDescription, drop());
                continue;
            }
            if (VchkAddText(o_, v, settings_.invariant, kAnyTable) == VchkAddText(c_, *w, settings_.invariant, kAnyTable)) continue;
            WriteNotedStep("Validity check for field \"" + name + "\" changed", VchkAddText(o_, v), VchkAddText(c_, *w),
                           dropDescription, drop());
            AddCheck(*w);
        }
        for (const auto& w : c_.checks) {
            const std::string name = Renamed(o_, c_.FieldNameByNumber(w.fieldNumber));
            if (!o_.VchkForField(name)) AddCheck(w);
        }
    }

    tTbl_Structure& c_;
    tTbl_Structure& o_;
    const DiffSettings& settings_;
    int& steps_;
    ScriptLines& lines_;
};

}  // namespace

void WriteTableChanges(tTbl_Structure& current, tTbl_Structure* original, const DiffSettings& settings, int& stepCounter,
                       ScriptLines& lines) {
    // A name Windows-1252 cannot hold gets the remark WriteTableBlock writes for it.
    if (!original || IsUtf8Beyond1252(current.name()))
        return WriteTableBlock(current, stepCounter, lines, false, original ? "" : "not found in source database");
    current.RenameMap.clear();
    original->RenameMap.clear();
    TableComparison(current, *original, settings, stepCounter, lines).Write();
}

void WriteDiffScript(tdatabase_Structure& current, const DiffSettings& settings, ScriptLines& lines,
                     const std::string& currentTable, const std::string& originalTable, tdatabase_Structure* original,
                     Progress& progress) {
    if (!original) {
        std::vector<std::string> chosen;
        if (!currentTable.empty()) chosen.push_back(currentTable);
        return WriteCreateScript(current, chosen, lines, progress);
    }
    int steps = 0;
    // A table that either side could not read is named in a remark and never becomes a step: a
    // create or a drop written for it would rebuild or remove a table that is still there.
    const auto unreadOnEitherSide = [&](const std::string& name) {
        return current.FindUnread(name) || original->FindUnread(name);
    };
    if (!currentTable.empty()) {
        WriteUnreadTables(*original, lines, "Original: ");
        WriteUnreadTables(current, lines);
        const std::string originalName = originalTable.empty() ? currentTable : originalTable;
        if (current.FindUnread(currentTable) || original->FindUnread(originalName)) return;
        tTbl_Structure* c = current.FindTable(currentTable);
        if (!c) throw GenerationError("Cannot find table " + currentTable);
        return WriteTableChanges(*c, original->FindTable(originalName), settings, steps, lines);
    }
    ProgressScope scope(progress, "creating script",
                        2 * static_cast<int>(current.tables.size()) + static_cast<int>(original->tables.size()));
    WriteBanner(CreationStamp(), lines, true, false);
    WriteBanner("This script converts database structure of", lines, false, false);
    WriteBanner(original->databaseName, lines, false, false);
    WriteBanner("to the structure of", lines, false, false);
    WriteBanner(current.databaseName, lines, false, false);
    WriteUnreadTables(*original, lines, "Original: ");
    WriteUnreadTables(current, lines);
    for (const auto& c : current.tables) {
        if (!original->FindTable(c->name()) && !unreadOnEitherSide(c->name())) WriteTableChanges(*c, nullptr, settings, steps, lines);
        scope.Step();
    }
    for (const auto& c : current.tables) {
        if (tTbl_Structure* o = original->FindTable(c->name())) {
            const int before = steps;
            WriteTableChanges(*c, o, settings, steps, lines);
            if (steps == before) WriteBanner("unchanged", lines, false, false);
        }
        scope.Step();
    }
    for (auto it = original->tables.rbegin(); it != original->tables.rend(); ++it) {
        const tTbl_Structure& o = **it;
        if (!current.FindTable(o.name()) && !unreadOnEitherSide(o.name())) {
            WriteBanner("TABLE " + o.name() + " not found in current database", lines, true, true);
            if (IsUtf8Beyond1252(o.name()))
                WriteRemark(lines, "Table " + o.name() + " is not dropped: its name has letters Windows-1252 cannot hold");
            else WriteStep(steps, lines, "Drop table " + o.name(),
                      RenderCommand("tbl_drop", current.identifiers, {QuoteString(UpperAscii(o.name()))}));
        }
        scope.Step();
    }
}

}  // namespace vortab::dbinfo
