// Implementation only, never included outside paradox/api/: the engine session behind a face
// Session (the process's own, or one the face session owns), for the databases opened in it.
#pragma once
#include <memory>

#include "paradox/api/session.h"
#include "paradox/session/session.h"

namespace paradox::api {

struct PARADOX_HIDDEN Session::Impl {
    Impl();  // a session of its own
    explicit Impl(paradox::Session& shared);

    std::unique_ptr<paradox::Session> owned;
    paradox::Session& engine;
};

}  // namespace paradox::api
