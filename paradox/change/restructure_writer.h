// Writing the data blocks of a new .DB in one pass: records arrive in final order and fill
// blocks 1, 2, 3, ... of a fresh chain (up to `perBlock` records each), enciphered when the
// table is protected; blocks are written in batches. finish() returns the chain's counts.
#pragma once
#include <cstdint>
#include <vector>

#include "paradox/format/db_header.h"
#include "paradox/storage/file_io.h"

namespace paradox {

class SequentialBlockWriter {
public:
    SequentialBlockWriter(File& out, uint32_t headerSize, uint32_t blockSize, uint16_t recordSize, uint32_t perBlock,
                          uint32_t checksum);
    // Appends one record (recordSize bytes). 9479 when the table would pass 65535 blocks.
    void add(const uint8_t* record);
    // Writes what is pending; the counts for the header.
    ChainCounts finish();
    uint64_t records() const { return records_; }

private:
    void closeBlock();
    void flushBatch();

    File& out_;
    uint32_t headerSize_, blockSize_, perBlock_, checksum_;
    uint16_t recordSize_;
    std::vector<uint8_t> batch_;   // whole blocks waiting to be written
    uint32_t batchFirst_ = 1;      // block number of the batch's first block
    uint32_t blocks_ = 0;          // closed blocks
    uint32_t inBlock_ = 0;         // records in the open block
    uint64_t records_ = 0;
    uint64_t writebackFrom_ = 0;   // first byte not yet handed to writeback
};

}  // namespace paradox
