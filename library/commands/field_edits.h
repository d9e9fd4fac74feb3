// The edit steps of the field commands: each changes a table's field list (descriptors with
// their operation codes) into the list a restructure should produce, or fails with
// EAlreadyUpdated when the change is already in place, or with the engine's code for a request
// that cannot be met. `current` is the table's field list as it is.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shared/engine_records.h"

namespace vortab {

struct FieldEdit {
    std::vector<FieldDescriptor> fields;
    std::vector<OperationCode> ops;
};

// Field numbers 1..n in table order, every operation code 0.
FieldEdit StartFieldEdit(const std::vector<FieldDescriptor>& current);

// Position (0-based) of the field named `name` (without regard to case), or -1.
int FindFieldIndex(const std::vector<FieldDescriptor>& fields, const std::string& name);

struct FieldSpec {
    std::int16_t type = 0, subType = 0, size = 0, decimals = 0;
};

// A zero-filled descriptor of a new field (9986 for a name longer than 31 bytes).
FieldDescriptor NewFieldDescriptor(const std::string& name, const FieldSpec& spec);

void EditAddField(FieldEdit& edit, const std::string& name, const FieldSpec& spec);
void EditDropField(FieldEdit& edit, const std::string& name);
// Negative values of spec keep the field's current ones; an empty newName keeps the name.
void EditChangeField(FieldEdit& edit, const std::vector<FieldDescriptor>& current,
                     const std::string& name, const std::string& newName, const FieldSpec& spec);
// position is 1-based.
void EditMoveField(FieldEdit& edit, const std::string& name, int position);

}  // namespace vortab
