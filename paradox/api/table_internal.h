// Implementation only, never included outside paradox/api/: what a face Table holds, so that a
// Database hands out the tables it opens.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <optional>

#include "paradox/api/table.h"
#include "paradox/table/table.h"
#include "paradox/table/table_companions.h"

namespace paradox::api {

struct PARADOX_HIDDEN Table::Impl {
    explicit Impl(paradox::Table opened);

    paradox::Table table;
    TableProperties properties;
    std::vector<Field> fields;
    std::string directory;

    // The index files and the .VAL, read once when first asked for; a fault in one of them is
    // a warning, never a failure.
    const paradox::TableCompanions& companions();

private:
    std::optional<paradox::TableCompanions> companions_;
};

}  // namespace paradox::api
