// Fuzz target: a .DB and its .MB (family input), every record read, blobs included.
#include <cstdint>

#include "family_input.h"
#include "table_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vortab::fuzz::WriteFamily(data, size);
    vortab::fuzz::ReadWholeTable();
    return 0;
}
