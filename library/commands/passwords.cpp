#include "library/commands/passwords.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <set>

#include "library/engine/engine.h"
#include "library/engine/engine_session.h"

namespace vortab {
namespace {

std::atomic<VortabPasswordCallback> passwordCallback{nullptr};

std::uint32_t LittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

void AddKnownPassword(const std::string& password) { EngineSession().addPassword(password); }

bool IsKnownChecksum(std::uint32_t checksum) {
    return EngineSession().knowsPassword(checksum);
}

VortabPasswordCallback ExchangePasswordCallback(VortabPasswordCallback callback) {
    return passwordCallback.exchange(callback);
}

std::string RequestPassword(const std::string& tableName, std::uint32_t checksum) {
    // A caller that gives the same wrong answer again would be asked for ever: the request
    // ends there. Someone typing a new password each time may go on trying.
    std::set<std::string> wrongAnswers;
    for (;;) {
        const VortabPasswordCallback callback = passwordCallback.load();
        if (!callback) throw engine::EngineError(engine::err::kNotSufficientTableRights);
        const char* answer = callback(tableName.c_str());
        if (!answer) throw engine::EngineError(engine::err::kNotSufficientTableRights);
        std::string password(answer);
        if (!password.empty() && engine::PasswordChecksum(password) == checksum) return password;
        if (!wrongAnswers.insert(std::move(password)).second)
            throw engine::EngineError(engine::err::kNotSufficientTableRights);
    }
}

void MasterPasswordFor(std::uint32_t checksum, TableDescriptor& descriptor) {
    std::memset(descriptor.password, 0, sizeof descriptor.password);
    descriptor.protectedFlag = 0;
    if (checksum == 0) return;
    const std::optional<std::string> password = EngineSession().findPassword(checksum);
    if (!password) throw engine::EngineError(engine::err::kNotSufficientTableRights);
    const std::size_t n = std::min(password->size(), sizeof descriptor.password - 1);
    std::memcpy(descriptor.password, password->data(), n);
    descriptor.protectedFlag = 1;
}

std::uint32_t HeaderChecksum(const std::string& path) {
    unsigned char header[120] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    in.read(reinterpret_cast<char*>(header), sizeof header);
    return header[57] < 5 ? LittleEndian32(header + 37) : LittleEndian32(header + 92);
}

}  // namespace vortab
