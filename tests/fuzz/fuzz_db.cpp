// Fuzz target: a .DB file alone, opened and read to its last record and field.
#include <cstdint>

#include "fuzz_support.h"
#include "table_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vortab::fuzz::WriteScratchFile("T.DB", data, size);
    vortab::fuzz::ReadWholeTable();
    return 0;
}
