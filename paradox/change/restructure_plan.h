// The plan of a restructure, worked out from the open old table and the TableDescriptor before
// any file is written: the new schema (field IDs kept for kept fields, fresh ones for new
// fields), where each new field's value comes from, the new key, level, block size, fill
// factor, language driver and password. Every refusal happens here, so a refused restructure
// reads no record and changes nothing.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/language_driver.h"
#include "paradox/format/schema.h"

namespace paradox {

class TableState;

struct RestructurePlan {
    Schema schema;                          // new fields with offsets, IDs and key count
    std::vector<int> source;                // per new field: old field index, -1 for a new field
    std::vector<bool> rawCopy;              // per new field: bytes copied unchanged (same encoding)
    std::vector<uint16_t> newNumberOfOld;   // per old field: new 1-based number, 0 when dropped
    int level = 4;
    uint8_t version = 9;
    uint32_t blockSize = 2048;
    uint32_t recordsPerBlock = 0;           // after the fill factor (keyed tables)
    LanguageDriver driver{};
    std::optional<bool> strictIntegrity;    // the STRICTINTEGRTY option when given
    uint32_t newChecksum = 0;               // master password of the new table (0 = none)
    bool keyOrderKept = false;              // the old chain order is the new key order
    uint16_t hiFieldId = 0;                 // next free field ID of the new header
};

// 10012, 10002, 10009, 10000/10001/10038, 9492, 9477, 9499, 11522, 10015 as restructureTable.
RestructurePlan PlanRestructure(const TableState& old, const TableDescriptor& desc);

}  // namespace paradox
