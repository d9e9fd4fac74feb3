#include "editor/runner/set_aside_records.h"

#include <algorithm>

#include "editor/runner/database_directory.h"
#include "paradox/api/database.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/table.h"

namespace vortab {
namespace {

constexpr const char* kKeyViolationPattern = "KEYVIOL*.DB";

std::string Sentence(const std::string& table, long long records) {
    if (records < 0) return "records were set aside in " + table;
    return std::to_string(records) + (records == 1 ? " record was" : " records were") + " set aside in " + table;
}

}  // namespace

SetAsideWatch::SetAsideWatch(const std::string& database, std::vector<std::string> passwords)
    : directory_(DatabaseDirectory(database)), passwords_(std::move(passwords)), before_(tables()) {}

std::vector<std::string> SetAsideWatch::tables() const {
    try {
        return paradox::api::ListTables(directory_, kKeyViolationPattern);
    } catch (const paradox::api::EngineError&) {
        return {};  // an unreadable directory: its step reports that
    }
}

std::vector<std::string> SetAsideWatch::newlySetAside() const {
    std::vector<std::string> sentences;
    for (const std::string& table : tables()) {
        if (std::find(before_.begin(), before_.end(), table) != before_.end()) continue;
        long long records = -1;
        try {
            paradox::api::OpenOptions options;
            options.passwords = passwords_;
            records = paradox::api::Table::Open(directory_, table, options).properties().recordCount;
        } catch (const paradox::api::EngineError&) {
            // named without a count when it cannot be opened (a password nobody gave)
        }
        sentences.push_back(Sentence(table, records));
    }
    return sentences;
}

}  // namespace vortab
