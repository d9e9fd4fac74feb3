// CommandTable: how every command opens its tables. Before the open it looks at the table file's
// header: a protected table whose password no one gave yet makes the library ask its caller's
// password callback. After the open it checks that the table belongs to the context's driver.
// An exclusive open also holds the table's exclusive lock until the table is closed.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "library/engine/engine.h"
#include "shared/driver_kind.h"

namespace vortab {

// The name with its extension replaced by the driver's default one ("ORDERS.XYZ" -> "ORDERS.DB").
std::string WithDefaultExtension(const std::string& tableName, const std::string& driver);

class CommandTable {
public:
    // Opens the table in the calling thread's database.
    CommandTable(const std::string& tableName, bool exclusive);
    ~CommandTable();
    CommandTable(const CommandTable&) = delete;
    CommandTable& operator=(const CommandTable&) = delete;

    const engine::Table& table() const { return *table_; }
    const std::string& name() const { return name_; }
    std::uint32_t tag() const { return tag_; }  // header password checksum, 0 when unprotected
    bool exclusive() const { return exclusive_; }
    bool isOpen() const { return table_.has_value(); }

    void Close();
    void Open();
    // Makes the table exclusive, closing and opening it again when it was shared.
    void ReopenExclusive();

private:
    void BeforeTableOpen();
    void AfterTableOpen();

    std::string name_;
    DriverKind type_ = DriverKind::Paradox;
    bool exclusive_ = false;
    bool locked_ = false;
    std::uint32_t tag_ = 0;
    std::optional<engine::Table> table_;
};

}  // namespace vortab
