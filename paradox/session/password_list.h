// PasswordList: the passwords a session knows, in the order given, with their checksums; no
// two entries share a checksum and the empty password is never kept. Safe for several threads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace paradox {

// The checksum the table format stores for a master password (0 only for the empty one).
using PasswordChecksumFunction = std::uint32_t (*)(std::string_view password);

class PasswordList {
public:
    explicit PasswordList(PasswordChecksumFunction checksum) : checksum_(checksum) {}

    // Adds password; false when it is empty or a password with its checksum is already known.
    bool add(std::string_view password);
    // The known password with this checksum.
    std::optional<std::string> find(std::uint32_t checksum) const;
    bool knows(std::uint32_t checksum) const { return find(checksum).has_value(); }
    std::vector<std::string> all() const;  // in the order added
    std::size_t size() const;
    std::uint32_t checksumOf(std::string_view password) const { return checksum_(password); }

private:
    PasswordChecksumFunction checksum_;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::uint32_t>> entries_;
};

}  // namespace paradox
