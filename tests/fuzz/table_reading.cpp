#include "table_reading.h"

#include "fuzz_support.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"

namespace vortab::fuzz {

void ReadWholeTable() {
    try {
        const paradox::Table table = paradox::Table::open(ScratchDir(), "T", {{"fuzz"}, {}});
        (void)table.fieldDescriptors();
        paradox::RecordReader reader = table.records();
        while (reader.next()) {
            for (int f = 0; f < table.properties().fieldCount; ++f) {
                try {
                    (void)reader.record().value(f);
                } catch (const paradox::EngineError&) {
                    // a damaged blob fails alone; the record's other fields still read
                }
            }
        }
    } catch (const paradox::EngineError&) {
    }
}

}  // namespace vortab::fuzz
