// Known passwords, kept unique by checksum.
#include "paradox/session/password_list.h"

namespace paradox {

bool PasswordList::add(std::string_view password) {
    if (password.empty()) return false;
    const std::uint32_t sum = checksum_(password);
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& e : entries_)
        if (e.second == sum) return false;
    entries_.emplace_back(std::string(password), sum);
    return true;
}

std::optional<std::string> PasswordList::find(std::uint32_t checksum) const {
    if (checksum == 0) return std::nullopt;
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& e : entries_)
        if (e.second == checksum) return e.first;
    return std::nullopt;
}

std::vector<std::string> PasswordList::all() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<std::string> out;
    for (const auto& e : entries_) out.push_back(e.first);
    return out;
}

std::size_t PasswordList::size() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return entries_.size();
}

}  // namespace paradox
