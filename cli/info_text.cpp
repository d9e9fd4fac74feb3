// The readable rendering of a table's structure for `vortab info`.
#include <cstdio>

#include "cli/field_type_names.h"
#include "cli/info_terms.h"
#include "cli/table_access.h"
#include "cli/table_info.h"
#include "cli/value_text.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {
namespace {

// Appends UTF-8 text padded with blanks to width characters.
void Pad(std::string& out, const std::string& text, std::size_t width) {
    out += text;
    std::size_t chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    if (chars < width) out.append(width - chars, ' ');
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string FieldList(const TableInfo& info, const std::vector<std::uint16_t>& numbers) {
    std::string list;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) list += ", ";
        list += FieldNameByNumber(info, numbers[i]);
    }
    return list;
}

void WriteFields(const TableInfo& info, const TextDecoder& decoder, std::string& out) {
    out += "  fields (" + std::to_string(info.fields.size()) + "):\n";
    out += "     no  name                         type          subtype           size  dec  paradox\n";
    for (std::size_t i = 0; i < info.fields.size(); ++i) {
        const paradox::api::Field& f = info.fields[i];
        char number[16];
        std::snprintf(number, sizeof number, "    %3u  ", static_cast<unsigned>(f.number));
        out += number;
        std::string name = decoder.toUtf8(f.name);
        if (i < info.properties.keyFields) name += " *";
        Pad(out, name, 29);
        Pad(out, FieldTypeName(f.type), 14);
        Pad(out, FieldSubtypeName(f.subType), 16);
        char sizes[32];
        std::snprintf(sizes, sizeof sizes, "%5d %4d  ", f.units1, f.units2);
        out += sizes;
        out += ParadoxTypeForm(f);
        out += "\n";
    }
    if (info.properties.keyFields > 0) out += "     (* key field)\n";
}

void WriteIndexes(const TableInfo& info, const TextDecoder& decoder, std::string& out) {
    out += "  indexes (" + std::to_string(info.indexes.size()) + "):\n";
    for (const paradox::api::Index& x : info.indexes) {
        out += "    ";
        Pad(out, x.primary ? std::string("primary") : decoder.toUtf8(x.name), 24);
        out += " on (" + FieldList(info, x.keyFields) + ")";
        if (x.unique) out += ", unique";
        if (x.descending) out += ", descending";
        if (x.caseInsensitive) out += ", case-insensitive";
        out += x.maintained ? ", maintained" : ", not maintained";
        out += "\n";
    }
}

void WriteCheckPart(const TableInfo& info, const TextDecoder& decoder, const paradox::api::Check& c,
                    CheckPart part, const char* label, std::string& out) {
    const paradox::api::CheckValueKind kind = CheckPartKind(c, part);
    if (kind == paradox::api::CheckValueKind::None) return;
    out += std::string(", ") + label + " ";
    if (kind != paradox::api::CheckValueKind::Value) {
        out += CheckValueKindName(kind);
        return;
    }
    std::string text;
    if (!AppendPlainText(text, CheckPartValue(info, c, part), decoder)) text = "?";
    out += Quoted(text);
}

void WriteChecks(const TableInfo& info, const TextDecoder& decoder, std::string& out) {
    out += "  validity checks (" + std::to_string(info.checks.size()) + ")";
    out += info.checksStale ? ", from a .VAL older than the table:\n" : ":\n";
    for (const paradox::api::Check& c : info.checks) {
        out += "    " + FieldNameByNumber(info, c.fieldNumber) + ":";
        std::string parts;
        if (c.required) parts += ", required";
        WriteCheckPart(info, decoder, c, CheckPart::Minimum, "minimum", parts);
        WriteCheckPart(info, decoder, c, CheckPart::Maximum, "maximum", parts);
        WriteCheckPart(info, decoder, c, CheckPart::Default, "default", parts);
        if (!c.picture.empty()) parts += ", picture " + Quoted(decoder.toUtf8(c.picture));
        if (c.lookupKind != paradox::api::LookupKind::None || !c.lookupTable.empty())
            parts += ", lookup " + NameToUtf8(c.lookupTable) + " (" + LookupKindName(c.lookupKind) + ")";
        out += parts.empty() ? std::string(" none") : " " + parts.substr(2);
        out += "\n";
    }
}

void WriteLinks(const TableInfo& info, const TextDecoder& decoder, std::string& out) {
    out += "  links (" + std::to_string(info.links.size()) + "):\n";
    for (std::size_t n = 0; n < info.links.size(); ++n) {
        const paradox::api::Link& l = info.links[n];
        out += "    " + Quoted(decoder.toUtf8(l.name)) + ": ";
        out += l.kind == paradox::api::LinkKind::Dependent ? "dependent of " : "master of ";
        out += NameToUtf8(l.otherTable);
        out += " (" + FieldList(info, l.thisFields) + " -> ";
        const std::vector<std::string>& names = OtherFieldNamesOf(info, n);
        if (names.empty()) {
            out += "fields";
            const std::vector<std::uint16_t>& other = l.otherFields;
            for (std::size_t i = 0; i < other.size(); ++i) out += (i ? ", " : " ") + std::to_string(other[i]);
        } else {
            for (std::size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + names[i];
        }
        out += std::string("), update ") + LinkRuleName(l.updateRule) + ", delete " + LinkRuleName(l.deleteRule) + "\n";
    }
}

}  // namespace

void WriteInfoText(const TableInfo& info, std::string& out) {
    const paradox::api::TableProperties& p = info.properties;
    const TextDecoder decoder(TextCodePage(p));
    out += "table " + NameToUtf8(TableTitle(p.name)) + " (" + NameToUtf8(p.name) + ")\n";
    out += "  driver " + p.driverType + ", level " + std::to_string(p.level) + " (file version " +
           std::to_string(p.fileVersion) + "), block size " + std::to_string(p.blockSizeKb * 1024) + " bytes\n";
    out += "  language driver " + (p.languageDriver.empty() ? std::string("(none)") : NameToUtf8(p.languageDriver));
    out += ", code page " + (p.codePage ? std::to_string(p.codePage) : std::string("(none)"));
    if (decoder.codePage() != p.codePage) out += " (text read as " + std::to_string(decoder.codePage()) + ")";
    out += ", sort order " + std::to_string(p.sortOrder) + "\n";
    out += "  " + std::to_string(p.recordCount) + " records of " + std::to_string(p.recordSize) + " bytes, " +
           std::to_string(p.keyFields) + (p.keyFields == 1 ? " key field\n" : " key fields\n");
    out += "  protection: ";
    out += p.isProtected ? "master password, " + std::to_string(p.auxPasswords) + " auxiliary passwords" : "none";
    if (p.writeProtected) out += ", write-protected";
    out += "\n  strict referential integrity: ";
    out += p.strictIntegrity ? "yes" : "no";
    out += ", restructure version " + std::to_string(p.restructureVersion) + "\n";
    WriteFields(info, decoder, out);
    WriteIndexes(info, decoder, out);
    WriteChecks(info, decoder, out);
    WriteLinks(info, decoder, out);
    for (const std::string& warning : info.warnings) out += "  warning: " + warning + "\n";
}

}  // namespace vortab::cli
