#include "library/engine/engine_session.h"

#include "paradox/table/table.h"

namespace vortab {
namespace {

struct LoadedEngine {
    paradox::Session session{&paradox::PasswordChecksum};
    bool started = false;

    LoadedEngine() {
        try {
            session.start();
            // NoDefaultpassword: a protected table without a known password fails to open.
            session.setPasswordEvent([](const std::string&) { return paradox::PasswordReply::Abort; });
            started = true;
        } catch (...) {
            started = false;
        }
    }
    ~LoadedEngine() {
        if (!started) return;
        try {
            session.stop();
        } catch (...) {
        }
    }
};

LoadedEngine& Engine() {
    static LoadedEngine engine;
    return engine;
}

// Starts the engine as soon as the library is loaded.
[[maybe_unused]] LoadedEngine& loadedEngine = Engine();

}  // namespace

paradox::Session& EngineSession() { return Engine().session; }
bool EngineStarted() { return Engine().started; }
paradox::EngineVersion LoadedEngineVersion() {
    return EngineStarted() ? paradox::kEngineVersion : paradox::EngineVersion{0, 0, 0, 0};
}

}  // namespace vortab
