// Filling TableDescriptor records with owned arrays.
#include "paradox/format/descriptor_builder.h"

#include <cstring>

#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {
void CopyText(char* dst, std::size_t size, const std::string& s) {
    if (s.size() >= size) throw EngineError(err::kInvalidParam, "text too long for its descriptor member: " + s);
    std::memset(dst, 0, size);
    std::memcpy(dst, s.data(), s.size());
}
}  // namespace

DescriptorBuilder::DescriptorBuilder(const std::string& tableName, const std::string& driver) {
    CopyText(desc_.tableName, sizeof desc_.tableName, tableName);
    CopyText(desc_.driverType, sizeof desc_.driverType, driver);
}

DescriptorBuilder& DescriptorBuilder::field(const std::string& name, int16_t type, int16_t subType, int16_t units1,
                                            int16_t units2, OperationCode op) {
    FieldDescriptor f{};
    CopyText(f.name, sizeof f.name, name);
    f.fieldNumber = static_cast<uint16_t>(fields_.size() + 1);
    f.type = type;
    f.subType = subType;
    f.units1 = units1;
    f.units2 = units2;
    fields_.push_back(f);
    ops_.push_back(op);
    return *this;
}

DescriptorBuilder& DescriptorBuilder::field(const FieldDescriptor& f, OperationCode op) {
    fields_.push_back(f);
    fields_.back().fieldNumber = static_cast<uint16_t>(fields_.size());
    ops_.push_back(op);
    return *this;
}

DescriptorBuilder& DescriptorBuilder::option(const std::string& name, const std::string& value) {
    OptionalParameter o{};
    CopyText(o.name, sizeof o.name, name);
    o.offset = static_cast<uint16_t>(optionData_.size());
    o.length = static_cast<uint16_t>(value.size() + 1);
    optionData_.insert(optionData_.end(), value.begin(), value.end());
    optionData_.push_back('\0');
    options_.push_back(o);
    return *this;
}

DescriptorBuilder& DescriptorBuilder::password(const std::string& pw) {
    CopyText(desc_.password, sizeof desc_.password, pw);
    desc_.protectedFlag = pw.empty() ? 0 : 1;
    return *this;
}

const TableDescriptor& DescriptorBuilder::descriptor() {
    desc_.fieldCount = static_cast<uint16_t>(fields_.size());
    desc_.fields = fields_.empty() ? nullptr : fields_.data();
    desc_.fieldOps = ops_.empty() ? nullptr : ops_.data();
    desc_.optionCount = static_cast<uint16_t>(options_.size());
    desc_.options = options_.empty() ? nullptr : options_.data();
    desc_.optionData = optionData_.empty() ? nullptr : optionData_.data();
    return desc_;
}

}  // namespace paradox
