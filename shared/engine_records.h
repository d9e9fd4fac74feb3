// The packed interface records of the original engine (field, index, validity-check, link,
// security and table descriptors with their operation codes and type constants) as the script
// library builds them and the structure model keeps them: the same members in the same order and
// widths, pointers at native width, every offset static_assert'ed. They never cross into the
// engine: its face (paradox/api/interface_records.h) converts them at the library's and the
// structure model's edge. Zero-fill before use (value-initialise: FieldDescriptor f{}).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vortab {

// Logical field types (FieldDescriptor::type).
inline constexpr int16_t FLDUNKNOWN = 0;
inline constexpr int16_t FLDZSTRING = 1;
inline constexpr int16_t FLDDATE = 2;
inline constexpr int16_t FLDBLOB = 3;
inline constexpr int16_t FLDBOOL = 4;
inline constexpr int16_t FLDINT16 = 5;
inline constexpr int16_t FLDINT32 = 6;
inline constexpr int16_t FLDFLOAT = 7;
inline constexpr int16_t FLDBCD = 8;
inline constexpr int16_t FLDBYTES = 9;
inline constexpr int16_t FLDTIME = 10;
inline constexpr int16_t FLDTIMESTAMP = 11;
inline constexpr int16_t FLDUINT16 = 12;
inline constexpr int16_t FLDUINT32 = 13;
inline constexpr int16_t FLDFLOATIEEE = 14;
inline constexpr int16_t FLDVARBYTES = 15;

// Field subtypes (FieldDescriptor::subType).
inline constexpr int16_t FLDSTNONE = 0;
inline constexpr int16_t FLDSTMONEY = 21;
inline constexpr int16_t FLDSTMEMO = 22;
inline constexpr int16_t FLDSTBINARY = 23;
inline constexpr int16_t FLDSTFMTMEMO = 24;
inline constexpr int16_t FLDSTOLEOBJ = 25;
inline constexpr int16_t FLDSTGRAPHIC = 26;
inline constexpr int16_t FLDSTDBSOLEOBJ = 27;
inline constexpr int16_t FLDSTTYPEDBINARY = 28;
inline constexpr int16_t FLDSTAUTOINC = 29;

// Validity-check state of a field (FieldDescriptor::validityCheck).
inline constexpr uint32_t FLDVNOCHECKS = 0;
inline constexpr uint32_t FLDVHASCHECKS = 1;
inline constexpr uint32_t FLDVUNKNOWN = 2;

// What a restructure does with one entry of a descriptor array.
enum OperationCode : uint32_t {
    CRNOOP = 0,    // keep unchanged
    CRADD = 1,     // add
    CRCOPY = 2,    // keep, position changed
    CRMODIFY = 3,  // modify
    CRDROP = 4,    // drop
};
static_assert(sizeof(OperationCode) == 4);

#pragma pack(push, 1)

// One field of a table (62 bytes). As an OptionalParameter only name, offset and length are used.
struct FieldDescriptor {
    uint16_t fieldNumber = 0;   // 1-based position; 0 for a field being added
    char name[32] = {};         // zero-terminated, table code page
    int16_t type = 0;           // FLD* constant
    int16_t subType = 0;        // FLDST* constant
    int16_t units1 = 0;         // length, precision or blob leader
    int16_t units2 = 0;         // decimals
    uint16_t offset = 0;        // offset in the record buffer (option: offset of the value)
    uint16_t length = 0;        // bytes in the record buffer (option: value length incl. NUL)
    uint16_t nullOffset = 0;    // engine-maintained
    uint32_t validityCheck = 0; // FLDV* state
    uint32_t rights = 0;        // field rights: 0 read/write, 1 read-only, 2 none
    uint16_t calcField = 0;     // engine-maintained
    uint16_t unused[2] = {};    // spare; callers may keep their own bookkeeping here
};
#pragma pack(pop)

static_assert(sizeof(FieldDescriptor) == 62);
static_assert(offsetof(FieldDescriptor, fieldNumber) == 0);
static_assert(offsetof(FieldDescriptor, name) == 2);
static_assert(offsetof(FieldDescriptor, type) == 34);
static_assert(offsetof(FieldDescriptor, subType) == 36);
static_assert(offsetof(FieldDescriptor, units1) == 38);
static_assert(offsetof(FieldDescriptor, units2) == 40);
static_assert(offsetof(FieldDescriptor, offset) == 42);
static_assert(offsetof(FieldDescriptor, length) == 44);
static_assert(offsetof(FieldDescriptor, nullOffset) == 46);
static_assert(offsetof(FieldDescriptor, validityCheck) == 48);
static_assert(offsetof(FieldDescriptor, rights) == 52);
static_assert(offsetof(FieldDescriptor, calcField) == 56);
static_assert(offsetof(FieldDescriptor, unused) == 58);

