// CRC-32 (the IEEE polynomial, as zlib computes it) of a byte range: the check value of the
// engine's own small records on disk (the swap record, the links journal).
#pragma once
#include <cstddef>
#include <cstdint>

namespace paradox {

std::uint32_t Crc32(const char* data, std::size_t size);

}  // namespace paradox
