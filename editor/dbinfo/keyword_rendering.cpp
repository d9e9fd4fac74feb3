// Keyword tables and command templates.
#include "editor/dbinfo/keyword_rendering.h"

#include <cstdio>
#include <string_view>

#include "shared/text/case_fold.h"

namespace vortab::dbinfo {

namespace {

struct Keyword {
    int code;
    const char* word;
};

constexpr Keyword kFieldTypes[] = {
    {-1, "FLDNOCHANGE"}, {0, "FLDNOCHANGE"}, {1, "FLDZSTRING"}, {2, "FLDDATE"}, {3, "FLDBLOB"},
    {4, "FLDBOOL"}, {5, "FLDINT16"}, {6, "FLDINT32"}, {7, "FLDFLOAT"}, {8, "FLDBCD"},
    {9, "FLDBYTES"}, {10, "FLDTIME"}, {11, "FLDTIMESTAMP"}, {12, "FLDUINT16"}, {13, "FLDUINT32"},
    {15, "FLDVARBYTES"},
};

constexpr Keyword kFieldSubtypes[] = {
    {-1, "FLDSTNOCHANGE"}, {0, "FLDSTDEFAULT"}, {21, "FLDSTMONEY"}, {22, "FLDSTMEMO"},
    {23, "FLDSTBINARY"}, {24, "FLDSTFMTMEMO"}, {25, "FLDSTOLEOBJ"}, {26, "FLDSTGRAPHIC"},
    {28, "FLDSTTYPEDBINARY"}, {29, "FLDSTAUTOINC"},
};

constexpr Keyword kBatchModes[] = {
    {0, "BATAPPEND"}, {1, "BATUPDATE"}, {2, "BATAPPENDUPDATE"}, {3, "BATDELETE"}, {4, "BATCOPY"},
};

template <std::size_t N>
const char* Lookup(const Keyword (&table)[N], int code) {
    for (const Keyword& k : table)
        if (k.code == code) return k.word;
    return nullptr;
}

std::string Formatted(const char* format, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::string CommandTemplate(const std::string& command, const IdentifierEntry* identifiers) {
    for (const IdentifierEntry* e = identifiers; e; e = e->next) {
        if (!e->name || !vortab::SameNameNoCase(e->name, command)) continue;
        int count = 0;
        while (count < 10 && e->argTypes[count] != 0) ++count;
        if (count == 0) return command;
        std::string placeholders = "%s";
        for (int i = 1; i < count; ++i) placeholders += ",%s";
        return vortab::UpperCase1252(command) + "(" + placeholders + ")";
    }
    throw GenerationError("Cannot find command");
}

std::string FillTemplate(const std::string& commandTemplate, const std::vector<std::string>& arguments) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < commandTemplate.size(); ++i) {
        if (commandTemplate.compare(i, 2, "%s") == 0 && next < arguments.size()) {
            out += arguments[next++];
            ++i;
        } else {
            out += commandTemplate[i];
        }
    }
    return out;
}

std::string RenderCommand(const std::string& command, const IdentifierEntry* identifiers,
                          const std::vector<std::string>& arguments) {
    return FillTemplate(CommandTemplate(command, identifiers), arguments);
}

std::string QuoteString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string FieldTypeKeyword(int code) {
    if (const char* word = Lookup(kFieldTypes, code)) return word;
    throw GenerationError(Formatted("Unknown field type (%d)", code));
}

std::string FieldSubtypeKeyword(int code) {
    if (const char* word = Lookup(kFieldSubtypes, code)) return word;
    throw GenerationError(Formatted("Unknown field subtype (%d)", code));
}

std::string IndexOptionsText(unsigned options) {
    static constexpr const char* kWords[] = {"PRI", "UNQ", "DES", "CIS", "NMT", "XPR"};
    std::string out;
    for (unsigned bit = 0; bit < 6; ++bit) {
        if (!(options & (1u << bit))) continue;
        if (!out.empty()) out += " or ";
        out += kWords[bit];
    }
    return out.empty() ? "IXOPTDEFAULT" : out;
}

std::string RIQualifierKeyword(std::uint32_t code) {
    if (code == 0) return "RESTRICT";
    if (code == 1) return "CASCADE";
    throw GenerationError("Unknown RI qualifier");
}

std::string VchkKindKeyword(int kind) {
    switch (kind) {
    case 0: return "VCHKFALSE";
    case 2: return "VCHKTODAY";
    case 3: return "VCHKNOW";
    default: return "VCHKTRUE";
    }
}

std::string BoolKeyword(int flag) { return flag ? "TRUE" : "FALSE"; }

std::string BatchModeKeyword(int mode) {
    if (const char* word = Lookup(kBatchModes, mode & 0x7F)) return word;
    throw GenerationError("Unknown batchmove mode");
}

Separators& CurrentSeparators() {
    static thread_local Separators separators;
    return separators;
}

}  // namespace vortab::dbinfo
