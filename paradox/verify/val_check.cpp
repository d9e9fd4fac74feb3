// The .VAL against its table and the tables it names.
#include "paradox/verify/val_check.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"

namespace paradox::verify {
namespace {

// A table name from a .VAL ("Orders.db", a path) as a lower-case base name.
std::string BaseOf(std::string name) {
    name = name.substr(name.find_last_of("/\\") + 1);
    if (auto dot = name.find_last_of('.'); dot != std::string::npos) name.resize(dot);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

std::string Text(const char* fixed, std::size_t size) { return std::string(fixed, strnlen(fixed, size)); }

bool TableExists(const std::string& dir, const std::string& name) {
    try {
        const TableLocation loc = LocateTable(dir, name);
        return FindTableFile(loc.dir, loc.base, "DB").has_value();
    } catch (const EngineError&) {
        return false;
    }
}

void CheckChecks(const CheckedTable& t, const ValContents& val, const std::string& file, FindingSink& out) {
    for (const ValidityCheckDescriptor& c : val.checks) {
        if (c.fieldNumber == 0 || c.fieldNumber > val.fields.size()) {
            out.error(file, err::kValFileCorrupt, "a validity check names field number " + std::to_string(c.fieldNumber) +
                                                      ", which the .VAL does not list");
            continue;
        }
        const ValField& vf = val.fields[c.fieldNumber - 1];
        const auto& fields = t.header.schema.fields;
        const auto it = std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.id == vf.id; });
        if (it == fields.end())
            out.error(file, err::kValFileCorrupt, "the validity check of field " + vf.name + " names a field the table no longer has");
        else if (uint8_t(it->type) != vf.type || it->sizeByte != vf.sizeByte)
            out.error(file, err::kValFileCorrupt, "the validity check of field " + vf.name +
                                                      " was written for another type or size than the field has now");
        const std::string lookup = Text(c.lookupTable, sizeof c.lookupTable);
        if (!lookup.empty() && !TableExists(t.dir, lookup))
            out.error(file, err::kValFileCorrupt, "the lookup of field " + vf.name + " names table " + lookup + ", which does not exist");
    }
}

// Whether `other`'s .VAL holds a link of the opposite kind naming this table.
bool NamesBack(const CheckedTable& t, const std::string& other, LinkKind kind) {
    const TableLocation loc = LocateTable(t.dir, other);
    const auto val = ReadValFile(loc.dir, loc.base);
    if (!val) return false;
    const uint32_t want = kind == LinkKind::Dependent ? uint32_t(LinkKind::Master) : uint32_t(LinkKind::Dependent);
    return std::any_of(val->links.begin(), val->links.end(), [&](const RILinkDescriptor& l) {
        return l.kind == want && BaseOf(Text(l.otherTable, sizeof l.otherTable)) == BaseOf(t.base);
    });
}

void CheckLinks(const CheckedTable& t, const ValContents& val, const std::string& file, FindingSink& out) {
    for (const RILinkDescriptor& l : val.links) {
        const std::string other = Text(l.otherTable, sizeof l.otherTable);
        const std::string name = Text(l.name, sizeof l.name);
        const bool dependent = l.kind == uint32_t(LinkKind::Dependent);
        const std::string role = dependent ? "master" : "dependent";
        if (!TableExists(t.dir, other)) {
            out.error(file, err::kValFileCorrupt, "link " + name + " names " + role + " table " + other + ", which does not exist");
            continue;
        }
        try {
            if (!NamesBack(t, other, dependent ? LinkKind::Dependent : LinkKind::Master))
                out.error(file, err::kValFileCorrupt, "link " + name + ": the " + role + " table " + other +
                                                          " does not name this table back in its .VAL");
        } catch (const EngineError& e) {
            out.error(file, err::kValFileCorrupt, "link " + name + ": the " + role + " table's .VAL cannot be read: " + e.what());
        }
    }
}

}  // namespace

void CheckValFile(const CheckedTable& t, FindingSink& out) {
    if (!FindTableFile(t.dir, t.base, "VAL")) return;
    const std::string file = t.member("VAL");
    std::optional<ValContents> val;
    try {
        val = ReadValFile(t.dir, t.base);
    } catch (const EngineError& e) {
        out.error(file, e.code(), std::string("the .VAL cannot be read: ") + e.what());
        return;
    }
    if (!val) return;
    if (val->stale)
        out.error(file, err::kValFileCorrupt, "the .VAL is stale: its stamp (byte 0) is " + std::to_string(val->changeStamp) +
                                                  ", the table's (byte 0x2E) is " + std::to_string(t.header.changeCount2));
    CheckChecks(t, *val, file, out);
    CheckLinks(t, *val, file, out);
}

}  // namespace paradox::verify
