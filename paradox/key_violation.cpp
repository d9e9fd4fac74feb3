// Writing a key-violation table through the ordinary create and insert paths.
#include "paradox/key_violation.h"

#include <cstring>

#include "paradox/descriptors.h"
#include "paradox/engine_error.h"
#include "paradox/field_mapping.h"
#include "paradox/table_family.h"
#include "paradox/table_writer.h"

namespace paradox {

std::string ChooseKeyViolationName(const std::string& dir, const std::string& requested) {
    if (!requested.empty()) {
        const TableLocation loc = LocateTable(dir, requested);
        if (FindTableFile(loc.dir, loc.base, "DB")) throw EngineError(err::kFileExists, requested);
        return requested;
    }
    for (int i = 0; i < 1000; ++i) {
        const std::string name = i == 0 ? "KEYVIOL" : "KEYVIOL" + std::to_string(i);
        if (!FindTableFile(dir, name, "DB")) return name;
    }
    throw EngineError(err::kFileExists, "every KEYVIOL table name is taken");
}

void WriteKeyViolationTable(const std::string& dir, const std::string& name, const KeyViolationTableSpec& spec,
                            const KeyViolationFill& fill) {
    TableDescriptor d{};
    std::strncpy(d.tableName, name.c_str(), sizeof d.tableName - 1);
    std::strcpy(d.driverType, "PARADOX");
    std::vector<FieldDescriptor> fields(spec.schema.fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) DescribeField(spec.schema.fields[i], static_cast<int>(i + 1), fields[i]);
    d.fieldCount = static_cast<uint16_t>(fields.size());
    d.fields = fields.data();
    if (!spec.password.empty()) {
        std::strncpy(d.password, spec.password.c_str(), sizeof d.password - 1);
        d.protectedFlag = 1;
    }
    const std::string level = std::to_string(spec.level);
    const std::string driver = spec.driver.name ? spec.driver.name : "";
    std::string data = level + '\0' + driver + '\0';
    OptionalParameter opts[2]{};
    std::strcpy(opts[0].name, "LEVEL");
    opts[0].offset = 0;
    opts[0].length = static_cast<uint16_t>(level.size() + 1);
    std::strcpy(opts[1].name, "LANGDRIVER");
    opts[1].offset = static_cast<uint16_t>(level.size() + 1);
    opts[1].length = static_cast<uint16_t>(driver.size() + 1);
    d.options = opts;
    d.optionCount = driver.empty() ? 1 : 2;
    d.optionData = data.data();
    createTable(dir, d, CreateOptions{0, false});
    OpenOptions oo;
    if (!spec.password.empty()) oo.passwords.push_back(spec.password);
    FillNewTable(dir, name, oo, fill);
}

KeyViolationGuard::~KeyViolationGuard() {
    if (name_.empty() || swap_.committed()) return;
    try {
        deleteTable(dir_, name_);
    } catch (...) {
    }
}

void FillNewTable(const std::string& dir, const std::string& name, const OpenOptions& options, const KeyViolationFill& fill) {
    try {
        TableWriter w = TableWriter::open(dir, name, options);
        fill(w);
        w.commit();
    } catch (...) {
        // A table that never got its records must not be mistaken for a record of them.
        try {
            deleteTable(dir, name);
        } catch (...) {
        }
        throw;
    }
}

}  // namespace paradox
