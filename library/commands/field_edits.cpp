#include "library/commands/field_edits.h"

#include <algorithm>
#include <cstring>

#include "library/commands/table_descriptor.h"
#include "library/engine/engine.h"
#include "library/language/errors.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

[[noreturn]] void InvalidParameter(const std::string& what) {
    throw engine::EngineError(engine::err::kInvalidParam, what);
}

// Types whose size attributes are part of what makes two fields the same.
bool SizeMatters(std::int16_t type) {
    return type == FLDZSTRING || type == FLDBLOB ||
           type == FLDBYTES || type == FLDVARBYTES;
}

bool SameField(const FieldDescriptor& a, const FieldDescriptor& existing) {
    if (std::strcmp(a.name, existing.name) != 0) return false;
    if (a.type != existing.type || a.subType != existing.subType) return false;
    if (SizeMatters(existing.type))
        return a.units1 == existing.units1 && a.units2 == existing.units2;
    return true;
}

}  // namespace

FieldEdit StartFieldEdit(const std::vector<FieldDescriptor>& current) {
    FieldEdit edit{current, std::vector<OperationCode>(current.size(), CRNOOP)};
    for (std::size_t i = 0; i < edit.fields.size(); ++i)
        edit.fields[i].fieldNumber = static_cast<std::uint16_t>(i + 1);
    return edit;
}

int FindFieldIndex(const std::vector<FieldDescriptor>& fields, const std::string& name) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (SameNameNoCase(fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

FieldDescriptor NewFieldDescriptor(const std::string& name, const FieldSpec& spec) {
    FieldDescriptor field{};
    CopyName(field.name, sizeof field.name, name);
    field.type = spec.type;
    field.subType = spec.subType;
    field.units1 = spec.size;
    field.units2 = spec.decimals;
    return field;
}

void EditAddField(FieldEdit& edit, const std::string& name, const FieldSpec& spec) {
    if (FindFieldIndex(edit.fields, name) >= 0) throw EAlreadyUpdated();
    edit.fields.push_back(NewFieldDescriptor(name, spec));
    edit.ops.push_back(CRADD);
}

void EditDropField(FieldEdit& edit, const std::string& name) {
    const int index = FindFieldIndex(edit.fields, name);
    if (index < 0) throw EAlreadyUpdated();
    if (edit.fields.size() < 2)
        throw engine::EngineError(engine::err::kInvalidModifyRequest, "last field");
    edit.fields.erase(edit.fields.begin() + index);
    edit.ops.erase(edit.ops.begin() + index);
}

void EditChangeField(FieldEdit& edit, const std::vector<FieldDescriptor>& current,
                     const std::string& name, const std::string& newName, const FieldSpec& spec) {
    const int index = FindFieldIndex(edit.fields, name);
    if (index < 0) InvalidParameter("no field " + name);
    FieldDescriptor& field = edit.fields[static_cast<std::size_t>(index)];
    if (!newName.empty()) CopyName(field.name, sizeof field.name, newName);
    if (spec.type >= 0) field.type = spec.type;
    if (spec.subType >= 0) field.subType = spec.subType;
    if (spec.size >= 0) field.units1 = spec.size;
    if (spec.decimals >= 0) field.units2 = spec.decimals;
    for (const FieldDescriptor& existing : current)
        if (SameField(field, existing)) throw EAlreadyUpdated();
    edit.ops[static_cast<std::size_t>(index)] = CRMODIFY;
}

void EditMoveField(FieldEdit& edit, const std::string& name, int position) {
    const int count = static_cast<int>(edit.fields.size());
    if (position < 1 || position > count) InvalidParameter("position");
    const int from = FindFieldIndex(edit.fields, name);
    if (from < 0) InvalidParameter("no field " + name);
    const int to = position - 1;
    if (from == to) throw EAlreadyUpdated();
    const FieldDescriptor moved = edit.fields[static_cast<std::size_t>(from)];
    edit.fields.erase(edit.fields.begin() + from);
    edit.fields.insert(edit.fields.begin() + to, moved);
    for (int i = std::min(from, to); i <= std::max(from, to); ++i)
        edit.ops[static_cast<std::size_t>(i)] = CRCOPY;
}

}  // namespace vortab
