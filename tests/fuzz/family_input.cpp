#include "family_input.h"

#include <iterator>

#include "fuzz_support.h"

namespace vortab::fuzz {

void WriteFamily(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kCount = std::size(kFamilyMembers);
    bool written[kCount] = {};
    std::size_t at = 0;
    while (at + 3 <= size) {
        const std::size_t member = data[at] % kCount;
        std::size_t length = data[at + 1] | (std::size_t(data[at + 2]) << 8);
        at += 3;
        if (length > size - at) length = size - at;
        WriteScratchFile(kFamilyMembers[member], data + at, length);
        written[member] = true;
        at += length;
    }
    for (std::size_t i = 0; i < kCount; ++i)
        if (!written[i]) RemoveScratchFile(kFamilyMembers[i]);
}

}  // namespace vortab::fuzz
