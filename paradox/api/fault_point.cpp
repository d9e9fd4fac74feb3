// Fault points of programs built on the engine: the engine's own counter.
#include "paradox/api/fault_point.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/storage/fault_injection.h"

namespace paradox::api {

void FaultPoint(const char* what) {
    detail::Call([&] { paradox::fault::FaultPoint(what); });
}

}  // namespace paradox::api
