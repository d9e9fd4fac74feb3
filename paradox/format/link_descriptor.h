// RILinkDescriptor: the engine's interface record for one referential-integrity link, seen from
// the table that holds it (as dependent or as master). Packed, 373 bytes, members in the original
// engine's order and widths; zero-fill before use.
#pragma once
#include <cstddef>
#include <cstdint>

#include "paradox/format/index_descriptor.h"

namespace paradox {

inline constexpr std::size_t kLinkNameSize = 32;
inline constexpr std::size_t kLinkTableNameSize = 261;

enum class LinkKind : std::uint32_t { Master = 0, Dependent = 1 };
enum class LinkRule : std::uint32_t { Restrict = 0, Cascade = 1 };

#pragma pack(push, 1)
struct RILinkDescriptor {
    std::uint16_t linkNumber;                 // 1-based, engine-maintained
    char name[kLinkNameSize];                 // zero-terminated
    std::uint32_t kind;                       // LinkKind
    char otherTable[kLinkTableNameSize];      // the other table's file name
    std::uint32_t updateRule;                 // LinkRule
    std::uint32_t deleteRule;                 // LinkRule
    std::uint16_t fieldCount;                 // at most kMaxKeyFields
    std::uint16_t thisFields[kMaxKeyFields];  // 1-based field numbers of this table
    std::uint16_t otherFields[kMaxKeyFields]; // 1-based field numbers of the other table
};
#pragma pack(pop)

static_assert(offsetof(RILinkDescriptor, name) == 2);
static_assert(offsetof(RILinkDescriptor, kind) == 34);
static_assert(offsetof(RILinkDescriptor, otherTable) == 38);
static_assert(offsetof(RILinkDescriptor, updateRule) == 299);
static_assert(offsetof(RILinkDescriptor, deleteRule) == 303);
static_assert(offsetof(RILinkDescriptor, fieldCount) == 307);
static_assert(offsetof(RILinkDescriptor, thisFields) == 309);
static_assert(offsetof(RILinkDescriptor, otherFields) == 341);
static_assert(sizeof(RILinkDescriptor) == 373);

}  // namespace paradox
