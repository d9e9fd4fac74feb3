// TableRestructure: a zero-filled TableDescriptor for one table together with the arrays it
// points to, owned here so that a command can fill fields, links or options and hand the
// descriptor to the engine without managing memory itself.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "shared/engine_records.h"

namespace vortab {

class TableRestructure {
public:
    TableRestructure(const std::string& tableName, const std::string& driver);

    std::vector<FieldDescriptor> fields;
    std::vector<OperationCode> fieldOps;
    std::vector<RILinkDescriptor> links;
    std::vector<OperationCode> linkOps;
    std::vector<ValidityCheckDescriptor> checks;
    std::vector<OperationCode> checkOps;
    std::vector<SecurityDescriptor> security;
    std::vector<OperationCode> securityOps;
    std::vector<std::pair<std::string, std::string>> options;  // engine option name, value

    // The descriptor pointing into the arrays above; valid until they change.
    TableDescriptor& descriptor();
    const std::string& tableName() const { return tableName_; }

private:
    std::string tableName_;
    TableDescriptor descriptor_{};
    std::vector<OptionalParameter> optionRecords_;
    std::vector<char> optionData_;
};

// Copies a text into a fixed-size zero-terminated member; refuses (9986) what does not fit.
void CopyName(char* target, std::size_t size, const std::string& text);

}  // namespace vortab
