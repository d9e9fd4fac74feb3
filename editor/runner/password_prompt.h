// The password prompt the library calls back when a protected table opens with none of the
// known passwords. The front end supplies the question (a dialog, a terminal prompt without
// echo); a registration hands it to the library for as long as it lives and then puts back the
// callback that was there before. Answers of 1 to 15 characters are passed on; any other
// answer, or none, tells the library that no password is available (it then fails with 10498).
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "editor/runner/library_binding.h"

namespace vortab {

inline constexpr std::size_t kMaxPromptPassword = 15;

// Given the table's name (8-bit), returns the password (8-bit) or nullopt to give up.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& table)>;

class PasswordPromptRegistration {
public:
    // An empty prompt registers no callback: a protected table then fails with 10498.
    PasswordPromptRegistration(LibraryBinding& binding, PasswordPrompt prompt);
    ~PasswordPromptRegistration();
    PasswordPromptRegistration(const PasswordPromptRegistration&) = delete;
    PasswordPromptRegistration& operator=(const PasswordPromptRegistration&) = delete;

private:
    LibraryBinding& binding_;
    PasswordPrompt prompt_;
    PasswordPrompt* outer_;  // the registration this one stands in for
    VortabPasswordCallback previous_;
};

}  // namespace vortab
