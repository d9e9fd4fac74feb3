// The process's default session: the table format's password checksum, the default alias file.
#include "paradox/format/crypto.h"
#include "paradox/session/session.h"

namespace paradox {

Session& Session::Default() {
    static Session session(&PasswordChecksum);
    return session;
}

}  // namespace paradox
