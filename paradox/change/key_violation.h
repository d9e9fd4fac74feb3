// Key-violation tables: records a restructure (or an index or link change) had to set aside are
// kept, never dropped, in an unkeyed table of the same fields in the table's directory. Its name
// is the caller's when given, else the first free of KEYVIOL, KEYVIOL1, ... KEYVIOL999: an
// existing table is never overwritten, so a second run keeps the first run's records.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "paradox/format/schema.h"
#include "paradox/format/value.h"
#include "paradox/storage/family_swap.h"
#include "paradox/table/table_writer.h"

namespace paradox {

// The name (without extension) the key-violation table will get in dir. 13057 when the
// requested table exists or no KEYVIOL name is free.
std::string ChooseKeyViolationName(const std::string& dir, const std::string& requested);

struct KeyViolationTableSpec {
    Schema schema;               // fields of the table the records came from (key ignored)
    int level = 7;
    uint32_t blockSize = 0;      // bytes; 0 for the default (the records must fit its blocks)
    std::string languageDriver;  // short name; empty for the default
    std::string password;        // master password to protect it with; empty for none
};

// Inserts the records set aside (values in schema order, blobs included) as they are read
// again, so that they never all sit in memory.
using KeyViolationFill = std::function<void(TableWriter&)>;

// Deletes the key-violation table `name` (when not empty) on destruction unless the swap that
// takes the records out of their table was committed: records are set aside only when they
// really leave (a crash still leaves them in both tables, never in none).
class KeyViolationGuard {
public:
    KeyViolationGuard(std::string dir, const FamilySwap& swap) : dir_(std::move(dir)), swap_(swap) {}
    ~KeyViolationGuard();
    KeyViolationGuard(const KeyViolationGuard&) = delete;
    KeyViolationGuard& operator=(const KeyViolationGuard&) = delete;
    void watch(const std::string& name) { name_ = name; }

private:
    std::string dir_, name_;
    const FamilySwap& swap_;
};

// Creates table `name` in dir and stores the records `fill` inserts (nothing is left on failure).
void WriteKeyViolationTable(const std::string& dir, const std::string& name, const KeyViolationTableSpec& spec,
                            const KeyViolationFill& fill);

}  // namespace paradox
