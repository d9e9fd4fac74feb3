// Code -> keyword tables for field types and subtypes.
#include "cli/field_type_names.h"

namespace vortab::cli {
namespace {

using paradox::api::FieldSubtype;
using paradox::api::FieldType;

template <typename Code>
struct Name {
    Code code;
    const char* text;
};

constexpr Name<FieldType> kTypes[] = {
    {FieldType::Unknown, "FLDUNKNOWN"},     {FieldType::ZString, "FLDZSTRING"},
    {FieldType::Date, "FLDDATE"},           {FieldType::Blob, "FLDBLOB"},
    {FieldType::Bool, "FLDBOOL"},           {FieldType::Int16, "FLDINT16"},
    {FieldType::Int32, "FLDINT32"},         {FieldType::Float, "FLDFLOAT"},
    {FieldType::Bcd, "FLDBCD"},             {FieldType::Bytes, "FLDBYTES"},
    {FieldType::Time, "FLDTIME"},           {FieldType::Timestamp, "FLDTIMESTAMP"},
    {FieldType::UInt16, "FLDUINT16"},       {FieldType::UInt32, "FLDUINT32"},
    {FieldType::FloatIeee, "FLDFLOATIEEE"}, {FieldType::VarBytes, "FLDVARBYTES"},
};

constexpr Name<FieldSubtype> kSubtypes[] = {
    {FieldSubtype::None, "FLDSTDEFAULT"},           {FieldSubtype::Money, "FLDSTMONEY"},
    {FieldSubtype::Memo, "FLDSTMEMO"},              {FieldSubtype::Binary, "FLDSTBINARY"},
    {FieldSubtype::FmtMemo, "FLDSTFMTMEMO"},        {FieldSubtype::OleObject, "FLDSTOLEOBJ"},
    {FieldSubtype::Graphic, "FLDSTGRAPHIC"},        {FieldSubtype::DbSoleObject, "FLDSTDBSOLEOBJ"},
    {FieldSubtype::TypedBinary, "FLDSTTYPEDBINARY"}, {FieldSubtype::AutoInc, "FLDSTAUTOINC"},
};

template <typename Code, std::size_t N>
std::string Lookup(const Name<Code> (&names)[N], Code code) {
    for (const Name<Code>& n : names)
        if (n.code == code) return n.text;
    return std::to_string(static_cast<int>(code));
}

}  // namespace

std::string FieldTypeName(FieldType type) { return Lookup(kTypes, type); }
std::string FieldSubtypeName(FieldSubtype subType) { return Lookup(kSubtypes, subType); }

}  // namespace vortab::cli
