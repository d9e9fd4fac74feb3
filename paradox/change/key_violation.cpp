// Writing a key-violation table through the ordinary create and insert paths.
#include "paradox/change/key_violation.h"

#include "paradox/format/descriptor_builder.h"
#include "paradox/format/descriptors.h"
#include "paradox/format/field_mapping.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/table_writer.h"

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

namespace {

void DeleteQuietly(const std::string& dir, const std::string& name) {
    try {
        deleteTable(dir, name);
    } catch (...) {
    }
}

// Creates table `name` and stores the records `fill` inserts; when either fails, the table is
// deleted again (also when its creation failed after being decided, e.g. on a failed sync): a
// table that never got its records must not be mistaken for a record of them.
void CreateAndFill(const std::string& dir, const std::string& name, const TableDescriptor& desc, const OpenOptions& options,
                   const KeyViolationFill& fill) {
    try {
        createTable(dir, desc, CreateOptions{0, false});
    } catch (const EngineError& e) {
        if (e.code() != err::kFileExists) DeleteQuietly(dir, name);
        throw;
    }
    try {
        TableWriter w = TableWriter::open(dir, name, options);
        fill(w);
        w.commit();
    } catch (...) {
        DeleteQuietly(dir, name);
        throw;
    }
}

}  // namespace

void WriteKeyViolationTable(const std::string& dir, const std::string& name, const KeyViolationTableSpec& spec,
                            const KeyViolationFill& fill) {
    DescriptorBuilder b(name);
    for (std::size_t i = 0; i < spec.schema.fields.size(); ++i) {
        FieldDescriptor f{};
        DescribeField(spec.schema.fields[i], static_cast<int>(i + 1), f);
        b.field(f);
    }
    b.option("LEVEL", std::to_string(spec.level));
    if (spec.blockSize) b.option("BLOCK SIZE", std::to_string(spec.blockSize));
    if (!spec.languageDriver.empty()) b.option("LANGDRIVER", spec.languageDriver);
    b.password(spec.password);
    OpenOptions oo;
    if (!spec.password.empty()) oo.passwords.push_back(spec.password);
    CreateAndFill(dir, name, b.descriptor(), oo, fill);
}

KeyViolationGuard::~KeyViolationGuard() {
    if (name_.empty() || swap_.committed()) return;
    try {
        deleteTable(dir_, name_);
    } catch (...) {
    }
}

}  // namespace paradox
