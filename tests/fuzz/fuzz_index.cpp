// Fuzz target: the index files of a table (family input): the .PX header, the headers of the
// .Xnn and .XGn files, and the index descriptors built from them beside the .DB. The engine
// rebuilds .PX, .Ynn and .YGn trees rather than reading them, so their headers are what it reads.
#include <cstdint>
#include <string>

#include "family_input.h"
#include "fuzz_support.h"
#include "paradox/format/db_header.h"
#include "paradox/format/secondary_index_header.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/file_io.h"
#include "paradox/table/secondary_index.h"

namespace {

template <typename Read>
void Ignoring(Read read) {
    try {
        read();
    } catch (const paradox::EngineError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vortab::fuzz;
    WriteFamily(data, size);
    const std::string& dir = ScratchDir();
    Ignoring([&] { (void)paradox::ReadDbHeader(paradox::File::openRead(dir + "/T.PX"), true); });
    for (const char* x : {"/T.X02", "/T.XG0"})
        Ignoring([&] { (void)paradox::ReadIndexFileHeader(dir + x); });
    Ignoring([&] { (void)paradox::ReadIndexDescriptors(dir, "T"); });
    return 0;
}
