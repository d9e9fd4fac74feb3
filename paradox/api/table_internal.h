// Implementation only, never included outside paradox/api/: what a face Table holds, so that a
// Database hands out the tables it opens.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "paradox/api/table.h"
#include "paradox/table/table.h"

namespace paradox::api {

struct PARADOX_HIDDEN Table::Impl {
    explicit Impl(paradox::Table opened);

    paradox::Table table;
    TableProperties properties;
    std::vector<Field> fields;
    std::string directory;
};

}  // namespace paradox::api
