#include "editor/runner/password_prompt.h"

#include <string.h>

namespace vortab {
namespace {

// The library calls back synchronously on the thread that called it, and a program runs one
// script at a time, so one active prompt and one answer buffer serve the process.
PasswordPrompt* activePrompt = nullptr;
char answer[kMaxPromptPassword + 1];

const char* VORTAB_API AskActivePrompt(const char* table) {
    explicit_bzero(answer, sizeof answer);
    if (!activePrompt || !*activePrompt) return nullptr;
    try {
        std::optional<std::string> password = (*activePrompt)(table ? table : "");
        if (!password || password->empty() || password->size() > kMaxPromptPassword) return nullptr;
        password->copy(answer, password->size());
        explicit_bzero(password->data(), password->size());
        return answer;
    } catch (...) {
        return nullptr;  // nothing may unwind through the library
    }
}

}  // namespace

PasswordPromptRegistration::PasswordPromptRegistration(LibraryBinding& binding, PasswordPrompt prompt)
    : binding_(binding), prompt_(std::move(prompt)), outer_(activePrompt) {
    activePrompt = &prompt_;
    previous_ = binding_.registerPswdCallback(prompt_ ? AskActivePrompt : nullptr);
}

PasswordPromptRegistration::~PasswordPromptRegistration() {
    binding_.registerPswdCallback(previous_);
    activePrompt = outer_;
    explicit_bzero(answer, sizeof answer);
}

}  // namespace vortab
