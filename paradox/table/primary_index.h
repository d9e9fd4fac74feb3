// Building the primary index (.PX) of a keyed table from its data-block chain: one leaf entry
// per data block (its first key, block number, record count), upper levels until one block
// holds the root. Streams the chain; only one entry per index block is kept in memory.
// Layout on disk: doc/format-px.md.
#pragma once
#include <cstdint>
#include <string>

#include "paradox/format/db_header.h"
#include "paradox/storage/file_io.h"

namespace paradox {

struct PrimaryIndexSource {
    const File* db = nullptr;    // the .DB (data blocks readable)
    const DbHeader* header = nullptr;  // its header with the final counts
    uint64_t fileSize = 0;
    uint32_t checksum = 0;       // 0 when not protected; the index is enciphered alike
    std::string tableName;       // for the index's name area
};

// Writes a complete .PX into `out` (an empty file).
void WritePrimaryIndex(const PrimaryIndexSource& src, File& out);

}  // namespace paradox
