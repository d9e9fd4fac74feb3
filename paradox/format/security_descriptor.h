// SecurityDescriptor: the engine's interface record for one auxiliary password with its table,
// family and field rights. Packed, 1064 bytes, members in the original engine's order and
// widths; zero-fill before use.
#pragma once
#include <cstddef>
#include <cstdint>

namespace paradox {

inline constexpr std::size_t kPasswordSize = 32;  // at most 31 bytes + NUL
inline constexpr int kMaxFieldRights = 256;

// Table rights.
namespace rights {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kReadOnly = 1;
inline constexpr std::uint32_t kModify = 3;
inline constexpr std::uint32_t kInsert = 7;
inline constexpr std::uint32_t kInsertDelete = 15;
inline constexpr std::uint32_t kFull = 31;
// Family rights (bits).
inline constexpr std::uint16_t kForms = 1;
inline constexpr std::uint16_t kReports = 2;
inline constexpr std::uint16_t kValidity = 4;
inline constexpr std::uint16_t kSettings = 8;
inline constexpr std::uint16_t kAllFamily = 0x0F;
// Field rights.
inline constexpr std::uint32_t kFieldNone = 0;
inline constexpr std::uint32_t kFieldReadOnly = 1;
inline constexpr std::uint32_t kFieldFull = 31;
}  // namespace rights

#pragma pack(push, 1)
struct SecurityDescriptor {
    std::uint16_t entryNumber;                  // 0 for a new entry
    std::uint32_t tableRights;                  // rights::k*
    std::uint16_t familyRights;                 // rights::kForms | ...
    char password[kPasswordSize];               // the auxiliary password, zero-terminated
    std::uint32_t fieldRights[kMaxFieldRights]; // one per field in field order
};
#pragma pack(pop)

static_assert(offsetof(SecurityDescriptor, tableRights) == 2);
static_assert(offsetof(SecurityDescriptor, familyRights) == 6);
static_assert(offsetof(SecurityDescriptor, password) == 8);
static_assert(offsetof(SecurityDescriptor, fieldRights) == 40);
static_assert(sizeof(SecurityDescriptor) == 1064);

}  // namespace paradox
