// Fault injection for crash-safety tests: every durable step of a multi-file write calls
// FaultPoint(); when the armed step number is reached the process stops there (as if killed)
// or, in throwing mode, the step raises an EngineError. Off unless armed; costs one atomic load.
#pragma once
#include <cstdint>

namespace paradox::fault {

enum class Mode : uint8_t {
    Exit,   // _exit(kExitCode) at the armed step: no destructors, no flush, like a kill
    Throw,  // EngineError(kWriteErr) at the armed step: exercises the failure paths in-process
};

inline constexpr int kExitCode = 86;

// Environment variable read once at first use: "N" arms step N in Exit mode.
inline constexpr const char* kEnvVar = "VORTAB_FAULT_STEP";

// Arms step n (1-based) and resets the step counter; 0 disarms.
void Arm(uint32_t n, Mode mode = Mode::Exit);
void Disarm();
// Steps counted since the last Arm()/ResetCounter() (also counted while disarmed).
uint32_t StepsTaken();
void ResetCounter();

// Marks one step; `what` names it (kept for the last-step report). Stops or throws when armed.
void FaultPoint(const char* what);
// Name of the most recent step (for test diagnostics).
const char* LastStep();

// Sync failures, counted apart from the steps above: the n-th sync of a file or a directory
// after arming fails with EIO, once, as a failing disk or a full network share would make it
// (0 disarms). Syncs are counted also while disarmed.
void ArmSyncFailure(uint32_t n);
uint32_t SyncsTaken();
// Counts one sync; true when it is the armed one. The disk door asks before every sync.
bool SyncShouldFail();

}  // namespace paradox::fault
