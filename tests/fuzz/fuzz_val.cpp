// Fuzz target: a .VAL file's validity checks and links, parsed from its bytes.
#include <cstdint>
#include <vector>

#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)paradox::ParseValFile(std::vector<std::uint8_t>(data, data + size));
    } catch (const paradox::EngineError&) {
    }
    return 0;
}
