// Batch move: records of a source table (any directory) into a destination table: append,
// update (replace records with the same key), append-and-update, delete (remove records whose
// key the source holds) and copy (the destination becomes a copy of the source). Fields pair up
// by position, or by mapping lines "Destination=Source" / "Name". A key violation or a value
// that does not fit aborts the whole move: the destination is then unchanged.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/table/table.h"

namespace paradox {

enum class BatchMode : uint8_t { Append = 0, Update = 1, AppendUpdate = 2, Delete = 3, Copy = 4 };

struct BatchMoveRequest {
    std::string sourceDir, sourceTable;
    OpenOptions sourceOptions;
    std::string destDir, destTable;
    OpenOptions destOptions;
    BatchMode mode = BatchMode::Append;
    std::vector<std::string> mappings;  // empty: by position
    bool abortOnKeyViolation = true;
    bool abortOnProblem = true;
};

struct BatchMoveResult {
    uint32_t moved = 0;       // records appended, updated, deleted or copied
    uint32_t keyViolations = 0;
    uint32_t problems = 0;    // records whose values did not fit (skipped when not aborting)
    std::string keyViolTable; // records set aside when not aborting on key violations
};

// Runs the move. 10024 for a missing table, 9729 on a key violation, 9985/10002 on a value the
// destination cannot hold, 9986 for a bad mapping line or mode, 10766 when update or delete is
// asked of an unkeyed destination.
BatchMoveResult BatchMove(const BatchMoveRequest& request);

// Reads mapping lines from a text file (blank lines skipped, line ends trimmed); 9986 if missing.
std::vector<std::string> ReadMappingFile(const std::string& path);

}  // namespace paradox
