// EngineError: every failure of the Paradox engine, carrying the original engine's numeric
// error code (8448 and up) and a message of at most 127 characters.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace paradox {

namespace err {
inline constexpr int kSysFileOpen = 8449;
inline constexpr int kBof = 8705;
inline constexpr int kEof = 8706;
inline constexpr int kRecNotFound = 8710;
inline constexpr int kObjNotFound = 8712;
inline constexpr int kFamilyMemberNotFound = 8713;
inline constexpr int kBlobFileMissing = 8714;
inline constexpr int kLangDriverNotFound = 8715;
inline constexpr int kHeaderCorrupt = 8961;
inline constexpr int kFileCorrupt = 8962;
inline constexpr int kMemoCorrupt = 8963;
inline constexpr int kIndexCorrupt = 8965;
inline constexpr int kCorruptLockFile = 8966;
inline constexpr int kValFileCorrupt = 8968;
inline constexpr int kForeignIndex = 8969;
inline constexpr int kReadErr = 9217;
inline constexpr int kWriteErr = 9218;
inline constexpr int kDirNoAccess = 9219;
inline constexpr int kFileDeleteFail = 9220;
inline constexpr int kFileNoAccess = 9221;
inline constexpr int kNoDiskSpace = 9475;
inline constexpr int kRecTooBig = 9477;
inline constexpr int kTableFull = 9479;
inline constexpr int kIndexLimit = 9487;
inline constexpr int kFieldLimit = 9492;
inline constexpr int kPdx50NameLimit = 9499;
inline constexpr int kKeyViol = 9729;
inline constexpr int kMinValErr = 9730;
inline constexpr int kMaxValErr = 9731;
inline constexpr int kRequiredErr = 9732;
inline constexpr int kMasterMissing = 9733;
inline constexpr int kDetailRecordsExist = 9734;
inline constexpr int kDetailTablesExist = 9743;
inline constexpr int kRintReqIndex = 9748;
inline constexpr int kOutOfRange = 9985;
inline constexpr int kInvalidParam = 9986;
inline constexpr int kKeyFieldTypeMismatch = 9995;
inline constexpr int kInvalidFileName = 9987;
inline constexpr int kNoSuchFile = 9988;
inline constexpr int kInvalidModifyRequest = 9996;
inline constexpr int kNoSuchIndex = 9997;
inline constexpr int kInvalidFieldType = 10000;
inline constexpr int kInvalidFieldDesc = 10001;
inline constexpr int kInvalidFieldXform = 10002;
inline constexpr int kNameNotUnique = 10009;
inline constexpr int kInvalidRestructOp = 10012;
inline constexpr int kInvalidPassword = 10015;
inline constexpr int kInvalidIndexName = 10022;
inline constexpr int kInvalidIndexDesc = 10023;
inline constexpr int kNoSuchTable = 10024;
inline constexpr int kIndexExists = 10027;
inline constexpr int kTableOpen = 10031;
inline constexpr int kInvalidFieldName = 10038;
inline constexpr int kInvalidTableName = 10039;
inline constexpr int kInvalidLangDriver = 10043;
inline constexpr int kInvalidIndexType = 10048;
inline constexpr int kInvalidTableCreate = 10052;
inline constexpr int kInvalidIndexCreate = 10054;
inline constexpr int kLocked = 10241;
inline constexpr int kUnlockFailed = 10242;
inline constexpr int kFileBusy = 10243;
inline constexpr int kDirBusy = 10244;
inline constexpr int kFileLocked = 10245;
inline constexpr int kDirLocked = 10246;
inline constexpr int kNeedExclusiveAccess = 10253;
inline constexpr int kNotSufficientFieldRights = 10497;
inline constexpr int kNotSufficientTableRights = 10498;
inline constexpr int kNotSufficientFamilyRights = 10499;
inline constexpr int kReadOnlyDir = 10500;
inline constexpr int kTableReadOnly = 10763;
inline constexpr int kHasOpenCursors = 10765;
inline constexpr int kNoTableSupport = 10766;
inline constexpr int kOsNoEnt = 11010;
inline constexpr int kOsAccess = 11013;
inline constexpr int kOsShareViolation = 11058;
inline constexpr int kOsLockViolation = 11059;
inline constexpr int kInvalidOptParam = 11522;
inline constexpr int kNotSupported = 12289;
inline constexpr int kFileExists = 13057;
}  // namespace err

// The engine's message text for a code (at most 127 characters); a generic text when unknown.
std::string ErrorText(int code);

class EngineError : public std::runtime_error {
public:
    explicit EngineError(int code, const std::string& detail = {});
    int code() const noexcept { return code_; }
    // The text after the code's message (which file, what is wrong); empty when none was given.
    const std::string& detail() const noexcept { return detail_; }

private:
    int code_;
    std::string detail_;
};

}  // namespace paradox
