// A table's structure in plain types: its properties, fields, indexes, validity checks, links
// and auxiliary passwords, as the engine reports them and as create and restructure requests
// give them. Numbers follow the original engine's interface records (field type codes, index
// flags, rights), so callers that keep such records convert member by member.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "paradox/api/export.h"

namespace paradox::api {

// Logical field types and subtypes, as the script language names them (FLDZSTRING = 1 ...).
enum class FieldType : std::int16_t {
    Unknown = 0, ZString = 1, Date = 2, Blob = 3, Bool = 4, Int16 = 5, Int32 = 6, Float = 7,
    Bcd = 8, Bytes = 9, Time = 10, Timestamp = 11, UInt16 = 12, UInt32 = 13, FloatIeee = 14,
    VarBytes = 15,
};
enum class FieldSubtype : std::int16_t {
    None = 0, Money = 21, Memo = 22, Binary = 23, FmtMemo = 24, OleObject = 25, Graphic = 26,
    DbSoleObject = 27, TypedBinary = 28, AutoInc = 29,
};

// The type a Paradox table stores for a field (its header code).
enum class ParadoxType : std::uint8_t {
    Alpha = 0x01, Date = 0x02, Short = 0x03, Long = 0x04, Money = 0x05, Number = 0x06,
    Logical = 0x09, Memo = 0x0C, Blob = 0x0D, FmtMemo = 0x0E, Ole = 0x0F, Graphic = 0x10,
    Time = 0x14, Timestamp = 0x15, AutoInc = 0x16, Bcd = 0x17, Bytes = 0x18,
};
// The letter Paradox shows for a type ('A', 'N', '$', '+', '#', ...).
PARADOX_API char ParadoxTypeLetter(ParadoxType type);
inline bool IsBlobType(ParadoxType t) {
    return t == ParadoxType::Memo || t == ParadoxType::Blob || t == ParadoxType::FmtMemo ||
           t == ParadoxType::Ole || t == ParadoxType::Graphic;
}

struct Field {
    std::uint16_t number = 0;  // 1-based position; 0 for a field being added
    std::string name;          // table code page
    FieldType type = FieldType::Unknown;
    FieldSubtype subType = FieldSubtype::None;
    std::int16_t units1 = 0;   // length, precision or blob leader
    std::int16_t units2 = 0;   // decimals
    std::uint16_t offset = 0;  // in the record buffer
    std::uint16_t length = 0;  // bytes in the record buffer
    std::uint16_t nullOffset = 0;
    std::uint32_t validityCheck = 0;  // 0 none, 1 has checks, 2 unknown
    std::uint32_t rights = 0;         // 0 read/write, 1 read-only, 2 none
    std::uint16_t calcField = 0;
    // As the table's header stores the field (reports only; requests leave them alone).
    ParadoxType paradoxType = ParadoxType::Alpha;
    std::uint8_t sizeByte = 0;  // length, leader + 10, BCD decimals
    std::uint16_t width = 0;    // bytes in the record
    // Blob fields: bytes of the value kept in the record before the 10-byte pointer.
    std::uint16_t leader() const { return width >= 10 ? static_cast<std::uint16_t>(width - 10) : 0; }
};

inline constexpr std::size_t kMaxKeyFields = 16;

struct Index {
    std::string name;  // empty for the Paradox primary index
    std::uint16_t indexId = 0;
    std::string tagName, format;
    bool primary = false, unique = false, descending = false, maintained = false;
    bool subset = false, expression = false;
    std::uint16_t cost = 0;
    std::vector<std::uint16_t> keyFields;  // 1-based field numbers, at most kMaxKeyFields
    std::vector<bool> keyDescending;       // per key field (one left out: ascending)
    std::uint16_t keyLength = 0;
    std::uint16_t outOfDate = 0;
    std::uint16_t keyExpressionType = 0;
    std::string keyExpression, keyCondition;
    bool caseInsensitive = false;
    std::uint16_t blockSize = 0;
    std::uint16_t restructureNumber = 0;
};

inline constexpr std::size_t kCheckValueSize = 256;
// A check value in the native form of its field: integers and doubles in host byte order, text
// zero-terminated, BCD as precision byte, sign|decimals byte and 32 packed decimal digits.
using NativeValue = std::array<std::uint8_t, kCheckValueSize>;

enum class CheckValueKind : std::uint16_t { None = 0, Value = 1, Today = 2, Now = 3 };
enum class LookupKind : std::uint32_t {
    None = 0, Private = 1, AllCorresponding = 2, Help = 3, AllCorrespondingHelp = 4,
};

struct Check {
    std::uint16_t fieldNumber = 0;  // 1-based
    bool required = false;
    CheckValueKind minimumKind = CheckValueKind::None;
    CheckValueKind maximumKind = CheckValueKind::None;
    CheckValueKind defaultKind = CheckValueKind::None;
    NativeValue minimum{}, maximum{}, defaultValue{};
    std::string picture;
    LookupKind lookupKind = LookupKind::None;
    std::string lookupTable;
};

// The exact decimal text of a native BCD value ('.' as the point); nullopt when damaged.
PARADOX_API std::optional<std::string> NativeBcdText(const NativeValue& native);
// A decimal text ('-', digits, '.') as a native BCD value with that many decimals.
PARADOX_API NativeValue NativeBcd(const std::string& text, int decimals);

enum class LinkKind : std::uint32_t { Master = 0, Dependent = 1 };
enum class LinkRule : std::uint32_t { Restrict = 0, Cascade = 1 };

// A referential-integrity link, seen from the table that holds it.
struct Link {
    std::uint16_t number = 0;  // engine-maintained
    std::string name;
    LinkKind kind = LinkKind::Master;
    std::string otherTable;    // the other table's file name
    LinkRule updateRule = LinkRule::Restrict;
    LinkRule deleteRule = LinkRule::Restrict;
    std::vector<std::uint16_t> thisFields;   // 1-based, at most kMaxKeyFields
    std::vector<std::uint16_t> otherFields;
};

inline constexpr std::size_t kMaxFieldRights = 256;

// One auxiliary password with its table, family and field rights (the rights values of the
// original engine: table 0, 1, 3, 7, 15, 31; family bits 1, 2, 4, 8; fields 0, 1, 31).
struct SecurityEntry {
    std::uint16_t entryNumber = 0;  // 0 for a new entry
    std::uint32_t tableRights = 0;
    std::uint16_t familyRights = 0;
    std::string password;
    std::vector<std::uint32_t> fieldRights;  // one per field in field order
};

struct TableProperties {
    std::string name;               // file name as found on disk, without directory
    std::string driverType = "PARADOX";
    std::uint16_t fieldCount = 0;
    std::uint16_t keyFields = 0;
    std::uint16_t indexCount = 0;        // 1 when keyed; secondary indexes not counted
    std::uint32_t recordCount = 0;
    std::uint16_t recordSize = 0;        // bytes per record on disk
    std::uint16_t recordBufferSize = 0;
    std::uint16_t level = 0;             // 3, 4, 5 or 7
    std::uint8_t fileVersion = 0;
    std::uint16_t blockSizeKb = 0;
    std::uint16_t codePage = 0;          // 0 when the header has none (level 3)
    std::uint8_t sortOrder = 0;
    std::string languageDriver;          // short driver name ("ascii", "ANSIINTL", ...)
    bool strictIntegrity = false;
    bool isProtected = false;            // has a master password
    std::uint16_t auxPasswords = 0;
    std::uint16_t restructureVersion = 0;
    std::uint32_t autoIncValue = 0;
    std::uint16_t usedBlocks = 0;
    std::uint16_t fileBlocks = 0;
    bool writeProtected = false;
};

// The code page of a language driver's texts (by its short name); 0 when the driver is unknown.
PARADOX_API std::uint16_t LanguageDriverCodePage(const std::string& languageDriver);

// What a table's .VAL holds: the validity checks and the links.
struct ValidityFile {
    std::vector<Check> checks;
    std::vector<Link> links;
    bool stale = false;  // written for an older version of the table
};

}  // namespace paradox::api
