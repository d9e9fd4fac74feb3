// EngineError: every failure of the engine as its callers see it, with the original engine's
// numeric code (8448 and up) and its message (the code's text, then what failed). The class and
// its type information are exported, so a catch in a program or another library matches it.
#pragma once
#include <stdexcept>
#include <string>

#include "paradox/api/export.h"

namespace paradox::api {

// The codes callers look for; every other code reaches them as its number and text.
namespace err {
inline constexpr int kMasterMissing = 9733;
inline constexpr int kRintReqIndex = 9748;
inline constexpr int kInvalidParam = 9986;
inline constexpr int kKeyFieldTypeMismatch = 9995;
inline constexpr int kInvalidModifyRequest = 9996;
inline constexpr int kNoSuchIndex = 9997;
inline constexpr int kInvalidFieldDesc = 10001;
inline constexpr int kInvalidRestructOp = 10012;
inline constexpr int kNoSuchTable = 10024;
inline constexpr int kDirBusy = 10244;
inline constexpr int kNotSufficientTableRights = 10498;
}  // namespace err

// The engine's message text for a code (at most 127 characters); a generic text when unknown.
PARADOX_API std::string ErrorText(int code);

class PARADOX_API EngineError : public std::runtime_error {
public:
    // The message is ErrorText(code), followed by ": detail" when a detail is given.
    explicit EngineError(int code, const std::string& detail = {});
    ~EngineError() override;
    int code() const noexcept { return code_; }

    // An error with this code whose message is exactly `message`.
    static EngineError WithMessage(int code, const std::string& message);

private:
    struct WholeMessage {};
    EngineError(int code, const std::string& message, WholeMessage);
    int code_;
};

}  // namespace paradox::api
