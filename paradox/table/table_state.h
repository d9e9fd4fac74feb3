// Internal state of an open table shared by Table, RecordReader and RecordView: the .DB file,
// its decoded header, the password checksum in use and the lazily opened .MB.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "paradox/format/blob_file.h"
#include "paradox/format/db_header.h"
#include "paradox/storage/file_io.h"
#include "paradox/table/table.h"

namespace paradox {

class TableState {
public:
    std::string dir;
    std::string base;    // table name as found on disk, without extension
    std::string dbPath;
    File db;
    DbHeader header;
    TableProperties props;
    uint64_t fileSize = 0;
    uint32_t checksum = 0;  // 0 when not protected
    // Rights of the password the table was opened with: full for the master password, else
    // those of the auxiliary password (fieldRights empty = every field full).
    uint32_t tableRights = 31;
    std::vector<uint32_t> fieldRights;
    bool openedWithAuxPassword = false;

    // Blob value of field f in a record (the leader, or the .MB). 8714 when the .MB is missing.
    Value blobValue(const Field& f, const uint8_t* record) const;

    // Number of blocks the file can hold from its size (the last one may be short).
    uint32_t blocksInFile() const;

private:
    const BlobReader& blobs() const;
    mutable std::mutex blobMutex_;
    mutable std::unique_ptr<BlobReader> blobReader_;
};

// Reads data block `number` (1-based) of a .DB/.PX into buf (blockSize bytes), decrypting it;
// bytes past a short end of file are zero. Returns the bytes actually present.
uint32_t ReadDataBlock(const File& f, const DbHeader& h, uint64_t fileSize, uint32_t checksum, uint32_t number,
                       uint8_t* buf);

// Reads data blocks as ReadDataBlock does, through a window of consecutive blocks filled by one
// read: chains written in order are mostly consecutive, so a walk along one costs a read per
// window rather than per block. A jump out of the window reads that one block; going on from
// there fills a whole window again.
class BlockWindow {
public:
    BlockWindow(const File& f, const DbHeader& h, uint64_t fileSize, uint32_t checksum, std::size_t bytes = 256u << 10);
    // Block `number`, decrypted, zero past a short end of file; valid until the next call.
    const uint8_t* block(uint32_t number);

private:
    const File& file_;
    const DbHeader& header_;
    uint64_t fileSize_;
    uint32_t checksum_;
    std::vector<uint8_t> window_;
    uint32_t first_ = 0, count_ = 0;  // blocks in the window; first_ 0 = empty
};

// Records in a block from its header; 8962 when the count is impossible.
uint32_t RecordsInBlock(const DbHeader& h, const uint8_t* block, const std::string& path);

// Opens the table's files and checks them; shared by Table::open and TableWriter::open.
std::shared_ptr<TableState> OpenTableState(const std::string& dir, const std::string& name, const OpenOptions& options);

}  // namespace paradox
