#include "paradox/storage/engine_error.h"

#include <algorithm>
#include <array>
#include <utility>

namespace paradox {
namespace {

constexpr std::size_t kMaxMessage = 127;

constexpr std::array<std::pair<int, const char*>, 84> kTexts{{
    {err::kSysFileOpen, "Cannot open a system file"},
    {err::kBof, "At beginning of table"},
    {err::kEof, "At end of table"},
    {err::kRecNotFound, "Could not find record"},
    {err::kObjNotFound, "Could not find object"},
    {err::kFamilyMemberNotFound, "Could not find family member"},
    {err::kBlobFileMissing, "BLOB file is missing"},
    {err::kLangDriverNotFound, "Could not find language driver"},
    {err::kHeaderCorrupt, "Corrupt table/index header"},
    {err::kFileCorrupt, "Corrupt file - other than header"},
    {err::kMemoCorrupt, "Corrupt Memo/BLOB file"},
    {err::kIndexCorrupt, "Corrupt index"},
    {err::kCorruptLockFile, "Corrupt lock file"},
    {8967, "Corrupt family file"},
    {err::kValFileCorrupt, "Corrupt or missing .VAL file"},
    {err::kForeignIndex, "Foreign index file format"},
    {err::kReadErr, "Read failure"},
    {err::kWriteErr, "Write failure"},
    {err::kDirNoAccess, "Cannot access directory"},
    {err::kFileDeleteFail, "File Delete operation failed"},
    {err::kFileNoAccess, "Cannot access file"},
    {err::kNoDiskSpace, "Insufficient disk space"},
    {err::kRecTooBig, "Record size is too big for table"},
    {err::kTableFull, "Table is full"},
    {err::kIndexLimit, "Too many indexes on table"},
    {err::kFieldLimit, "Too many fields in Table Create"},
    {9499, "File name is too long for a Paradox version 5.0 table"},
    {9501, "Long name not allowed for this tablelevel"},
    {err::kKeyViol, "Key violation"},
    {err::kMinValErr, "Minimum validity check failed"},
    {err::kMaxValErr, "Maximum validity check failed"},
    {err::kRequiredErr, "Field value required"},
    {err::kMasterMissing, "Master record missing"},
    {err::kDetailRecordsExist, "Master has detail records. Cannot delete or modify"},
    {9735, "Master table level is incorrect"},
    {9736, "Field value out of lookup table range"},
    {9741, "Link to master table already defined"},
    {9742, "Master table is open"},
    {9743, "Detail table(s) exist"},
    {9746, "Detail table is open"},
    {err::kRintReqIndex, "Referential integrity fields must be indexed"},
    {9749, "A table linked by referential integrity requires password to open"},
    {9750, "Field(s) linked to more than one master"},
    {err::kOutOfRange, "Number is out of range"},
    {err::kInvalidParam, "Invalid parameter"},
    {err::kInvalidFileName, "Invalid file name"},
    {err::kNoSuchFile, "File does not exist"},
    {9993, "Cannot redefine primary key"},
    {9995, "Foreign and primary key do not match"},
    {err::kInvalidModifyRequest, "Invalid modify request"},
    {err::kNoSuchIndex, "Index does not exist"},
    {err::kInvalidFieldType, "Invalid field type"},
    {err::kInvalidFieldDesc, "Invalid field descriptor"},
    {err::kInvalidFieldXform, "Invalid field transformation"},
    {10005, "Invalid array of index descriptors"},
    {10006, "Invalid array of validity check descriptors"},
    {10007, "Invalid array of referential integrity descriptors"},
    {err::kNameNotUnique, "Name not unique in this context"},
    {10010, "Index name required"},
    {err::kInvalidRestructOp, "invalid restructure operation"},
    {err::kInvalidPassword, "Invalid password given"},
    {err::kInvalidIndexName, "Invalid index/tag name"},
    {err::kInvalidIndexDesc, "Invalid index descriptor"},
    {err::kNoSuchTable, "Table does not exist"},
    {err::kIndexExists, "Index already exists"},
    {err::kTableOpen, "Table is open"},
    {10032, "Need to do (hard) restructure"},
    {err::kInvalidFieldName, "Invalid field name"},
    {err::kInvalidTableName, "Invalid table name"},
    {err::kInvalidLangDriver, "Invalid language Driver"},
    {err::kInvalidIndexType, "Invalid index type"},
    {err::kInvalidTableCreate, "Invalid table create request"},
    {err::kInvalidIndexCreate, "Invalid index create request"},
    {err::kLocked, "Record locked by another user"},
    {err::kUnlockFailed, "Unlock failed"},
    {err::kFileBusy, "Table is busy"},
    {err::kDirBusy, "Directory is busy"},
    {err::kFileLocked, "File is locked"},
    {err::kDirLocked, "Directory is locked"},
    {err::kNeedExclusiveAccess, "Table cannot be opened for exclusive use"},
    {err::kNotSufficientFieldRights, "Insufficient field rights for operation"},
    {err::kNotSufficientTableRights,
     "Insufficient table rights for operation. Password required"},
    {err::kNotSufficientFamilyRights, "Insufficient family rights for operation"},
    {err::kReadOnlyDir, "This directory is read only"},
}};

constexpr std::array<std::pair<int, const char*>, 15> kMoreTexts{{
    {10249, "Lock time out"},
    {err::kTableReadOnly, "Table is read only"},
    {err::kHasOpenCursors, "Table(s) open. Cannot perform this operation"},
    {err::kNoTableSupport, "Table does not support this operation"},
    {err::kOsNoEnt, "File or directory does not exist"},
    {err::kOsAccess, "Permission denied"},
    {err::kOsShareViolation, "Share violation"},
    {err::kOsLockViolation, "Lock violation"},
    {11268, "Cannot lock network file"},
    {err::kInvalidOptParam, "Invalid optional parameter"},
    {err::kNotSupported, "Capability not supported"},
    {err::kFileExists, "File already exists"},
    {10014, "Unknown database"},
    {10018, "Invalid directory"},
    {10758, "Engine not initialized"},
}};

template <typename Table>
const char* Lookup(const Table& table, int code) {
    auto it = std::find_if(table.begin(), table.end(),
                           [code](const auto& entry) { return entry.first == code; });
    return it == table.end() ? nullptr : it->second;
}

}  // namespace

std::string ErrorText(int code) {
    const char* text = Lookup(kTexts, code);
    if (!text) text = Lookup(kMoreTexts, code);
    std::string message = text ? text : "Engine error " + std::to_string(code);
    if (message.size() > kMaxMessage) message.resize(kMaxMessage);
    return message;
}

EngineError::EngineError(int code, const std::string& detail)
    : std::runtime_error(detail.empty() ? ErrorText(code) : ErrorText(code) + ": " + detail),
      code_(code), detail_(detail) {}

}  // namespace paradox
