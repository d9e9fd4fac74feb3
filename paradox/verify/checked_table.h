// A table as the checker opens it: the .DB read-only, its header decoded and, for a protected
// table, the password that fits. Unlike a normal open it finishes no interrupted change and
// writes nothing; what it cannot open becomes a finding rather than an exception.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/db_header.h"
#include "paradox/storage/file_io.h"
#include "paradox/verify/finding.h"

namespace paradox::verify {

struct CheckedTable {
    std::string dir;
    std::string base;    // as on disk, without extension
    std::string dbFile;  // the .DB's file name as on disk
    File db;
    uint64_t fileSize = 0;
    DbHeader header;
    uint32_t checksum = 0;  // the password's, when the table is protected
    std::string password;   // the password that fits, when the table is protected

    std::string member(const std::string& ext) const;  // a member's file name as on disk, or base.EXT
    bool keyed() const { return header.schema.keyFields > 0; }
    // Blocks the file holds (the last may be short).
    uint32_t blocksInFile() const;
};

// Opens dir/base for checking; nullopt after adding the finding that says why it cannot be
// (no .DB, unreadable header, no password that fits).
std::optional<CheckedTable> OpenForCheck(const std::string& dir, const std::string& base,
                                         const std::vector<std::string>& passwords, FindingSink& out);

// The fixed header part of an index file (.PX, .Xnn, .XGn and their B-trees): the counts and
// sizes its block chain needs, with the fixed bytes in `raw`. 8961 when they are impossible.
DbHeader ReadChainHeader(const File& f);

// Whether the table's key order is plain byte order: a key without Alpha fields, or a language
// driver whose order is the bytes' ('ascii' and its ANSI twin). Elsewhere the engine's order
// may differ from the original's, so an order difference is no proof of damage.
bool KeyOrderIsByteOrder(const DbHeader& h);

}  // namespace paradox::verify
