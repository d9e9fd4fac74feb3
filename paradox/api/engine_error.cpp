// The face's error: the engine's texts, and a type whose information the library exports.
#include "paradox/api/engine_error.h"

#include "paradox/storage/engine_error.h"

namespace paradox::api {

static_assert(err::kMasterMissing == paradox::err::kMasterMissing);
static_assert(err::kRintReqIndex == paradox::err::kRintReqIndex);
static_assert(err::kInvalidParam == paradox::err::kInvalidParam);
static_assert(err::kKeyFieldTypeMismatch == paradox::err::kKeyFieldTypeMismatch);
static_assert(err::kInvalidModifyRequest == paradox::err::kInvalidModifyRequest);
static_assert(err::kNoSuchIndex == paradox::err::kNoSuchIndex);
static_assert(err::kInvalidRestructOp == paradox::err::kInvalidRestructOp);
static_assert(err::kInvalidFieldDesc == paradox::err::kInvalidFieldDesc);
static_assert(err::kNoSuchTable == paradox::err::kNoSuchTable);
static_assert(err::kDirBusy == paradox::err::kDirBusy);
static_assert(err::kNotSufficientTableRights == paradox::err::kNotSufficientTableRights);

namespace {

// The message the engine gives a failure with this code and detail.
std::string MessageOf(int code, const std::string& detail) { return paradox::EngineError(code, detail).what(); }

}  // namespace

std::string ErrorText(int code) { return paradox::ErrorText(code); }

EngineError::EngineError(int code, const std::string& detail)
    : EngineError(code, MessageOf(code, detail), WholeMessage{}) {}

EngineError::EngineError(int code, const std::string& message, WholeMessage)
    : std::runtime_error(message), code_(code) {}

EngineError::~EngineError() = default;

EngineError EngineError::WithMessage(int code, const std::string& message) {
    return EngineError(code, message, WholeMessage{});
}

}  // namespace paradox::api
