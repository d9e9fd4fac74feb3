// IndexDescriptor: the engine's interface record for one index of a table (primary, secondary,
// composite). Packed, 893 bytes, members in the original engine's order and widths; zero-fill
// before use (value-initialise: IndexDescriptor d{}). Flags are 16-bit booleans (0 or 1).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace paradox {

inline constexpr int kMaxKeyFields = 16;
inline constexpr std::size_t kIndexNameSize = 261;  // path-sized name, zero-terminated
inline constexpr std::size_t kShortNameSize = 32;   // engine object name, zero-terminated
inline constexpr std::size_t kKeyExpressionSize = 221;

#pragma pack(push, 1)
struct IndexDescriptor {
    char name[kIndexNameSize];           // index name; empty for the Paradox primary index
    std::uint16_t indexId;               // engine number of the index
    char tagName[kShortNameSize];        // tag name (unused by Paradox)
    char format[kShortNameSize];         // index format name (unused by Paradox)
    std::uint16_t primary;
    std::uint16_t unique;
    std::uint16_t descending;            // whole index descending
    std::uint16_t maintained;
    std::uint16_t subset;
    std::uint16_t expression;
    std::uint16_t cost;
    std::uint16_t keyFieldCount;         // at most kMaxKeyFields
    std::uint16_t keyLength;             // bytes of the key
    std::uint16_t outOfDate;
    std::uint16_t keyExpressionType;
    std::uint16_t keyFields[kMaxKeyFields];  // 1-based field numbers
    char keyExpression[kKeyExpressionSize];
    char keyCondition[kKeyExpressionSize];
    std::uint16_t caseInsensitive;
    std::uint16_t blockSize;
    std::uint16_t restructureNumber;
    std::uint16_t fieldDescending[kMaxKeyFields];  // per key-field descending flags
    std::uint16_t reserved[16];
};
#pragma pack(pop)

static_assert(offsetof(IndexDescriptor, indexId) == 261);
static_assert(offsetof(IndexDescriptor, tagName) == 263);
static_assert(offsetof(IndexDescriptor, format) == 295);
static_assert(offsetof(IndexDescriptor, primary) == 327);
static_assert(offsetof(IndexDescriptor, unique) == 329);
static_assert(offsetof(IndexDescriptor, descending) == 331);
static_assert(offsetof(IndexDescriptor, maintained) == 333);
static_assert(offsetof(IndexDescriptor, subset) == 335);
static_assert(offsetof(IndexDescriptor, expression) == 337);
static_assert(offsetof(IndexDescriptor, cost) == 339);
static_assert(offsetof(IndexDescriptor, keyFieldCount) == 341);
static_assert(offsetof(IndexDescriptor, keyLength) == 343);
static_assert(offsetof(IndexDescriptor, outOfDate) == 345);
static_assert(offsetof(IndexDescriptor, keyExpressionType) == 347);
static_assert(offsetof(IndexDescriptor, keyFields) == 349);
static_assert(offsetof(IndexDescriptor, keyExpression) == 381);
static_assert(offsetof(IndexDescriptor, keyCondition) == 602);
static_assert(offsetof(IndexDescriptor, caseInsensitive) == 823);
static_assert(offsetof(IndexDescriptor, blockSize) == 825);
static_assert(offsetof(IndexDescriptor, restructureNumber) == 827);
static_assert(offsetof(IndexDescriptor, fieldDescending) == 829);
static_assert(offsetof(IndexDescriptor, reserved) == 861);
static_assert(sizeof(IndexDescriptor) == 893);

// Copies text into a fixed zero-terminated member, cut to fit; the rest is zero-filled.
template <std::size_t N>
void copyFixedText(char (&dst)[N], std::string_view text) {
    std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memset(dst, 0, N);
    std::memcpy(dst, text.data(), n);
}

// Reads a fixed member as text up to its first NUL (or its whole width when none).
template <std::size_t N>
std::string fixedText(const char (&src)[N]) {
    std::size_t n = 0;
    while (n < N && src[n] != '\0') ++n;
    return std::string(src, n);
}

}  // namespace paradox