// An engine option ("LEVEL", "LANGDRIVER", "BLOCK SIZE"): name, value offset and length.
using OptionalParameter = FieldDescriptor;

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

#pragma pack(push, 1)

// A request to create or restructure one table. Arrays are owned by the caller.
struct TableDescriptor {
    char tableName[261] = {};       // table name, optionally with extension
    char driverType[32] = {};       // "PARADOX"
    char errorTableName[261] = {};
    char userName[32] = {};
    char password[32] = {};         // master password when protectedFlag is 1
    uint16_t protectedFlag = 0;
    uint16_t pack = 0;
    uint16_t fieldCount = 0;
    OperationCode* fieldOps = nullptr;
    FieldDescriptor* fields = nullptr;
    uint16_t indexCount = 0;
    OperationCode* indexOps = nullptr;
    IndexDescriptor* indexes = nullptr;
    uint16_t securityCount = 0;
    OperationCode* securityOps = nullptr;
    SecurityDescriptor* security = nullptr;
    uint16_t checkCount = 0;
    OperationCode* checkOps = nullptr;
    ValidityCheckDescriptor* checks = nullptr;
    uint16_t linkCount = 0;
    OperationCode* linkOps = nullptr;
    RILinkDescriptor* links = nullptr;
    uint16_t optionCount = 0;
    OptionalParameter* options = nullptr;
    char* optionData = nullptr;     // option values, each zero-terminated, at OptionalParameter::offset
};
#pragma pack(pop)

namespace descriptor_layout {
inline constexpr std::size_t kPtr = sizeof(void*);
inline constexpr std::size_t kFieldCount = 622;
inline constexpr std::size_t kIndexCount = kFieldCount + 2 + 2 * kPtr;
inline constexpr std::size_t kSecurityCount = kIndexCount + 2 + 2 * kPtr;
inline constexpr std::size_t kCheckCount = kSecurityCount + 2 + 2 * kPtr;
inline constexpr std::size_t kLinkCount = kCheckCount + 2 + 2 * kPtr;
inline constexpr std::size_t kOptionCount = kLinkCount + 2 + 2 * kPtr;
inline constexpr std::size_t kSize = kOptionCount + 2 + 2 * kPtr;
}  // namespace descriptor_layout

static_assert(offsetof(TableDescriptor, tableName) == 0);
static_assert(offsetof(TableDescriptor, driverType) == 261);
static_assert(offsetof(TableDescriptor, errorTableName) == 293);
static_assert(offsetof(TableDescriptor, userName) == 554);
static_assert(offsetof(TableDescriptor, password) == 586);
static_assert(offsetof(TableDescriptor, protectedFlag) == 618);
static_assert(offsetof(TableDescriptor, pack) == 620);
static_assert(offsetof(TableDescriptor, fieldCount) == descriptor_layout::kFieldCount);
static_assert(offsetof(TableDescriptor, fieldOps) == descriptor_layout::kFieldCount + 2);
static_assert(offsetof(TableDescriptor, fields) == descriptor_layout::kFieldCount + 2 + descriptor_layout::kPtr);
static_assert(offsetof(TableDescriptor, indexCount) == descriptor_layout::kIndexCount);
static_assert(offsetof(TableDescriptor, indexes) == descriptor_layout::kIndexCount + 2 + descriptor_layout::kPtr);
static_assert(offsetof(TableDescriptor, securityCount) == descriptor_layout::kSecurityCount);
static_assert(offsetof(TableDescriptor, security) == descriptor_layout::kSecurityCount + 2 + descriptor_layout::kPtr);
static_assert(offsetof(TableDescriptor, checkCount) == descriptor_layout::kCheckCount);
static_assert(offsetof(TableDescriptor, checks) == descriptor_layout::kCheckCount + 2 + descriptor_layout::kPtr);
static_assert(offsetof(TableDescriptor, linkCount) == descriptor_layout::kLinkCount);
static_assert(offsetof(TableDescriptor, links) == descriptor_layout::kLinkCount + 2 + descriptor_layout::kPtr);
static_assert(offsetof(TableDescriptor, optionCount) == descriptor_layout::kOptionCount);
static_assert(offsetof(TableDescriptor, options) == descriptor_layout::kOptionCount + 2);
static_assert(offsetof(TableDescriptor, optionData) == descriptor_layout::kOptionCount + 2 + descriptor_layout::kPtr);
static_assert(sizeof(TableDescriptor) == descriptor_layout::kSize);

}  // namespace vortab
