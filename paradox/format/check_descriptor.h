// ValidityCheckDescriptor: the engine's interface record for the validity check of one field
// (required, minimum, maximum, default, picture, table lookup). Packed, 1219 bytes, members in
// the original engine's order and widths; zero-fill before use. Values are in native form.
#pragma once
#include <cstddef>
#include <cstdint>

namespace paradox {

inline constexpr std::size_t kCheckValueSize = 256;   // native value buffer
inline constexpr std::size_t kPictureSize = 176;      // at most 175 characters + NUL
inline constexpr std::size_t kLookupTableNameSize = 261;

// Kinds of a minimum/maximum/default value.
enum class CheckValueKind : std::uint16_t { None = 0, Value = 1, Today = 2, Now = 3 };

// Kinds of a table lookup.
enum class LookupKind : std::uint32_t {
    None = 0,
    Private = 1,                     // the lookup value only
    AllCorresponding = 2,            // fill all corresponding fields
    Help = 3,                        // the value only, with help and fill
    AllCorrespondingHelp = 4,        // all corresponding fields, with help and fill
};

#pragma pack(push, 1)
struct ValidityCheckDescriptor {
    std::uint16_t fieldNumber;       // 1-based
    std::uint16_t required;
    std::uint16_t minimumKind;       // CheckValueKind
    std::uint16_t maximumKind;
    std::uint16_t defaultKind;
    std::uint8_t minimum[kCheckValueSize];
    std::uint8_t maximum[kCheckValueSize];
    std::uint8_t defaultValue[kCheckValueSize];
    char picture[kPictureSize];
    std::uint32_t lookupKind;        // LookupKind
    char lookupTable[kLookupTableNameSize];
};
#pragma pack(pop)

static_assert(offsetof(ValidityCheckDescriptor, required) == 2);
static_assert(offsetof(ValidityCheckDescriptor, minimumKind) == 4);
static_assert(offsetof(ValidityCheckDescriptor, maximumKind) == 6);
static_assert(offsetof(ValidityCheckDescriptor, defaultKind) == 8);
static_assert(offsetof(ValidityCheckDescriptor, minimum) == 10);
static_assert(offsetof(ValidityCheckDescriptor, maximum) == 266);
static_assert(offsetof(ValidityCheckDescriptor, defaultValue) == 522);
static_assert(offsetof(ValidityCheckDescriptor, picture) == 778);
static_assert(offsetof(ValidityCheckDescriptor, lookupKind) == 954);
static_assert(offsetof(ValidityCheckDescriptor, lookupTable) == 958);
static_assert(sizeof(ValidityCheckDescriptor) == 1219);

}  // namespace paradox
