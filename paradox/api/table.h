// Table: an open Paradox table for reading: its properties and structure (fields; indexes and
// the .VAL's checks and links, read when asked for) and a forward cursor over its records that
// streams one data block at a time. RecordWriter appends records to a table. Every failure is an
// EngineError (10024 missing, 8961/8962 corrupt, 10498 when no password fits).
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/api/export.h"
#include "paradox/api/table_structure.h"
#include "paradox/api/value.h"

namespace paradox::api {

// Asked for a password when none of the candidates opens a protected table: the password to
// try, or nullopt to give up (the open then fails with 10498).
using PasswordCallback = std::function<std::optional<std::string>(const std::string& table)>;

struct OpenOptions {
    std::vector<std::string> passwords;  // candidates, tried in order
    PasswordCallback askPassword;        // optional; asked after the candidates failed
};

// Forward cursor over a table's records in chain order (key order for keyed tables).
class PARADOX_API RecordReader {
public:
    ~RecordReader();
    RecordReader(RecordReader&&) noexcept;
    RecordReader& operator=(RecordReader&&) noexcept;

    bool next();  // moves to the next record; false at the end
    // A field of the current record (0-based); blobs are read from the .MB here.
    Value value(int field) const;
    // The same field seen in place, without copying: valid until the cursor moves.
    ValueView view(int field) const;
    // view() of each of `fields` (0-based) of the current record, in that order, into out
    // (resized to fit): one call a record for a caller that reads many records.
    void views(const std::vector<int>& fields, std::vector<ValueView>& out) const;
    std::vector<Value> values() const;

private:
    friend class Table;
    struct Impl;
    explicit RecordReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

class PARADOX_API Table {
public:
    // Opens dir/name (".DB" added when missing, the file found without regard to case).
    static Table Open(const std::string& dir, const std::string& name, const OpenOptions& options = {});
    ~Table();
    Table(const Table&);
    Table& operator=(const Table&);
    Table(Table&&) noexcept;
    Table& operator=(Table&&) noexcept;

    const TableProperties& properties() const;
    // The fields, as the header and the engine's field descriptors give them.
    const std::vector<Field>& fields() const;
    // Primary (keyed tables only), then the secondary indexes, read from the index files.
    std::vector<Index> indexes() const;
    // The checks and links of the table's .VAL; nullopt when it has none, or one that cannot be
    // read (a warning then says why).
    std::optional<ValidityFile> validity() const;
    // Index files or a .VAL read in part or left out, one line each ("FILE: what is wrong").
    std::vector<std::string> warnings() const;
    RecordReader records() const;
    std::string path() const;       // full path of the .DB
    std::string directory() const;  // the directory it was found in

private:
    friend class Database;
    struct Impl;
    explicit Table(std::shared_ptr<Impl> impl);
    std::shared_ptr<Impl> impl_;
};

// Appends records to a table; nothing reaches its files before commit, which writes header,
// index and blobs and puts every file in place in one step.
class PARADOX_API RecordWriter {
public:
    static RecordWriter Open(const std::string& dir, const std::string& name, const OpenOptions& options = {});
    ~RecordWriter();  // discards what was not committed
    RecordWriter(RecordWriter&&) noexcept;
    RecordWriter& operator=(RecordWriter&&) noexcept;

    void insert(const std::vector<Value>& record);
    void commit();

private:
    struct Impl;
    explicit RecordWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The 32-bit checksum Paradox stores for a master password (0 for the empty password).
PARADOX_API std::uint32_t PasswordChecksum(std::string_view password);

}  // namespace paradox::api
