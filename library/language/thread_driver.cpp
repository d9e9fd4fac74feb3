#include "library/language/thread_driver.h"

namespace vortab {
namespace {
thread_local DriverKind threadDriverKind = DriverKind::Paradox;
}

DriverKind CurrentDriverKind() { return threadDriverKind; }
void SetCurrentDriverKind(DriverKind kind) { threadDriverKind = kind; }

}  // namespace vortab
