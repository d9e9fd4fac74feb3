#include "editor/ui/builtin_password.h"

#include <array>
#include <exception>

#include "paradox/api/session.h"

namespace vortab::ui {

std::string BuiltInTablePassword() {
    static constexpr std::array<unsigned char, 8> kScrambled{0x4d, 0x62, 0x7b, 0x7d, 0x78, 0x38, 0x60, 0x2c};
    std::string password;
    for (std::size_t n = 1; n <= kScrambled.size(); ++n)
        password += static_cast<char>(kScrambled[n - 1] ^ static_cast<unsigned char>(n + 5));
    return password;
}

bool AddBuiltInTablePassword(std::string& error) {
    try {
        paradox::api::Session::Default().addPassword(BuiltInTablePassword());
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

}  // namespace vortab::ui
