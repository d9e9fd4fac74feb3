// Code -> keyword tables for field types and subtypes.
#include "cli/field_type_names.h"

#include "paradox/format/descriptors.h"

namespace vortab::cli {
namespace {

struct Name {
    std::int16_t code;
    const char* text;
};

constexpr Name kTypes[] = {
    {paradox::FLDUNKNOWN, "FLDUNKNOWN"},     {paradox::FLDZSTRING, "FLDZSTRING"},
    {paradox::FLDDATE, "FLDDATE"},           {paradox::FLDBLOB, "FLDBLOB"},
    {paradox::FLDBOOL, "FLDBOOL"},           {paradox::FLDINT16, "FLDINT16"},
    {paradox::FLDINT32, "FLDINT32"},         {paradox::FLDFLOAT, "FLDFLOAT"},
    {paradox::FLDBCD, "FLDBCD"},             {paradox::FLDBYTES, "FLDBYTES"},
    {paradox::FLDTIME, "FLDTIME"},           {paradox::FLDTIMESTAMP, "FLDTIMESTAMP"},
    {paradox::FLDUINT16, "FLDUINT16"},       {paradox::FLDUINT32, "FLDUINT32"},
    {paradox::FLDFLOATIEEE, "FLDFLOATIEEE"}, {paradox::FLDVARBYTES, "FLDVARBYTES"},
};

constexpr Name kSubtypes[] = {
    {paradox::FLDSTNONE, "FLDSTDEFAULT"},         {paradox::FLDSTMONEY, "FLDSTMONEY"},
    {paradox::FLDSTMEMO, "FLDSTMEMO"},            {paradox::FLDSTBINARY, "FLDSTBINARY"},
    {paradox::FLDSTFMTMEMO, "FLDSTFMTMEMO"},      {paradox::FLDSTOLEOBJ, "FLDSTOLEOBJ"},
    {paradox::FLDSTGRAPHIC, "FLDSTGRAPHIC"},      {paradox::FLDSTDBSOLEOBJ, "FLDSTDBSOLEOBJ"},
    {paradox::FLDSTTYPEDBINARY, "FLDSTTYPEDBINARY"}, {paradox::FLDSTAUTOINC, "FLDSTAUTOINC"},
};

template <std::size_t N>
std::string Lookup(const Name (&names)[N], std::int16_t code) {
    for (const Name& n : names)
        if (n.code == code) return n.text;
    return std::to_string(code);
}

}  // namespace

std::string FieldTypeName(std::int16_t type) { return Lookup(kTypes, type); }
std::string FieldSubtypeName(std::int16_t subType) { return Lookup(kSubtypes, subType); }

}  // namespace vortab::cli
