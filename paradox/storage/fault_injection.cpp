// The step counter and the armed step behind FaultPoint(); the environment variable arms the
// switch once so that a forked child or a separate process can be stopped at a chosen step.
#include "paradox/storage/fault_injection.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>

#include "paradox/storage/engine_error.h"

namespace paradox::fault {

namespace {
std::atomic<uint32_t> g_armed{0};
std::atomic<uint8_t> g_mode{static_cast<uint8_t>(Mode::Exit)};
std::atomic<uint32_t> g_count{0};
std::atomic<const char*> g_last{""};
std::once_flag g_envOnce;
std::atomic<uint32_t> g_syncArmed{0};
std::atomic<uint32_t> g_syncCount{0};

void ReadEnvironment() {
    std::call_once(g_envOnce, [] {
        const char* v = std::getenv(kEnvVar);
        if (!v || !*v) return;
        char* end = nullptr;
        const unsigned long n = std::strtoul(v, &end, 10);
        if (end && *end == '\0' && n > 0 && n < 0xFFFFFFFFul) {
            g_mode = static_cast<uint8_t>(Mode::Exit);
            g_count = 0;
            g_armed = static_cast<uint32_t>(n);
        }
    });
}
}  // namespace

void Arm(uint32_t n, Mode mode) {
    ReadEnvironment();  // an explicit call wins over the environment
    g_mode = static_cast<uint8_t>(mode);
    g_count = 0;
    g_armed = n;
}

void Disarm() { Arm(0); }

uint32_t StepsTaken() { return g_count.load(); }

void ResetCounter() { g_count = 0; }

const char* LastStep() { return g_last.load(); }

void FaultPoint(const char* what) {
    ReadEnvironment();
    g_last = what;
    const uint32_t step = ++g_count;
    const uint32_t armed = g_armed.load();
    if (armed == 0 || step != armed) return;
    if (static_cast<Mode>(g_mode.load()) == Mode::Exit) ::_exit(kExitCode);
    g_armed = 0;  // one failure per arming
    throw EngineError(err::kWriteErr, std::string("injected fault at step ") + std::to_string(step) + " (" + what + ")");
}

void ArmSyncFailure(uint32_t n) {
    g_syncCount = 0;
    g_syncArmed = n;
}

uint32_t SyncsTaken() { return g_syncCount.load(); }

bool SyncShouldFail() {
    const uint32_t sync = ++g_syncCount;
    uint32_t armed = g_syncArmed.load();
    return armed != 0 && sync == armed && g_syncArmed.compare_exchange_strong(armed, 0);
}

}  // namespace paradox::fault
