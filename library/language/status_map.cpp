#include "library/language/status_map.h"

#include <new>

#include "library/engine/engine.h"
#include "library/language/errors.h"

namespace vortab {
namespace {

// Rows shared by both tables; false when the failure is none of them.
bool ArithmeticStatus(std::exception_ptr failure, StatusCode& code) {
    try {
        std::rethrow_exception(failure);
    } catch (const EVariantError&) {
        code = status::kVariantError;
    } catch (const EOverflow&) {
        code = status::kOverflow;
    } catch (const EZeroDivide&) {
        code = status::kZeroDivide;
    } catch (const EInvalidOp&) {
        code = status::kInvalidOperation;
    } catch (const std::bad_alloc&) {
        code = status::kInvalidOperation;
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace

StatusCode FailureStatus(std::exception_ptr failure) noexcept {
    if (!failure) return status::kSuccess;
    try {
        std::rethrow_exception(failure);
    } catch (const engine::EngineError& e) {
        return e.code();
    } catch (const EAlreadyUpdated&) {
        return status::kAlreadyUpdated;
    } catch (const EDriverMismatch& e) {
        const std::string expected = e.what();
        if (expected == "ASCIIDRV") return status::kNotAsciiTable;
        if (expected != "DBASE") return status::kNotParadoxTable;
        return status::kNotDbaseTable;
    } catch (const ENotSupportedByDriver&) {
        return status::kNotSupportedByDriver;
    } catch (const EUnsupported&) {
        return status::kUnsupported;
    } catch (...) {
        StatusCode code = status::kExecutionFailure;
        ArithmeticStatus(failure, code);
        return code;
    }
}

StatusCode EvaluationStatus(std::exception_ptr failure) noexcept {
    if (!failure) return status::kSuccess;
    try {
        std::rethrow_exception(failure);
    } catch (const engine::EngineError& e) {
        return e.code();  // a test function such as EXISTS_FIELD failed in the engine
    } catch (...) {
    }
    StatusCode code = status::kExecutionFailure;
    ArithmeticStatus(failure, code);
    return code;
}

}  // namespace vortab
