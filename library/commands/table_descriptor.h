// TableRestructure: a zero-filled TableDescriptor for one table together with the arrays it
// points to, owned here so that a command can fill fields, links or options and hand the
// descriptor to the engine without managing memory itself.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "paradox/format/check_descriptor.h"
#include "paradox/format/descriptors.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/format/security_descriptor.h"

namespace vortab {

class TableRestructure {
public:
    TableRestructure(const std::string& tableName, const std::string& driver);

    std::vector<paradox::FieldDescriptor> fields;
    std::vector<paradox::OperationCode> fieldOps;
    std::vector<paradox::RILinkDescriptor> links;
    std::vector<paradox::OperationCode> linkOps;
    std::vector<paradox::ValidityCheckDescriptor> checks;
    std::vector<paradox::OperationCode> checkOps;
    std::vector<paradox::SecurityDescriptor> security;
    std::vector<paradox::OperationCode> securityOps;
    std::vector<std::pair<std::string, std::string>> options;  // engine option name, value

    // The descriptor pointing into the arrays above; valid until they change.
    paradox::TableDescriptor& descriptor();
    const std::string& tableName() const { return tableName_; }

private:
    std::string tableName_;
    paradox::TableDescriptor descriptor_{};
    std::vector<paradox::OptionalParameter> optionRecords_;
    std::vector<char> optionData_;
};

// Copies a text into a fixed-size zero-terminated member; refuses (9986) what does not fit.
void CopyName(char* target, std::size_t size, const std::string& text);

}  // namespace vortab
