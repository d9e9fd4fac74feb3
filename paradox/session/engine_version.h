// The engine's own version, reported to callers that check for a minimum engine release.
#pragma once
#include <cstdint>

namespace paradox {

struct EngineVersion {
    std::uint16_t major, minor, release, build;
};

inline constexpr EngineVersion kEngineVersion{5, 0, 0, 1};

// The version of the engine library actually loaded (kEngineVersion is the one a program was
// built against).
EngineVersion LoadedEngineVersion();

}  // namespace paradox
