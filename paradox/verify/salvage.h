// The records a repair can recover from a damaged .DB, in the order it keeps them: the chain's
// records in chain order (each block's whole used size, whether the header counts them or not,
// cut where the file ends), then the records of used blocks the chain no longer reaches, in
// block order. Slots past a block's used size are not records: Paradox leaves deleted records
// there, so they are never brought back.
#pragma once
#include <cstdint>
#include <functional>

#include "paradox/verify/checked_table.h"

namespace paradox::verify {

struct SalvagedRecord {
    const uint8_t* bytes = nullptr;  // recordSize bytes, decrypted; valid during the call
    uint32_t block = 0;
};

void SalvageRecords(const CheckedTable& t, const std::function<void(const SalvagedRecord&)>& each);

}  // namespace paradox::verify
