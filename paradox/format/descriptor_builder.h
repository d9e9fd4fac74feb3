// DescriptorBuilder: fills a TableDescriptor and owns the arrays it points to (fields,
// operation codes, optional parameters and their value area). The descriptor stays valid
// while the builder lives and is not changed.
#pragma once
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"

namespace paradox {

class DescriptorBuilder {
public:
    explicit DescriptorBuilder(const std::string& tableName, const std::string& driver = "PARADOX");

    DescriptorBuilder& field(const std::string& name, int16_t type, int16_t subType = 0, int16_t units1 = 0,
                             int16_t units2 = 0, OperationCode op = CRADD);
    // A field described elsewhere (DescribeField, a table's descriptors); numbered in turn.
    DescriptorBuilder& field(const FieldDescriptor& f, OperationCode op = CRADD);
    DescriptorBuilder& option(const std::string& name, const std::string& value);
    DescriptorBuilder& password(const std::string& pw);

    // The finished descriptor; pointers refer to this builder's storage.
    const TableDescriptor& descriptor();

private:
    TableDescriptor desc_{};
    std::vector<FieldDescriptor> fields_;
    std::vector<OperationCode> ops_;
    std::vector<OptionalParameter> options_;
    std::vector<char> optionData_;
};

}  // namespace paradox
