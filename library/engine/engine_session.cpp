#include "library/engine/engine_session.h"

namespace vortab {
namespace {

struct LoadedEngine {
    engine::Session session;
    bool started = false;

    LoadedEngine() {
        try {
            session.start();
            // NoDefaultpassword: a protected table without a known password fails to open.
            session.setPasswordEvent([](const std::string&) { return engine::PasswordReply::Abort; });
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
    static LoadedEngine loaded;
    return loaded;
}

// Starts the engine as soon as the library is loaded.
[[maybe_unused]] LoadedEngine& loadedEngine = Engine();

}  // namespace

engine::Session& EngineSession() { return Engine().session; }
bool EngineStarted() { return Engine().started; }
engine::EngineVersion LoadedEngineVersion() {
    return EngineStarted() ? engine::LoadedEngineVersion() : engine::EngineVersion{0, 0, 0, 0};
}

}  // namespace vortab
