// Where a step's set-aside records went. A restructure, an index or a link change that cannot
// keep some records (duplicate keys, orphans) moves them into a new key-violation table
// (KEYVIOL, KEYVIOL1, ...) beside the table and answers 9733, whose engine text ("Master record
// missing") says nothing of that. The watch lists those tables before a step and names the new
// ones after it, with their record counts, so that the front ends can tell the user.
#pragma once
#include <string>
#include <vector>

namespace vortab {

class SetAsideWatch {
public:
    // Lists the key-violation tables of the database (a directory or an alias) as they are now.
    SetAsideWatch(const std::string& database, std::vector<std::string> passwords);
    // One sentence per key-violation table made since: "3 records were set aside in KEYVIOL1.DB".
    std::vector<std::string> newlySetAside() const;

private:
    std::vector<std::string> tables() const;

    std::string directory_;
    std::vector<std::string> passwords_;
    std::vector<std::string> before_;
};

}  // namespace vortab
