// Helpers for restructure tests: a restructure request that starts from a table's current field
// list and is edited like the field commands do, small tables made on the fly, and comparisons
// of every record of a table.
#pragma once
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "paradox/change/index_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/format/check_descriptor.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/format/security_descriptor.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

namespace paradox_test {

using namespace paradox;

// An auxiliary password entry; fieldRights in field order (the rest stay zero).
inline SecurityDescriptor AuxPassword(const char* password, uint32_t tableRights, std::vector<uint32_t> fieldRights = {}) {
    SecurityDescriptor d{};
    std::strncpy(d.password, password, sizeof d.password - 1);
    d.tableRights = tableRights;
    for (std::size_t i = 0; i < fieldRights.size(); ++i) d.fieldRights[i] = fieldRights[i];
    return d;
}

class Request {
public:
    // The table's fields, numbered 1..n, every operation "keep".
    Request(const std::string& dir, const std::string& table, const std::vector<std::string>& passwords = {}) : table_(table) {
        OpenOptions o;
        o.passwords = passwords;
        fields_ = Table::open(dir, table, o).fieldDescriptors();
        ops_.assign(fields_.size(), CRNOOP);
    }
    // Only options or the password change: no field list.
    static Request NoFields(const std::string& table) { return Request(table); }

    Request& add(const std::string& name, int16_t type, int16_t sub = 0, int16_t units1 = 0, int16_t units2 = 0) {
        FieldDescriptor f{};
        std::strncpy(f.name, name.c_str(), sizeof f.name - 1);
        f.type = type;
        f.subType = sub;
        f.units1 = units1;
        f.units2 = units2;
        fields_.push_back(f);
        ops_.push_back(CRADD);
        return *this;
    }
    Request& drop(const std::string& name) {
        const std::size_t i = index(name);
        fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(i));
        ops_.erase(ops_.begin() + static_cast<std::ptrdiff_t>(i));
        return *this;
    }
    Request& move(const std::string& name, std::size_t position) {  // 1-based
        const std::size_t i = index(name);
        FieldDescriptor f = fields_[i];
        fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(i));
        fields_.insert(fields_.begin() + static_cast<std::ptrdiff_t>(position - 1), f);
        for (std::size_t k = std::min(i, position - 1); k <= std::max(i, position - 1); ++k) ops_[k] = CRCOPY;
        return *this;
    }
    Request& change(const std::string& name, int16_t type, int16_t sub, int16_t units1, int16_t units2 = 0,
                    const std::string& newName = {}) {
        FieldDescriptor& f = fields_[index(name)];
        f.type = type;
        f.subType = sub;
        f.units1 = units1;
        f.units2 = units2;
        if (!newName.empty()) {
            std::memset(f.name, 0, sizeof f.name);
            std::strncpy(f.name, newName.c_str(), sizeof f.name - 1);
        }
        ops_[index(f.name)] = CRMODIFY;
        return *this;
    }
    Request& option(const std::string& name, const std::string& value) {
        OptionalParameter o{};
        std::strncpy(o.name, name.c_str(), sizeof o.name - 1);
        o.offset = static_cast<uint16_t>(optionData_.size());
        o.length = static_cast<uint16_t>(value.size() + 1);
        optionData_.insert(optionData_.end(), value.begin(), value.end());
        optionData_.push_back('\0');
        options_.push_back(o);
        return *this;
    }
    Request& link(const RILinkDescriptor& d, OperationCode op) {
        links_.push_back(d);
        linkOps_.push_back(op);
        return *this;
    }
    Request& check(const ValidityCheckDescriptor& c, OperationCode op) {
        checks_.push_back(c);
        checkOps_.push_back(op);
        return *this;
    }
    Request& security(const SecurityDescriptor& d, OperationCode op) {
        security_.push_back(d);
        securityOps_.push_back(op);
        return *this;
    }
    Request& password(const std::string& pw) {
        password_ = pw;
        return *this;
    }
    const TableDescriptor& descriptor() {
        desc_ = TableDescriptor{};
        std::strncpy(desc_.tableName, table_.c_str(), sizeof desc_.tableName - 1);
        std::strcpy(desc_.driverType, "PARADOX");
        desc_.fieldCount = static_cast<uint16_t>(fields_.size());
        desc_.fields = fields_.empty() ? nullptr : fields_.data();
        desc_.fieldOps = ops_.empty() ? nullptr : ops_.data();
        if (!password_.empty()) {
            std::strncpy(desc_.password, password_.c_str(), sizeof desc_.password - 1);
            desc_.protectedFlag = 1;
        }
        desc_.checkCount = static_cast<uint16_t>(checks_.size());
        desc_.checks = checks_.empty() ? nullptr : checks_.data();
        desc_.checkOps = checkOps_.empty() ? nullptr : checkOps_.data();
        desc_.linkCount = static_cast<uint16_t>(links_.size());
        desc_.links = links_.empty() ? nullptr : links_.data();
        desc_.linkOps = linkOps_.empty() ? nullptr : linkOps_.data();
        desc_.securityCount = static_cast<uint16_t>(security_.size());
        desc_.security = security_.empty() ? nullptr : security_.data();
        desc_.securityOps = securityOps_.empty() ? nullptr : securityOps_.data();
        desc_.optionCount = static_cast<uint16_t>(options_.size());
        desc_.options = options_.empty() ? nullptr : options_.data();
        desc_.optionData = optionData_.empty() ? nullptr : optionData_.data();
        return desc_;
    }
    RestructureResult run(const std::string& dir, char* keyViol = nullptr, const std::vector<std::string>& passwords = {}) {
        RestructureOptions o;
        o.passwords = passwords;
        return restructureTable(dir, descriptor(), keyViol, o);
    }

