// Logical <-> physical field types of Paradox tables and the limits of each type.
#include "paradox/format/field_mapping.h"

#include <cstring>
#include <string>

#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {
struct TypeMap {
    PxType px;
    int16_t type;
    int16_t subType;
};
constexpr TypeMap kMap[] = {
    {PxType::Alpha, FLDZSTRING, 0},      {PxType::Date, FLDDATE, 0},
    {PxType::Short, FLDINT16, 0},        {PxType::Long, FLDINT32, 0},
    {PxType::Money, FLDFLOAT, FLDSTMONEY}, {PxType::Number, FLDFLOAT, 0},
    {PxType::Logical, FLDBOOL, 0},       {PxType::Memo, FLDBLOB, FLDSTMEMO},
    {PxType::Blob, FLDBLOB, FLDSTBINARY}, {PxType::FmtMemo, FLDBLOB, FLDSTFMTMEMO},
    {PxType::Ole, FLDBLOB, FLDSTOLEOBJ}, {PxType::Graphic, FLDBLOB, FLDSTGRAPHIC},
    {PxType::Time, FLDTIME, 0},          {PxType::Timestamp, FLDTIMESTAMP, 0},
    {PxType::AutoInc, FLDINT32, FLDSTAUTOINC}, {PxType::Bcd, FLDBCD, 0},
    {PxType::Bytes, FLDBYTES, 0},
};
}  // namespace

void DescribeField(const Field& f, int position, FieldDescriptor& out) {
    out = FieldDescriptor{};
    out.fieldNumber = static_cast<uint16_t>(position);
    std::strncpy(out.name, f.name.c_str(), sizeof out.name - 1);
    for (const auto& m : kMap)
        if (m.px == f.type) {
            out.type = m.type;
            out.subType = m.subType;
        }
    switch (f.type) {
    case PxType::Alpha:
    case PxType::Bytes: out.units1 = f.sizeByte; break;
    case PxType::Bcd:
        out.units1 = 32;
        out.units2 = f.sizeByte;
        break;
    default:
        if (IsBlobType(f.type)) out.units1 = static_cast<int16_t>(f.leader());
        break;
    }
    out.offset = f.offset;
    out.length = f.width;
}

Field FieldFromDescriptor(const FieldDescriptor& d) {
    Field f;
    const std::size_t nameLen = strnlen(d.name, sizeof d.name);
    if (nameLen == 0 || nameLen > 25 || nameLen == sizeof d.name)
        throw EngineError(err::kInvalidFieldName, "invalid field name");
    f.name.assign(d.name, nameLen);
    bool found = false;
    for (const auto& m : kMap)
        if (m.type == d.type && m.subType == d.subType) {
            f.type = m.px;
            found = true;
        }
    if (!found) throw EngineError(err::kInvalidFieldType, "field " + f.name + ": no Paradox type for type " +
                                                             std::to_string(d.type) + " subtype " + std::to_string(d.subType));
    const auto badSize = [&] { throw EngineError(err::kInvalidFieldDesc, "field " + f.name + ": invalid size"); };
    switch (f.type) {
    case PxType::Alpha:
    case PxType::Bytes:
        if (d.units1 < 1 || d.units1 > 255) badSize();
        f.sizeByte = static_cast<uint8_t>(d.units1);
        break;
    case PxType::Bcd:
        if (d.units2 < 0 || d.units2 > 32 || d.units1 < 0 || d.units1 > 32 || (d.units1 > 0 && d.units2 > d.units1))
            badSize();
        f.sizeByte = static_cast<uint8_t>(d.units2);
        break;
    case PxType::Memo:
        if (d.units1 < 1 || d.units1 > 240) badSize();
        f.sizeByte = static_cast<uint8_t>(d.units1 + 10);
        break;
    case PxType::Blob:
    case PxType::FmtMemo:
    case PxType::Ole:
    case PxType::Graphic:
        if (d.units1 < 0 || d.units1 > 240) badSize();
        f.sizeByte = static_cast<uint8_t>(d.units1 + 10);
        break;
    default:
        f.sizeByte = static_cast<uint8_t>(FieldWidth(f.type, 0));
        break;
    }
    f.width = FieldWidth(f.type, f.sizeByte);
    return f;
}

int MinimumLevel(PxType t) {
    switch (t) {
    case PxType::Alpha: case PxType::Date: case PxType::Short: case PxType::Money: case PxType::Number:
        return 3;
    case PxType::Memo: case PxType::Blob: case PxType::FmtMemo: case PxType::Ole: case PxType::Graphic:
        return 4;
    default:
        return 5;
    }
}

}  // namespace paradox
