// Implementation only, never included outside paradox/api/: how the face calls the engine's
// layers. An engine failure leaves the face as the face's EngineError (same code, same message),
// and the plain types the face shares with the layers are converted here.
#pragma once
#include <utility>
#include <vector>

#include "paradox/api/engine_error.h"
#include "paradox/api/table.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"

namespace paradox::api::detail {

// Runs body, rethrowing an engine failure as the face's EngineError.
template <typename Body>
decltype(auto) Call(Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (const paradox::EngineError& e) {
        throw EngineError::WithMessage(e.code(), e.what());
    }
}

inline paradox::OpenOptions EngineOptions(const OpenOptions& options) { return {options.passwords, options.askPassword}; }

TableProperties PropertiesOf(const paradox::TableProperties& p);
Value ValueOf(const paradox::Value& v);
// The two kinds enumerate the same kinds in the same order.
inline ValueView ViewOf(const paradox::ValueView& v) {
    static_assert(static_cast<int>(paradox::ValueKind::Bcd) == static_cast<int>(ValueKind::Bcd));
    return ValueView(static_cast<ValueKind>(v.kind), v.integer, v.number, v.bytes);
}
paradox::Value EngineValue(const Value& v);
// The fields of an open table: its field descriptors with the header's storage facts.
std::vector<Field> FieldsOf(const paradox::Table& table);

}  // namespace paradox::api::detail
