#include "library/commands/known_passwords.h"

#include <atomic>
#include <mutex>

#include "paradox/table.h"

namespace vortab {
namespace {

struct KnownPassword {
    std::string password;
    std::uint32_t checksum;
};

std::mutex& PasswordLock() {
    static std::mutex lock;
    return lock;
}

std::vector<KnownPassword>& Passwords() {
    static std::vector<KnownPassword> list;
    return list;
}

std::atomic<VortabPasswordCallback> passwordCallback{nullptr};

}  // namespace

void AddKnownPassword(const std::string& password) {
    if (password.empty()) return;
    std::lock_guard<std::mutex> guard(PasswordLock());
    const std::uint32_t checksum = paradox::PasswordChecksum(password);
    for (const KnownPassword& known : Passwords())
        if (known.checksum == checksum) return;
    Passwords().push_back({password, checksum});
}

std::vector<std::string> KnownPasswordList() {
    std::lock_guard<std::mutex> guard(PasswordLock());
    std::vector<std::string> list;
    for (const KnownPassword& known : Passwords()) list.push_back(known.password);
    return list;
}

void ClearKnownPasswords() {
    std::lock_guard<std::mutex> guard(PasswordLock());
    Passwords().clear();
}

VortabPasswordCallback ExchangePasswordCallback(VortabPasswordCallback callback) {
    return passwordCallback.exchange(callback);
}

VortabPasswordCallback CurrentPasswordCallback() { return passwordCallback.load(); }

}  // namespace vortab
