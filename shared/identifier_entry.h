// IdentifierEntry: one record of the language's identifier chain. The editor walks the chain
// the library exports, so this packed layout is an interface between the two programs:
// the same members in the same order as the original 52-byte record, pointers at native width.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VORTAB_API __stdcall
#else
#define VORTAB_API
#endif

extern "C" {

// Static type of a compiled sub-expression, an argument or a result.
enum VortabValueType : std::uint8_t {
    vtNone = 0, vtNumber = 1, vtString = 2, vtDate = 3, vtBoolean = 4,
    vtRiModifier = 5, vtCheckValue = 6, vtIndexOptions = 7, vtTableAttribute = 8,
    vtTableOption = 9, vtIntegrityOption = 10, vtFieldType = 11, vtFieldSubtype = 12,
    vtBatchMode = 13, vtRegistryRoot = 14, vtCommand = 15, vtSimple = 16, vtAny = 17,
    vtRights = 18
};

// Handlers are opaque to readers of the chain; the library casts them to its own signature.
typedef void (*VortabOpaqueHandler)(void);

#pragma pack(push, 1)
struct IdentifierEntry {
    const char* name;              // zero-terminated, upper case
    std::uint8_t kind;             // low nibble: syntactic class; high nibble: short-circuit form
    VortabOpaqueHandler handler;
    const char* group;
    const char* helpFile;
    std::int32_t helpContext;
    std::uint8_t resultType;
    std::uint8_t argTypes[10];     // the first 0 ends the list
    IdentifierEntry* next;         // null at the end of the chain
    std::int32_t registrationCount;
    std::uint8_t reserved[8];
    std::uint32_t hash;            // sum of the name's bytes
};

// The library information block: interface version, then (unaligned) the chain head.
struct LibraryInfo {
    std::uint16_t version;
    IdentifierEntry* chain;
};
#pragma pack(pop)

constexpr std::size_t kPtr = sizeof(void*);
static_assert(offsetof(IdentifierEntry, name) == 0);
static_assert(offsetof(IdentifierEntry, kind) == kPtr);
static_assert(offsetof(IdentifierEntry, handler) == kPtr + 1);
static_assert(offsetof(IdentifierEntry, group) == 2 * kPtr + 1);
static_assert(offsetof(IdentifierEntry, helpFile) == 3 * kPtr + 1);
static_assert(offsetof(IdentifierEntry, helpContext) == 4 * kPtr + 1);
static_assert(offsetof(IdentifierEntry, resultType) == 4 * kPtr + 5);
static_assert(offsetof(IdentifierEntry, argTypes) == 4 * kPtr + 6);
static_assert(offsetof(IdentifierEntry, next) == 4 * kPtr + 16);
static_assert(offsetof(IdentifierEntry, registrationCount) == 5 * kPtr + 16);
static_assert(offsetof(IdentifierEntry, reserved) == 5 * kPtr + 20);
static_assert(offsetof(IdentifierEntry, hash) == 5 * kPtr + 28);
static_assert(sizeof(IdentifierEntry) == 5 * kPtr + 32);  // 52 bytes with 32-bit pointers
static_assert(offsetof(LibraryInfo, chain) == 2);
static_assert(sizeof(LibraryInfo) == 2 + kPtr);

inline constexpr std::uint16_t kLibraryInterfaceVersion = 6;
}
