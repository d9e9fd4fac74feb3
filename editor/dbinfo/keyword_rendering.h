// Engine constants written back as the script language's keywords, and commands spelled from
// the library's identifier chain. Every function returns text or throws GenerationError with
// the message the user sees ("Cannot find command", "Unknown field type (7)", ...).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "editor/dbinfo/structure_model.h"
#include "shared/engine_records.h"
#include "shared/identifier_entry.h"

namespace vortab::dbinfo {

// "NAME(%s,%s)" for a command of two arguments; a command without arguments is its name as
// passed. The first entry whose name equals command (case ignored) decides.
std::string CommandTemplate(const std::string& command, const IdentifierEntry* identifiers);
// Fills the template's "%s" placeholders in order with the given texts.
std::string FillTemplate(const std::string& commandTemplate, const std::vector<std::string>& arguments);
// The command call with these rendered arguments.
std::string RenderCommand(const std::string& command, const IdentifierEntry* identifiers,
                          const std::vector<std::string>& arguments);

// The text in double quotes, inner double quotes doubled.
std::string QuoteString(const std::string& text);

std::string FieldTypeKeyword(int code);
std::string FieldSubtypeKeyword(int code);
// Bits: 1 PRI, 2 UNQ, 4 DES, 8 CIS, 16 NMT, 32 XPR; 0 gives IXOPTDEFAULT.
std::string IndexOptionsText(unsigned options);
std::string RIQualifierKeyword(std::uint32_t code);
std::string VchkKindKeyword(int kind);
std::string BoolKeyword(int flag);
std::string BatchModeKeyword(int mode);

// A check's minimum, maximum or default as a literal of the field's type ("0" unless kind is 1).
std::string VchkValueText(int kind, const std::uint8_t* value, const FieldDescriptor& field);

// The date, time and decimal separators used for check values, fixed while a check is rendered
// (".", ":" and "."); the previous ones come back when the scope ends, also on failure.
struct Separators {
    char date = '/';
    char time = ':';
    char decimal = '.';
};
Separators& CurrentSeparators();
class FixedSeparators {
public:
    FixedSeparators() : saved_(CurrentSeparators()) { CurrentSeparators() = Separators{'.', ':', '.'}; }
    ~FixedSeparators() { CurrentSeparators() = saved_; }
    FixedSeparators(const FixedSeparators&) = delete;
    FixedSeparators& operator=(const FixedSeparators&) = delete;

private:
    Separators saved_;
};

}  // namespace vortab::dbinfo
