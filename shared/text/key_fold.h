// Case folds of Alpha keys in case-insensitive secondary indexes, one per table code page
// (header 0x6A, the language driver's page). Index entries are ordered and compared by these
// bytes, so a fold decides the order written to disk (doc/text.md).
#pragma once
#include <array>
#include <cstdint>

namespace vortab {

using ByteFold = std::array<std::uint8_t, 256>;

// The fold of the keys of a table whose code page is codePage (0 when the header stores none).
const ByteFold& AlphaKeyFold(std::uint16_t codePage);

}  // namespace vortab
