#include "library/commands/table_descriptor.h"

#include <cstring>

#include "library/engine/engine.h"

namespace vortab {

void CopyName(char* target, std::size_t size, const std::string& text) {
    if (text.size() >= size) throw engine::EngineError(engine::err::kInvalidParam, text);
    std::memset(target, 0, size);
    std::memcpy(target, text.data(), text.size());
}

TableRestructure::TableRestructure(const std::string& tableName, const std::string& driver)
    : tableName_(tableName) {
    CopyName(descriptor_.tableName, sizeof descriptor_.tableName, tableName);
    CopyName(descriptor_.driverType, sizeof descriptor_.driverType, driver);
}

TableDescriptor& TableRestructure::descriptor() {
    TableDescriptor& d = descriptor_;
    // Members of the packed record are assigned one by one: no reference may point into it.
    d.fieldCount = static_cast<std::uint16_t>(fields.size());
    d.fields = fields.empty() ? nullptr : fields.data();
    d.fieldOps = fieldOps.empty() ? nullptr : fieldOps.data();
    d.linkCount = static_cast<std::uint16_t>(links.size());
    d.links = links.empty() ? nullptr : links.data();
    d.linkOps = linkOps.empty() ? nullptr : linkOps.data();
    d.checkCount = static_cast<std::uint16_t>(checks.size());
    d.checks = checks.empty() ? nullptr : checks.data();
    d.checkOps = checkOps.empty() ? nullptr : checkOps.data();
    d.securityCount = static_cast<std::uint16_t>(security.size());
    d.security = security.empty() ? nullptr : security.data();
    d.securityOps = securityOps.empty() ? nullptr : securityOps.data();

    optionRecords_.assign(options.size(), OptionalParameter{});
    optionData_.clear();
    for (std::size_t i = 0; i < options.size(); ++i) {
        CopyName(optionRecords_[i].name, sizeof optionRecords_[i].name, options[i].first);
        optionRecords_[i].offset = static_cast<std::uint16_t>(optionData_.size());
        optionRecords_[i].length = static_cast<std::uint16_t>(options[i].second.size() + 1);
        optionData_.insert(optionData_.end(), options[i].second.begin(), options[i].second.end());
        optionData_.push_back('\0');
    }
    d.optionCount = static_cast<std::uint16_t>(optionRecords_.size());
    d.options = optionRecords_.empty() ? nullptr : optionRecords_.data();
    d.optionData = optionData_.empty() ? nullptr : optionData_.data();
    return d;
}

}  // namespace vortab
