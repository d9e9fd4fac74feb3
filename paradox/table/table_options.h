// The optional parameters of a create or restructure request, read from a TableDescriptor:
// LEVEL (3, 4, 5, 7), BLOCK SIZE (1024 … 32768, powers of two), FILL FACTOR (1–100),
// LANGDRIVER (a driver's short name) and STRICTINTEGRTY (TRUE/FALSE, 1/0, YES/NO). Names are
// matched without regard to case. 11522 for an unknown name or a bad value, 10043 for an
// unknown language driver, 9986 when the option list is missing.
#pragma once
#include <cstdint>
#include <optional>

#include "paradox/format/descriptors.h"
#include "paradox/format/language_driver.h"

namespace paradox {

struct TableOptions {
    int level = 0;            // 0 = not given
    uint32_t blockSize = 0;   // 0 = not given
    int fillFactor = 100;
    std::optional<LanguageDriver> driver;
    std::optional<bool> strictIntegrity;
};

TableOptions ReadTableOptions(const TableDescriptor& d);

}  // namespace paradox
