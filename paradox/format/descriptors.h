// The engine's own interface records: table, field and option descriptors with their operation
// codes, and the field type constants. They stay inside the engine; its face (paradox/api/)
// converts them to plain types.
// Packed, zero-initialised, same member order and widths as the original engine's records;
// pointers are native width (the original had 32-bit pointers), every offset is static_assert'ed.
#pragma once
#include <cstddef>
#include <cstdint>

namespace paradox {

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

// Descriptor types defined next to the secondary-index, security, validity-check and
// referential-integrity code.
struct IndexDescriptor;
struct SecurityDescriptor;
struct ValidityCheckDescriptor;
struct RILinkDescriptor;

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

}  // namespace paradox
