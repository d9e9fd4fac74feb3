// Test helpers: an identifier chain holding the generators' commands with their argument counts
// (as the library's table gives them), and tables of a model built by hand.
#pragma once
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "editor/dbinfo/structure_model.h"

namespace dbinfo_test {

class CommandChain {
public:
    CommandChain() {
        const std::pair<const char*, int> commands[] = {
            {"RI_ADD", 6},     {"RI_DROP", 2},     {"VCHK_ADD", 10}, {"VCHK_DROP", 2}, {"IX_ADD", 5},
            {"IX_DROP", 2},    {"TBL_SETATTR", 3}, {"TBL_CREATE", 8}, {"TBL_DROP", 1}, {"FLD_CHANGE", 7},
            {"FLD_ADD", 6},    {"FLD_DROP", 2},    {"FLD_MOVE", 3},  {"TODAY", 0},
        };
        for (const auto& [name, count] : commands) Add(name, count);
    }
    void Add(const char* name, int argumentCount) {
        IdentifierEntry e{};
        e.name = name;
        e.resultType = vtCommand;
        for (int i = 0; i < argumentCount; ++i) e.argTypes[i] = vtString;
        e.next = entries_.empty() ? nullptr : &entries_.back();
        entries_.push_back(e);
    }
    const IdentifierEntry* head() const { return &entries_.back(); }

private:
    std::deque<IdentifierEntry> entries_;
};

inline vortab::FieldDescriptor Field(int number, const std::string& name, int type, int subType = 0, int units1 = 0,
                                     int units2 = 0) {
    vortab::FieldDescriptor f{};
    f.fieldNumber = static_cast<std::uint16_t>(number);
    vortab::copyFixedText(f.name, name);
    f.type = static_cast<std::int16_t>(type);
    f.subType = static_cast<std::int16_t>(subType);
    f.units1 = static_cast<std::int16_t>(units1);
    f.units2 = static_cast<std::int16_t>(units2);
    f.unused[0] = static_cast<std::uint16_t>(number);
    return f;
}

// A Paradox table of level 7 with 2 kB blocks and the given fields (name, type) in order.
inline vortab::dbinfo::tTbl_Structure& AddTable(vortab::dbinfo::tdatabase_Structure& model, const std::string& name,
                                                const std::vector<std::pair<std::string, int>>& fields) {
    auto t = std::make_unique<vortab::dbinfo::tTbl_Structure>(model);
    t->properties.name = name;
    t->properties.level = 7;
    t->properties.blockSizeKb = 2;
    t->properties.languageDriver = "ANSIINTL";
    t->properties.recordSize = t->properties.recordBufferSize = 100;
    int n = 0;
    for (const auto& [fieldName, type] : fields) t->fields.push_back(Field(++n, fieldName, type, 0, type == 1 ? 20 : 0));
    model.tables.push_back(std::move(t));
    return *model.tables.back();
}

// An index record of the model, or of the engine (Record = paradox::IndexDescriptor).
template <class Record = vortab::IndexDescriptor>
Record Index(const std::string& name, std::vector<int> keys, bool primary = false) {
    Record x{};
    vortab::copyFixedText(x.name, name);
    x.primary = primary;
    x.unique = primary;
    x.maintained = 1;
    x.keyFieldCount = static_cast<std::uint16_t>(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) x.keyFields[i] = static_cast<std::uint16_t>(keys[i]);
    return x;
}

// A link record of the model, or of the engine (Record = paradox::RILinkDescriptor).
template <class Record = vortab::RILinkDescriptor, typename Kind>
Record Link(const std::string& name, Kind kind, const std::string& other, std::vector<int> thisFields,
            std::vector<int> otherFields) {
    Record l{};
    vortab::copyFixedText(l.name, name);
    l.kind = static_cast<std::uint32_t>(kind);
    vortab::copyFixedText(l.otherTable, other);
    l.fieldCount = static_cast<std::uint16_t>(thisFields.size());
    for (std::size_t i = 0; i < thisFields.size(); ++i) {
        l.thisFields[i] = static_cast<std::uint16_t>(thisFields[i]);
        l.otherFields[i] = static_cast<std::uint16_t>(otherFields[i]);
    }
    return l;
}

// The command lines (without their leading blank) of a script.
inline std::vector<std::string> Commands(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines)
        if (!line.empty() && line[0] == ' ') out.push_back(line.substr(1));
    return out;
}

}  // namespace dbinfo_test
