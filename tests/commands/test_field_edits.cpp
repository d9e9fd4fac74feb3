#include <gtest/gtest.h>

#include <cstring>

#include "library/commands/field_edits.h"
#include "library/commands/field_list.h"
#include "library/language/errors.h"
#include "paradox/api/engine_error.h"

namespace vortab {
namespace {

vortab::FieldDescriptor Field(const char* name, std::int16_t type, std::int16_t size = 0) {
    vortab::FieldDescriptor f{};
    std::strcpy(f.name, name);
    f.type = type;
    f.units1 = size;
    return f;
}

const std::vector<vortab::FieldDescriptor> kTable = {
    Field("Id", vortab::FLDINT32), Field("Name", vortab::FLDZSTRING, 20),
    Field("City", vortab::FLDZSTRING, 20), Field("Born", vortab::FLDDATE)};

std::vector<std::string> Names(const FieldEdit& edit) {
    std::vector<std::string> names;
    for (const auto& f : edit.fields) names.push_back(f.name);
    return names;
}

int EngineCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const paradox::api::EngineError& e) {
        return e.code();
    } catch (const EAlreadyUpdated&) {
        return -1;
    }
    return 0;
}

TEST(FieldEdits, MoveForwardAndBackMarksTheShiftedPositions) {
    FieldEdit edit = StartFieldEdit(kTable);
    EditMoveField(edit, "id", 3);
    EXPECT_EQ(Names(edit), (std::vector<std::string>{"Name", "City", "Id", "Born"}));
    EXPECT_EQ(edit.ops, (std::vector<vortab::OperationCode>{vortab::CRCOPY, vortab::CRCOPY,
                                                             vortab::CRCOPY, vortab::CRNOOP}));
    EXPECT_EQ(edit.fields[2].fieldNumber, 1);

    edit = StartFieldEdit(kTable);
    EditMoveField(edit, "BORN", 2);
    EXPECT_EQ(Names(edit), (std::vector<std::string>{"Id", "Born", "Name", "City"}));
    EXPECT_EQ(edit.ops, (std::vector<vortab::OperationCode>{vortab::CRNOOP, vortab::CRCOPY,
                                                             vortab::CRCOPY, vortab::CRCOPY}));
}

TEST(FieldEdits, FailuresAndAlreadyUpdated) {
    FieldEdit edit = StartFieldEdit(kTable);
    EXPECT_EQ(EngineCode([&] { EditMoveField(edit, "Id", 1); }), -1);
    EXPECT_EQ(EngineCode([&] { EditMoveField(edit, "Id", 5); }), 9986);
    EXPECT_EQ(EngineCode([&] { EditMoveField(edit, "Id", 0); }), 9986);
    EXPECT_EQ(EngineCode([&] { EditMoveField(edit, "Nope", 2); }), 9986);
    EXPECT_EQ(EngineCode([&] { EditAddField(edit, "name", {}); }), -1);
    EXPECT_EQ(EngineCode([&] { EditDropField(edit, "Nope"); }), -1);
    EXPECT_EQ(EngineCode([&] { EditChangeField(edit, kTable, "Nope", "", {-1, -1, -1, -1}); }),
              9986);
    FieldEdit single = StartFieldEdit({Field("Only", vortab::FLDINT16)});
    EXPECT_EQ(EngineCode([&] { EditDropField(single, "Only"); }), 9996);
    EXPECT_EQ(EngineCode([&] { EditAddField(edit, std::string(40, 'X'), {}); }), 9986);
}

TEST(FieldEdits, ChangeThatLeavesAnExistingFieldIsAlreadyUpdated) {
    FieldEdit edit = StartFieldEdit(kTable);
    EXPECT_EQ(EngineCode([&] { EditChangeField(edit, kTable, "Name", "", {-1, -1, -1, -1}); }),
              -1);
    edit = StartFieldEdit(kTable);
    EXPECT_EQ(EngineCode([&] { EditChangeField(edit, kTable, "Name", "City", {-1, -1, -1, -1}); }),
              -1);
    edit = StartFieldEdit(kTable);
    EditChangeField(edit, kTable, "Name", "", {-1, -1, 30, -1});
    EXPECT_EQ(edit.fields[1].units1, 30);
    EXPECT_EQ(edit.ops[1], vortab::CRMODIFY);
}

TEST(FieldEdits, AddAppendsAndDropRemoves) {
    FieldEdit edit = StartFieldEdit(kTable);
    EditAddField(edit, "Notes", {vortab::FLDBLOB, vortab::FLDSTMEMO, 10, 0});
    EXPECT_EQ(edit.fields.back().fieldNumber, 0);
    EXPECT_EQ(edit.ops.back(), vortab::CRADD);
    EXPECT_EQ(edit.fields.back().subType, vortab::FLDSTMEMO);
    EditDropField(edit, "city");
    EXPECT_EQ(Names(edit), (std::vector<std::string>{"Id", "Name", "Born", "Notes"}));
}

TEST(FieldList, SplitsOnSemicolonsAndSkipsEmptyNames) {
    EXPECT_EQ(SplitFieldList(";A;;B c ;"), (std::vector<std::string>{"A", "B c "}));
    EXPECT_TRUE(SplitFieldList("").empty());
    EXPECT_TRUE(SplitFieldList(";;").empty());
}

}  // namespace
}  // namespace vortab
