// Creating tables from a TableDescriptor, inserting records, and renaming or deleting a table
// with all its companion files. Every file is written under a temporary name in the same
// directory, flushed and renamed into place on commit; an uncommitted writer changes nothing.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/value.h"
#include "paradox/table/table.h"

namespace paradox {

struct CreateOptions {
    uint16_t keyFields = 0;  // leading key fields; also taken from a primary IndexDescriptor
                             // in the descriptor's index list (0 = unkeyed)
    bool overwrite = false;  // replace an existing table of that name
};

// Creates an empty table. Options: "LEVEL" (3, 4, 5, 7; raised to what the fields need),
// "LANGDRIVER" (short driver name), "BLOCK SIZE" (1024..32768). A master password is set
// when protectedFlag is 1. Refuses invalid descriptors with the engine's codes.
void createTable(const std::string& dir, const TableDescriptor& desc, const CreateOptions& options = {});

// Renames the table and every companion file (matched case-insensitively). 10024 if missing;
// 8968 when its .VAL, or that of a table linked to it, cannot be read (nothing is renamed).
void renameTable(const std::string& dir, const std::string& oldName, const std::string& newName);
// Deletes the table and every companion file. 10024 if missing.
void deleteTable(const std::string& dir, const std::string& name);

class WriterState;

// Inserts records into an existing table. Keyed tables keep their records in key order; a
// duplicate key fails with 9729. A null value in an autoincrement field receives the next
// number. Commit rebuilds the .PX and the secondary indexes and replaces the changed files
// of the family as one crash-safe step.
class TableWriter {
public:
    static TableWriter open(const std::string& dir, const std::string& name, const OpenOptions& options = {});
    ~TableWriter();  // discards what was not committed
    TableWriter(TableWriter&&) noexcept;
    TableWriter& operator=(TableWriter&&) noexcept;

    const Schema& schema() const;
    void insert(const std::vector<Value>& record);
    void commit();  // writes header, .PX and .MB, renames everything into place

private:
    explicit TableWriter(std::unique_ptr<WriterState> s);
    std::unique_ptr<WriterState> state_;
};

}  // namespace paradox