private:
    explicit Request(const std::string& table) : table_(table) {}
    std::size_t index(const std::string& name) const {
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (name == fields_[i].name) return i;
        ADD_FAILURE() << "no field " << name;
        return 0;
    }
    std::string table_, password_;
    std::vector<FieldDescriptor> fields_;
    std::vector<OperationCode> ops_;
    std::vector<OptionalParameter> options_;
    std::vector<char> optionData_;
    std::vector<ValidityCheckDescriptor> checks_;
    std::vector<OperationCode> checkOps_;
    std::vector<RILinkDescriptor> links_;
    std::vector<OperationCode> linkOps_;
    std::vector<SecurityDescriptor> security_;
    std::vector<OperationCode> securityOps_;
    TableDescriptor desc_{};
};

inline std::vector<std::vector<Value>> ReadAll(const std::string& dir, const std::string& table,
                                               const std::vector<std::string>& passwords = {}) {
    OpenOptions o;
    o.passwords = passwords;
    return Table::open(dir, table, o).readAll();
}

inline std::vector<std::string> FieldNames(const std::string& dir, const std::string& table,
                                           const std::vector<std::string>& passwords = {}) {
    OpenOptions o;
    o.passwords = passwords;
    std::vector<std::string> out;
    const Table t = Table::open(dir, table, o);
    for (const auto& f : t.schema().fields) out.push_back(f.name);
    return out;
}

// Adds a maintained single-field secondary index on field number `field` (1-based).
inline void AddFieldIndex(const std::string& dir, const std::string& table, uint16_t field) {
    IndexDescriptor d{};
    d.keyFieldCount = 1;
    d.keyFields[0] = field;
    d.maintained = 1;
    AddIndex(dir, table, d);
}

// Every file of the directory with its bytes, for "nothing changed" checks.
inline std::map<std::string, std::vector<unsigned char>> DirBytes(const fs::path& dir) {
    std::map<std::string, std::vector<unsigned char>> out;
    for (const auto& e : fs::directory_iterator(dir)) out[e.path().filename().string()] = ReadBytes(e.path());
    return out;
}

}  // namespace paradox_test
