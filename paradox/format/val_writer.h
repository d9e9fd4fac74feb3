// Writing a table's .VAL file (validity checks and referential-integrity links of both sides)
// in Paradox's layout from engine descriptors: the inverse of val_file.h. The stamps that tie
// the .VAL to its .DB (change counter, update stamp, next field ID) come from the .DB header.
// Layout on disk: doc/format-val.md.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/format/val_file.h"

namespace paradox {

struct ValStamps {
    std::uint8_t changeStamp = 0;  // the .DB header byte 0x2E
    std::uint32_t updateStamp = 0; // the .DB header u32 at 0x60
    std::uint16_t hiFieldId = 0;   // the .DB header u16 at 0x64
    std::uint8_t dbVersion = 0;    // the .DB header byte 0x39: the version a .VAL without one gets
};

// The bytes of a .VAL holding `v` in its version (when 0, the one Paradox writes for the table's
// level, from stamps.dbVersion): fields, key count, checks, links with kind Dependent written
// as dependent entries, links with kind Master into the master block with v.masterKeyFields,
// or the first v.keyFields fields when that list is empty).
// Check values are taken from the descriptors' native form. 9986 for a value kind, field or
// link descriptor the layout cannot hold.
std::vector<std::uint8_t> EncodeValFile(const ValContents& v, const ValStamps& stamps);

// True when v holds nothing worth a file (no checks, no links).
bool ValIsEmpty(const ValContents& v);

// The stamps of the table's .DB in dir (10024 when it is missing).
ValStamps ReadValStamps(const std::string& dir, const std::string& table);

// A ValContents for the table's current fields (names, IDs, types) with no checks or links;
// the starting point for a table that has no .VAL yet.
ValContents EmptyValFor(const std::string& dir, const std::string& table);

// Writes (or, when v is empty, removes) the table's .VAL: a temporary file renamed into place.
// The .VAL keeps the spelling of an existing one, else "<base>.VAL".
void WriteValFile(const std::string& dir, const std::string& table, const ValContents& v);

// Native-form value buffer (ValidityCheckDescriptor) to the field's record encoding (width bytes).
void EncodeCheckValue(std::uint8_t type, std::uint8_t sizeByte, const std::uint8_t* native, std::uint8_t* out,
                      std::size_t width);

}  // namespace paradox
