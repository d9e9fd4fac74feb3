// The input form of the targets that need several files of one table: a sequence of members,
// each one byte naming the file (an index into kFamilyMembers), a 16-bit little-endian length
// and that many bytes. A truncated last member takes what is left. Every member not in the
// input is removed from the scratch directory, so that no file of an earlier run is read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vortab::fuzz {

inline constexpr const char* kFamilyMembers[] = {"T.DB", "T.PX", "T.MB", "T.VAL", "T.X02",
                                                 "T.Y02", "T.XG0", "T.YG0"};

// Writes the members of data to the scratch directory as table T's files.
void WriteFamily(const std::uint8_t* data, std::size_t size);

}  // namespace vortab::fuzz
